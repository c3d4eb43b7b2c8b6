#include "app/PanelWiring.h"

#include "analysis/FileListWindow.h"
#include "analysis/HistogramWindow.h"
#include "analysis/LnStatistics.h"
#include "analysis/OpenRecordFile.h"
#include "app/AssessmentWindows.h"
#include "app/PanelRecorderView.h"
#include "graphs/LiveTrends.h"
#include "graphs/PanelGraphs.h"
#include "limits/AlarmIndicator.h"
#include "limits/LimitsModel.h"
#include "limits/LimitsWindow.h"
#include "live/MeterKeys.h"
#include "live/Panel.h"
#include "logger/LoggerCommands.h"
#include "measurement/RecordListModel.h"
#include "meter/MeterSession.h"
#include "recording/Recorder.h"
#include "settings/ToolbarCommands.h"
#include "shared/BusyCaption.h"
#include "shared/Dialogs.h"
#include "shared/PanelState.h"
#include "shared/Services.h"
#include "shared/StatusNotices.h"
#include "views/CsvExport.h"
#include "views/RecordList.h"
#include "views/plot/Graph.h"

#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace slm
{

QString panelLimitsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/limits.ini");
}

namespace
{

// The limits kept in the settings judge from the start, before their window is ever opened.
void loadPanelLimits(LimitsModel& model, StatusNotices& notices)
{
    QFile file(panelLimitsPath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    QString error;
    if (!model.setConfiguration(QString::fromUtf8(file.readAll()), error))
        notices.post(QStringLiteral("The limits in %1 are not used: %2").arg(file.fileName(), error));
}

} // namespace

bool startSession(MeterSession& session, Dialogs& dialogs, QWidget* dialogParent)
{
    const std::optional<MeterSession::StartUpError> error = session.startUp();
    if (!error)
        return true;
    const QString title = dialogParent ? dialogParent->windowTitle() : QString();
    // A port that is there but refused says why, behind the message's details.
    if (error->details.isEmpty())
        dialogs.message(dialogParent, error->text, title, Dialogs::Icon::Critical);
    else
        dialogs.detailedMessage(dialogParent, error->text, error->details, title, Dialogs::Icon::Critical);
    return false;
}

void showSessionOnPanel(MeterSession& session, Panel& panel, Services& services)
{
    QObject::connect(&session, &MeterSession::readingDecoded, &panel, &Panel::updateDisplay);
    QObject::connect(&session, &MeterSession::comLabelChanged, &panel, &Panel::showComLabel);
    QObject::connect(&session, &MeterSession::linkLost, &panel, &Panel::clearLevelValue);
    QObject::connect(&services.notices, &StatusNotices::posted, &panel,
                     [&panel](const QString& text) { panel.showStatus(text); });
    QObject::connect(&panel, &Panel::closing, &session, &MeterSession::shutDown);
}

PanelWiring::PanelWiring(Panel& panel, MeterSession& session, Services& services, PanelState& state)
{
    m_listModel = std::make_unique<RecordListModel>();
    m_list = new RecordList(m_listModel.get(), &panel);
    m_trends = std::make_unique<LiveTrends>();
    m_graphs = new PanelGraphs(*m_trends, &panel);
    m_recorderView = std::make_unique<PanelRecorderView>(panel);
    m_recorder = std::make_unique<Recorder>(session.sampling(), *m_listModel, services.clock,
                                            services.dialogs, *m_recorderView);
    // The trend model takes every sample; the graphs on the panel follow the model.
    QObject::connect(m_recorder.get(), &Recorder::levelsUpdated, m_trends.get(), &LiveTrends::addSample);
    QObject::connect(m_recorder.get(), &Recorder::listRefreshed, m_trends.get(),
                     &LiveTrends::clearForRefresh);
    // The one link-lost reset, in this order: the recording ends (its file is written), the list
    // and the graphs forget the meter's data, then the panel clears its level.
    QObject::connect(&session, &MeterSession::linkLost, m_recorder.get(), &Recorder::onLinkLost);
    QObject::connect(&session, &MeterSession::linkLost, m_trends.get(), &LiveTrends::clearForLinkLoss);
    // Closing the panel mid-recording writes the recording's file first.
    QObject::connect(&session, &MeterSession::aboutToEnd, m_recorder.get(), [this] {
        if (m_recorder->recording())
            m_recorder->stopRecording();
    });
    showSessionOnPanel(session, panel, services);

    m_keys = std::make_unique<MeterKeys>(services);
    QObject::connect(&panel, &Panel::meterKeyClicked, &panel,
                     [this](MeterCommands::Key key) { m_keys->press(key); });
    QObject::connect(&panel, &Panel::timedStartClicked, &panel,
                     [this, &services, &panel] { askTimedStart(services, m_timedStart, &panel); });

    m_settingCommands =
        std::make_unique<ToolbarCommands>(services, state, session, session.sampling(), &panel);
    m_logger = std::make_unique<LoggerCommands>(services, state, session, &panel);
    m_logger->setLiveReading(&session.reading());
    m_openFile = std::make_unique<OpenRecordFile>(services.desk(), session, &panel,
                                                  [this] { return m_recorder->recording(); });
    // "Ln" on either list view: the statistics of its own list, shown in the one histogram view.
    QObject::connect(m_openFile.get(), &OpenRecordFile::lnRequested, &panel,
                     [this, &services, &session, &panel](FileListWindow* view, LnResolution resolution) {
                         const ReentryFlag::Guard running(m_lnRun);
                         if (!running.entered())
                             return;
                         WidgetBusyCaption caption(view);
                         const std::optional<LnResult> result =
                             runLnStatistics(view->records(), resolution, &session, &caption);
                         if (result)
                             showLnResult(m_histogram, *result, services.dialogs, &panel);
                     });
    // "Plot" on either list view: its levels in the one plot window, filled again in place.
    QObject::connect(m_openFile.get(), &OpenRecordFile::plotRequested, &panel,
                     [this, &services, &session, &panel](FileListWindow* view) {
                         const ReentryFlag::Guard running(m_plotRun);
                         if (!running.entered())
                             return;
                         WidgetBusyCaption caption(&panel);
                         plotRecordList(m_plot, view->records(), services.dialogs, &session, &caption,
                                        &panel);
                     });

    // The list and the trend graphs on the panel.
    PanelWidgets& ui = panel.widgets();
    ui.listArea->addWidget(m_list);
    ui.graphArea->addWidget(m_graphs);
    QObject::connect(&panel, &Panel::trendChosen, m_graphs, &PanelGraphs::showTrend);
    // A click on a shown panel graph opens its enlarged view with the data as it is now.
    QObject::connect(m_graphs, &PanelGraphs::graphClicked, &panel,
                     [this, &services, &panel](PanelGraphs::Which which) {
                         using W = PanelGraphs::Which;
                         if (which == W::IntHistogram || which == W::DecHistogram) {
                             const LiveClasses classes =
                                 which == W::IntHistogram ? LiveClasses::WholeDb : LiveClasses::TenthDb;
                             openLiveHistogram(m_liveHistogram, *m_trends, classes, services.dialogs, &panel);
                             return;
                         }
                         const LiveTrend trend = which == W::Level ? LiveTrend::Level
                                                 : which == W::Leq ? LiveTrend::Leq
                                                                   : LiveTrend::Sel;
                         const QString unit = m_graphs->graph(which)->axisCaption(Graph::Axis::Y);
                         openLiveGraph(m_liveGraph, *m_trends, trend, unit, services.dialogs, &panel);
                     });
    const QColor trace = m_graphs->graph(PanelGraphs::Which::Level)->traceColor();
    ui.shBtn->setStyleSheet(QStringLiteral("background: %1;").arg(trace.name()));

    // "Export CSV" of the panel's list: the rows sampled so far, the running one included.
    QAction* exportCsv = ui.toolbar->addAction(QStringLiteral("Export CSV"));
    exportCsv->setObjectName(QStringLiteral("ExportCsv"));
    exportCsv->setToolTip(QStringLiteral("Export the panel's list as CSV"));
    QObject::connect(exportCsv, &QAction::triggered, &panel,
                     [this, &services, &panel] { exportListCsv(*m_listModel, services.dialogs, &panel); });

    // "Assess" on a file view, the data list and the panel's list: one assessment window per
    // measurement. A list saved to a file takes its exclusions and details beside it.
    m_assessments = std::make_unique<AssessmentWindows>(services.desk(), &panel);
    QObject::connect(m_openFile.get(), &OpenRecordFile::assessRequested, &panel,
                     [this](FileListWindow* view) { m_assessments->open(view->measurement()); });
    QObject::connect(m_logger.get(), &LoggerCommands::assessRequested, &panel,
                     [this](const Measurement& measurement) { m_assessments->open(measurement); });
    QObject::connect(m_logger.get(), &LoggerCommands::listSaved, &panel,
                     [this](const Measurement& measurement, const QString& path) {
                         m_assessments->listSaved(measurement, path);
                     });
    QObject::connect(m_recorder.get(), &Recorder::listSaved, &panel, [this](const QString& path) {
        m_assessments->listSaved(m_listModel->measurement(), path);
    });
    QObject::connect(&panel, &Panel::closing, m_assessments.get(), &AssessmentWindows::offerUnsaved);
    QAction* assess = ui.toolbar->addAction(QStringLiteral("Assess"));
    assess->setObjectName(QStringLiteral("Assess"));
    assess->setToolTip(QStringLiteral("Assess the panel's list: exclusions, periods, dose, events, report"));
    QObject::connect(assess, &QAction::triggered, &panel,
                     [this] { m_assessments->open(m_listModel->measurement()); });

    // "Limits": the panel's samples judged against the limits in its settings; the alarm sign in
    // the status bar while any limit is in alarm.
    m_limits = std::make_unique<LimitsModel>();
    loadPanelLimits(*m_limits, services.notices);
    QObject::connect(&session, &MeterSession::sampleTaken, m_limits.get(), &LimitsModel::addSample);
    panel.statusBar()->addPermanentWidget(new AlarmIndicator(*m_limits, &panel));
    QAction* limits = ui.toolbar->addAction(QStringLiteral("Limits"));
    limits->setObjectName(QStringLiteral("limitsAction"));
    limits->setToolTip(QStringLiteral("Limits: each limit's live figure and state, today's alarms"));
    QObject::connect(limits, &QAction::triggered, &panel, [this, &panel] {
        if (!m_limitsWindow) {
            QDir().mkpath(QFileInfo(panelLimitsPath()).absolutePath());
            m_limitsWindow = new LimitsWindow(*m_limits, panelLimitsPath(), &panel);
            m_limitsWindow->setWindowFlag(Qt::Window);
        }
        m_limitsWindow->show();
        m_limitsWindow->raise();
        m_limitsWindow->activateWindow();
    });

    QObject::connect(&panel, &Panel::saveOkClicked, m_recorder.get(), &Recorder::saveOk);
    QObject::connect(&panel, &Panel::saveModeChosen, m_recorder.get(), &Recorder::setSaveMode);
    QObject::connect(&panel, &Panel::toolbarButtonClicked, &panel, [this](const QString& key) {
        if (key == u"Save")
            m_recorder->toolbarSave();
        else if (key == u"Refresh")
            m_recorder->refresh();
        else if (key == u"Memory")
            m_logger->memory();
        else if (key == u"Erase")
            m_logger->erase();
        else if (key == u"Open")
            m_openFile->run();
        else
            m_settingCommands->run(key);
    });
}

PanelWiring::~PanelWiring() = default;

} // namespace slm
