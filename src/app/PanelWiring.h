#pragma once

#include "analysis/HistogramWindow.h"
#include "graphs/LiveGraphWindow.h"
#include "graphs/LiveHistogramWindow.h"
#include "graphs/RecordPlotWindow.h"
#include "limits/LimitsWindow.h"
#include "live/TimedStart.h"
#include "shared/ReentryGuard.h"

#include <QPointer>

class QWidget;

#include <memory>

namespace slm
{

class Dialogs;
class Panel;
class MeterSession;
class MeterKeys;
class ToolbarCommands;
class PanelGraphs;
class LiveTrends;
class PanelRecorderView;
class RecordList;
class RecordListModel;
class Recorder;
class LoggerCommands;
class OpenRecordFile;
class AssessmentWindows;
class LimitsModel;
struct Services;
struct PanelState;

// Where the panel keeps its limits: limits.ini in its settings folder.
QString panelLimitsPath();

// The session's start-up with its message: false, after the message (over dialogParent, titled
// with its caption), when the port cannot be opened.
bool startSession(MeterSession& session, Dialogs& dialogs, QWidget* dialogParent);

// What the panel shows of the session alone: the live reading, the port label, the notices, and
// the end of the program when it closes. PanelWiring includes it; tests of the bare panel use it.
void showSessionOnPanel(MeterSession& session, Panel& panel, Services& services);

// Connects the panel's controls to the parts of the program that own each action: meter keys,
// toolbar commands, recording, graphs and the data logger. Lives as long as the panel.
class PanelWiring
{
public:
    PanelWiring(Panel& panel, MeterSession& session, Services& services, PanelState& state);
    ~PanelWiring();

    Recorder& recorder() { return *m_recorder; }
    RecordListModel& listModel() { return *m_listModel; }
    PanelGraphs& graphs() { return *m_graphs; }
    LiveTrends& trends() { return *m_trends; }
    LoggerCommands& logger() { return *m_logger; }
    ToolbarCommands& settingCommands() { return *m_settingCommands; }
    OpenRecordFile& openFile() { return *m_openFile; }
    AssessmentWindows& assessments() { return *m_assessments; }
    HistogramWindow* histogram() const { return m_histogram; }
    RecordPlotWindow* plot() const { return m_plot; }
    // The windows a click on a panel graph opened, while they are open.
    LiveGraphWindow* liveGraph() const { return m_liveGraph; }
    LiveHistogramWindow* liveHistogram() const { return m_liveHistogram; }
    const TimedStartState& timedStart() const { return m_timedStart; }
    // The limits judged on the panel's samples, and their window while it is open.
    LimitsModel& limits() { return *m_limits; }
    LimitsWindow* limitsWindow() const { return m_limitsWindow; }

private:
    std::unique_ptr<MeterKeys> m_keys;
    std::unique_ptr<ToolbarCommands> m_settingCommands;
    std::unique_ptr<RecordListModel> m_listModel;
    RecordList* m_list = nullptr;
    std::unique_ptr<LiveTrends> m_trends;
    PanelGraphs* m_graphs = nullptr;
    std::unique_ptr<PanelRecorderView> m_recorderView;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<LoggerCommands> m_logger;
    std::unique_ptr<OpenRecordFile> m_openFile;
    std::unique_ptr<AssessmentWindows> m_assessments;
    std::unique_ptr<LimitsModel> m_limits;
    QPointer<LimitsWindow> m_limitsWindow;
    QPointer<HistogramWindow> m_histogram;
    QPointer<LiveGraphWindow> m_liveGraph;
    QPointer<LiveHistogramWindow> m_liveHistogram;
    ReentryFlag m_lnRun;
    QPointer<RecordPlotWindow> m_plot;
    ReentryFlag m_plotRun;
    TimedStartState m_timedStart;
};

} // namespace slm
