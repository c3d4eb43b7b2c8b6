#pragma once

#include "views/plot/LevelPlot.h"

#include "views/plot/GraphPrint.h"

#include <QPointer>
#include <QWidget>

class QPrinter;

namespace slm
{

class BusyCaption;
class Dialogs;
class Graph;
class GraphicFrame;
class PanelTimers;
class RecordListModel;

// The "Plot" window: a record list's levels against record number in CWGraph1, with the pause
// markers, under it FrmGraphic (range edits, track mode, cursor readout, "Reset Scale",
// "Print Graph"). It is made once and filled again in place by every plot.
class RecordPlotWindow : public QWidget
{
    Q_OBJECT
public:
    explicit RecordPlotWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~RecordPlotWindow() override;

    // Draws a plot: edits and ranges to records 1..N and 25..145 dB, the trace, and the markers
    // of this plot only. The chosen track mode stays.
    void showPlot(const LevelPlot& plot);

    // "Reset Scale": X 1..N of the last plot, Y 25..145; the edits keep their values.
    void resetScale();
    // Combo1's entry by index, as a user's choice.
    void chooseTrackMode(int index);
    // "Print Graph": the printer dialog, then the window on white without FrmGraphic as one page.
    // False when cancelled or when printing failed; the window looks as before either way.
    bool print();
    bool print(QPrinter& printer, PrintOutput output = PrintOutput::Printer);
    // "Print Preview": the page "Print Graph" would send, shown first; true when printed from there.
    bool printPreview();

    int recordCount() const { return m_recordCount; }
    Graph* graph() const { return m_graph; }
    GraphicFrame* frame() const { return m_frame; }

private:
    void onTrackModeChosen(int index);

    Dialogs& m_dialogs;
    Graph* m_graph = nullptr;
    GraphicFrame* m_frame = nullptr;
    int m_recordCount = 0;
};

// What the program says when "Plot" is pressed on a list without records.
QString emptyPlotText();

// A list view's "Plot": reads the level column with the panel's timers off and its progress in
// the panel's caption, then shows it in the one plot window (`shown`, made beside the panel on
// first use). A list without records only gets a message. Returns the window, null when nothing
// was plotted.
RecordPlotWindow* plotRecordList(QPointer<RecordPlotWindow>& shown, const RecordListModel& list,
                                 Dialogs& dialogs, PanelTimers* timers, BusyCaption* panelCaption,
                                 QWidget* panel);

} // namespace slm
