#include "app/PanelWiring.h"

#include "live/MeterKeys.h"
#include "live/Panel.h"
#include "live/TimedStart.h"
#include "graphs/Graph.h"
#include "graphs/LiveTrends.h"
#include "graphs/PanelGraphs.h"
#include "app/PanelRecorderView.h"
#include "logger/LoggerCommands.h"
#include "settings/ToolbarCommands.h"
#include "recording/Recorder.h"
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
    for (const char* key : {"Sampling", "AC", "FSI", "Up", "Down", "RTC"})
        panel.setToolbarHandler(QString::fromLatin1(key),
                                [this, k = QString::fromLatin1(key)] { m_settingCommands->run(k); });

    // The list, the trend graphs and the recording behind them.
    PanelWidgets& ui = panel.widgets();
    m_listModel = std::make_unique<RecordListModel>();
    m_list = new RecordList(m_listModel.get(), &panel);
    ui.listArea->addWidget(m_list);
    m_trends = std::make_unique<LiveTrends>();
    m_graphs = new PanelGraphs(*m_trends, &panel);
    ui.graphArea->addWidget(m_graphs);
    panel.setTrendChoiceHandler([this](int index) { m_graphs->showTrend(index); });
    const QColor trace = m_graphs->graph(PanelGraphs::Which::Level)->traceColor();
    ui.shBtn->setStyleSheet(QStringLiteral("background: %1;").arg(trace.name()));

    m_recorderView = std::make_unique<PanelRecorderView>(panel);
    m_recorder = std::make_unique<Recorder>(state, *m_listModel, services.clock, services.dialogs, *m_recorderView);
    // The graphs follow the model's signals; the sample is the tick's level and Leq/SEL texts.
    m_recorder->setAddTrendSample(
        [this, &state] { m_trends->addSample(state.Live.Level, state.LeqText, state.SelText); });
    m_recorder->setClearGraphs([this] { m_trends->clearForRefresh(); });
    panel.setSamplingTick([this] { m_recorder->tick(); });
    panel.setSaveOkHandler([this] { m_recorder->saveOk(); });
    panel.setToolbarHandler(QStringLiteral("Save"), [this] { m_recorder->toolbarSave(); });
    panel.setToolbarHandler(QStringLiteral("Refresh"), [this] { m_recorder->refresh(); });
    panel.setLinkLostHandlers([this] { m_recorder->stopRecording(); },
                              [this] {
                                  m_listModel->clear();
                                  m_trends->clearForLinkLoss();
                              });
    // Closing the panel mid-recording writes the recording's file first.
    panel.setCloseHandler([this, &state] {
        if (state.Recording)
            m_recorder->stopRecording();
    });
    m_logger = std::make_unique<LoggerCommands>(services, state, panel, &panel);
    m_logger->reportStatus = status;
    panel.setToolbarHandler(QStringLiteral("Memory"), [this] { m_logger->memory(); });
    panel.setToolbarHandler(QStringLiteral("Erase"), [this] { m_logger->erase(); });
}

PanelWiring::~PanelWiring() = default;
