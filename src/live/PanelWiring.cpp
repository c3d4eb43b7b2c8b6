#include "live/PanelWiring.h"

#include "live/MeterKeys.h"
#include "live/Panel.h"
#include "live/TimedStart.h"
#include "logger/LoggerCommands.h"
#include "logger/ToolbarCommands.h"

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

    m_logger = std::make_unique<LoggerCommands>(services, state, panel, &panel);
    panel.setToolbarHandler(QStringLiteral("Memory"), [this] { m_logger->memory(); });
    panel.setToolbarHandler(QStringLiteral("Erase"), [this] { m_logger->erase(); });
}

PanelWiring::~PanelWiring() = default;
