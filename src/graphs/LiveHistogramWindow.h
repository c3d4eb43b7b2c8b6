#pragma once

#include "graphs/LiveViews.h"

#include "views/plot/GraphPrint.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QLabel;
class QPrinter;
class QToolBar;

namespace slm
{

class Dialogs;
class Graph;
class LiveTrends;
class TrackModePicker;

// "Histogram" of the panel's sampled levels (1 dB or 0.1 dB classes) as it stood when the window
// opened: the counts as bars, the toolbar with "Track", "Reset" and "Print", and the track-mode
// box Picture1 shown only while a mode is being chosen. A new click on the panel makes a new
// window.
class LiveHistogramWindow : public QWidget
{
    Q_OBJECT
public:
    // Size at rest and while printing, in twips; the graph sits under the toolbar at rest.
    static constexpr int WidthTwips = 10410;
    static constexpr int HeightTwips = 6210;
    static constexpr int GraphTopTwips = 480;
    static constexpr int PrintWidthTwips = 11115;
    static constexpr int PrintHeightTwips = 6465;
    static constexpr int PrintGraphMarginTwips = 720;
    // The list's last entry, "Reset Scale".
    static constexpr int ResetEntry = 7;

    explicit LiveHistogramWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~LiveHistogramWindow() override;

    // Draws the counts with the view's X range, lets the Y axis follow the counts and keeps the
    // resulting scale for the resets.
    void fill(const LiveHistogramView& view);

    // Toolbar buttons by name ("Track", "Reset", "Print"), as a click does them.
    void clickToolbar(const QString& name);
    // The list's entry by index, as a click on Combo1 does it; Picture1 is hidden after it.
    void chooseTrackMode(int index);
    // "Reset" and "Reset Scale": the scale as it was at opening.
    void resetScale();
    bool print();
    bool printTo(QPrinter& printer, PrintOutput output = PrintOutput::Printer);
    // "Print Preview": the pages "Print" would send, shown first; true when printed from there.
    bool printPreview();

    Graph* graph() const { return m_graph; }
    QToolBar* toolbar() const { return m_toolbar; }
    QWidget* trackBox() const { return m_trackBox; }
    TrackModePicker* picker() const { return m_picker; }
    QLabel* noSampleNote() const { return m_note; }
    // The saved scale: X range and the Y maximum at opening.
    double savedXMin() const { return m_xMin; }
    double savedXMax() const { return m_xMax; }
    double savedYMax() const { return m_yMax; }

private:
    QAction* addTool(const char* name);
    void setGraphMargins(int left, int top);

    Dialogs& m_dialogs;
    QToolBar* m_toolbar = nullptr;
    QLabel* m_note = nullptr;
    Graph* m_graph = nullptr;
    QWidget* m_trackBox = nullptr;
    TrackModePicker* m_picker = nullptr;
    double m_xMin = 0;
    double m_xMax = 0;
    double m_yMax = 1;
};

// A click on a panel histogram: closes the window shown (if any) and opens a new one at the
// screen's top-left with the histogram as it is now.
LiveHistogramWindow* openLiveHistogram(QPointer<LiveHistogramWindow>& shown, const LiveTrends& trends,
                                       LiveClasses classes, Dialogs& dialogs, QWidget* parent);

} // namespace slm
