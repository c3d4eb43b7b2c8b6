#pragma once

#include "graphs/LiveViews.h"

#include "views/plot/GraphPrint.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QPrinter;

namespace slm
{

class Dialogs;
class Graph;
class GraphicFrame;
class LiveTrends;

// "Real Time Graph": one trend of the panel (level, Leq or SEL) as it stood when the window
// opened, against sample number, with the range edits, track modes, the cursor readout, the
// scale reset and printing of the graph windows. Built for one view and never refilled: a new
// click on the panel makes a new window.
class LiveGraphWindow : public QWidget
{
    Q_OBJECT
public:
    // Size at rest and while printing, in twips.
    static constexpr int WidthTwips = 10650;
    static constexpr int HeightTwips = 8865;
    static constexpr int GraphMarginTwips = 120;
    static constexpr int PrintWidthTwips = 11550;
    static constexpr int PrintGraphMarginTwips = 720;

    explicit LiveGraphWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~LiveGraphWindow() override;

    // Fills the window: the unit, the edits (as the program's values, applied once), the ranges
    // and the trace of the view's snapshot.
    void fill(const LiveGraphView& view);
    const LiveGraphView& view() const { return m_view; }

    // The list's entry by index, as a click on Combo1 does it.
    void chooseTrackMode(int index);
    // "Reset Scale": the edits and the graph back to the view as it opened.
    void resetScale();
    // "Print Graph": the printer dialog, then the window as one page per copy.
    bool print();
    bool printTo(QPrinter& printer, PrintOutput output = PrintOutput::Printer);
    // "Print Preview": the pages "Print" would send, shown first; true when printed from there.
    bool printPreview();

    Graph* graph() const { return m_graph; }
    GraphicFrame* frame() const { return m_frame; }
    QLabel* unitLabel() const;
    QLabel* noSampleNote() const { return m_note; }

private:
    void onTrackModeChosen(int index);
    void setGraphMargins(int twips);

    Dialogs& m_dialogs;
    LiveGraphView m_view;
    QLabel* m_note = nullptr;
    Graph* m_graph = nullptr;
    GraphicFrame* m_frame = nullptr;
};

// A click on a panel trend graph: closes the window shown (if any) and opens a new one at the
// screen's top-left with the trend as it is now. `parent` should be the panel.
LiveGraphWindow* openLiveGraph(QPointer<LiveGraphWindow>& shown, const LiveTrends& trends, LiveTrend trend,
                               const QString& unit, Dialogs& dialogs, QWidget* parent);

} // namespace slm
