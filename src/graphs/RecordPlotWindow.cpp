#include "graphs/RecordPlotWindow.h"

#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/Dialogs.h"
#include "shared/TimersPaused.h"
#include "shared/WindowPlacement.h"
#include "views/plot/CursorInfoFrame.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"
#include "views/plot/GraphicFrame.h"
#include "views/plot/TrackModePicker.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QVBoxLayout>

namespace slm
{

namespace
{

constexpr double PlotYMin = 25;
constexpr double PlotYMax = 145;

} // namespace

QString emptyPlotText()
{
    return QStringLiteral("The list holds no records to plot.");
}

RecordPlotWindow::RecordPlotWindow(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Plot"));
    setWindowTitle(QStringLiteral("Plot"));
    if (parent)
        setWindowFlag(Qt::Window);

    m_graph = new Graph(this);
    m_graph->setObjectName(QStringLiteral("CWGraph1"));
    m_graph->setAccessibleName(QStringLiteral("Levels by record"));
    m_graph->setAxisCaption(Graph::Axis::X, QStringLiteral("No.s"));
    m_graph->setAxisCaption(Graph::Axis::Y, QStringLiteral("dB"));
    m_graph->setAxisLabelFormat(Graph::Axis::X, QStringLiteral("0"));
    m_graph->setAxisLabelFormat(Graph::Axis::Y, QStringLiteral("0"));
    m_graph->setMinimumSize(480, 260);

    m_frame = new GraphicFrame(recordPlotFrameSettings(), this);
    m_frame->attach(m_graph);
    // The window opens on the edits' initial ranges until a list is plotted.
    m_frame->applyRanges();
    connect(m_frame, &GraphicFrame::trackModeChosen, this, &RecordPlotWindow::onTrackModeChosen);
    connect(m_frame, &GraphicFrame::resetClicked, this, &RecordPlotWindow::resetScale);
    connect(m_frame, &GraphicFrame::printClicked, this, [this] { print(); });
    connect(m_frame, &GraphicFrame::previewClicked, this, [this] { printPreview(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_graph, 1);
    layout->addWidget(m_frame);
    resize(900, 600);
}

RecordPlotWindow::~RecordPlotWindow() = default;

void RecordPlotWindow::showPlot(const LevelPlot& plot)
{
    m_recordCount = plot.recordCount();
    m_frame->ranges()->setAxisValues(1, 1, m_recordCount);
    m_frame->ranges()->setAxisValues(2, PlotYMin, PlotYMax);
    m_graph->setAxisRange(Graph::Axis::Y, PlotYMin, PlotYMax);
    m_graph->setAxisRange(Graph::Axis::X, 1, m_recordCount);
    m_graph->plotY(std::span<const double>(plot.y), 1, 1);
    // The markers are this list's own: a second file must not show the first one's pauses.
    m_graph->removeAllMarkers();
    for (const PlotMarker& m : plot.markers)
        m_graph->addTextMarker(m.record - 1, m.caption, m.record, m.y, m.caption);
}

void RecordPlotWindow::resetScale()
{
    m_graph->setAxisRange(Graph::Axis::X, 1, m_recordCount);
    m_graph->setAxisRange(Graph::Axis::Y, PlotYMin, PlotYMax);
}

void RecordPlotWindow::chooseTrackMode(int index)
{
    m_frame->picker()->choose(index);
}

void RecordPlotWindow::onTrackModeChosen(int index)
{
    m_frame->followWithOneCursor(index);
}

bool RecordPlotWindow::print()
{
    QPrinter printer;
    return print(printer);
}

bool RecordPlotWindow::printPreview()
{
    QPrinter printer;
    return print(printer, PrintOutput::Preview);
}

bool RecordPlotWindow::print(QPrinter& printer, PrintOutput output)
{
    m_frame->chooseNormal();
    GraphPrintJob job;
    job.window = this;
    job.graph = m_graph;
    job.hiddenWhilePrinting = {m_frame};
    return outputGraphWindow(job, m_dialogs, printer, output);
}

RecordPlotWindow* plotRecordList(QPointer<RecordPlotWindow>& shown, const RecordListModel& list,
                                 Dialogs& dialogs, PanelTimers* timers, BusyCaption* panelCaption,
                                 QWidget* panel)
{
    if (list.recordCount() == 0) {
        dialogs.message(shown ? static_cast<QWidget*>(shown) : panel, emptyPlotText(), QStringLiteral("Plot"),
                        Dialogs::Icon::Information);
        return nullptr;
    }
    const TimersPaused paused(timers);
    BusyScope busy(panelCaption);
    // The caption must repaint while the list is read, and a window may close meanwhile: the
    // list's own (which ends the run) or the plot window (made again below).
    QPointer<const QObject> alive(&list);
    const int count = list.recordCount();
    const LevelPlot plot = plotLevelList(list, [&](int row, int) {
        busy.setCaption(plotProgressText(row));
        QCoreApplication::processEvents();
        return alive && list.recordCount() == count;
    });
    if (plot.recordCount() != count)
        return nullptr;
    if (!shown) {
        shown = new RecordPlotWindow(dialogs, panel);
        shown->setAttribute(Qt::WA_DeleteOnClose);
        placeBesidePanel(shown, panel);
    }
    shown->show();
    shown->raise();
    shown->showPlot(plot);
    return shown;
}

} // namespace slm
