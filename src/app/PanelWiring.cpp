#include "app/PanelWiring.h"

#include "app/PanelRecorderView.h"
#include "graphs/Graph.h"
#include "graphs/PanelGraphs.h"
#include "live/MeterKeys.h"
#include "live/Panel.h"
#include "live/TimedStart.h"
#include "logger/LoggerCommands.h"
#include "recording/Recorder.h"
#include "settings/ToolbarCommands.h"
#include "shared/RecordList.h"
#include "shared/RecordListModel.h"
#include "shared/Services.h"

#include <QButtonGroup>
#include <QFrame>
#include <QVBoxLayout>

PanelWiring::PanelWiring(Panel& panel, Services& services, PanelState& state) : m_panel(panel)
{
    const auto status = [&panel](const QString& text) { panel.showStatus(text); };
    m_keys = std::make_unique<MeterKeys>(services, status);
    panel.setKeyHandler([this](MeterCommands::Key key) { m_keys->press(key); });
    panel.setTimedStartHandler([&services, &state, &panel] { askTimedStart(services, state, &panel); });

    m_settingCommands = std::make_unique<ToolbarCommands>(services, state, panel, &panel);
    m_settingCommands->reportStatus = status;
    // The recorder is made further down; the toolbar reaches it only once a click runs.
    m_settingCommands->restartSamplingCountdown = [this] { m_recorder->restartSamplingCountdown(); };
    for (const char* key : {"Sampling", "AC", "FSI", "Up", "Down", "RTC"})
        panel.setToolbarHandler(QString::fromLatin1(key),
                                [this, k = QString::fromLatin1(key)] { m_settingCommands->run(k); });

    // The list, the trend graphs and the recording behind them.
    PanelWidgets& ui = panel.widgets();
    m_listModel = std::make_unique<RecordListModel>();
    m_list = new RecordList(m_listModel.get(), &panel);
    ui.listArea->addWidget(m_list);
    m_graphs = new PanelGraphs(state, &panel);
    ui.graphArea->addWidget(m_graphs);
    panel.setTrendChoiceHandler([this](int index) { m_graphs->showTrend(index); });
    const QColor trace = m_graphs->graph(PanelGraphs::Which::Level)->traceColor();
    ui.shBtn->setStyleSheet(QStringLiteral("background: %1;").arg(trace.name()));

    m_recorderView = std::make_unique<PanelRecorderView>(panel);
    m_recorder =
        std::make_unique<Recorder>(state, *m_listModel, services.clock, services.dialogs, *m_recorderView);
    QObject::connect(m_recorder.get(), &Recorder::sampleTaken, m_graphs, &PanelGraphs::addSample);
    QObject::connect(m_recorder.get(), &Recorder::listRefreshed, m_graphs, &PanelGraphs::clearForRefresh);
    panel.setSamplingTick([this] { m_recorder->tick(); });
    panel.setSaveOkHandler([this] { m_recorder->saveOk(); });
    panel.setToolbarHandler(QStringLiteral("Save"), [this] { m_recorder->toolbarSave(); });
    panel.setToolbarHandler(QStringLiteral("Refresh"), [this] { m_recorder->refresh(); });
    // The recorder's part of a lost link (its file, its counts and the list), then the graphs.
    panel.setLinkLostHandlers([this] { m_recorder->onLinkLost(); }, [this] { m_graphs->clearForLinkLoss(); });
    // Closing the panel mid-recording writes the recording's file first.
    panel.setCloseHandler([this] {
        if (m_recorder->recording())
            m_recorder->stopRecording();
    });
    m_logger = std::make_unique<LoggerCommands>(services, state, panel, &panel);
    m_logger->reportStatus = status;
    panel.setToolbarHandler(QStringLiteral("Memory"), [this] { m_logger->memory(); });
    panel.setToolbarHandler(QStringLiteral("Erase"), [this] { m_logger->erase(); });
}

PanelWiring::~PanelWiring() = default;
