#pragma once

#include <memory>

class Panel;
class MeterKeys;
class ToolbarCommands;
class LoggerCommands;
struct Services;
struct PanelState;

// Connects the panel's controls to the parts of the program that own each action: meter keys,
// toolbar commands, recording, graphs and the data logger. Lives as long as the panel.
class PanelWiring
{
public:
    PanelWiring(Panel& panel, Services& services, PanelState& state);
    ~PanelWiring();

private:
    Panel& m_panel;
    std::unique_ptr<MeterKeys> m_keys;
    std::unique_ptr<ToolbarCommands> m_settingCommands;
    std::unique_ptr<LoggerCommands> m_logger;
};
