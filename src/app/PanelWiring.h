#pragma once

#include <memory>

class Panel;
class MeterKeys;
class ToolbarCommands;
class PanelGraphs;
class LiveTrends;
class PanelRecorderView;
class RecordList;
class RecordListModel;
class Recorder;
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
    std::unique_ptr<RecordListModel> m_listModel;
    RecordList* m_list = nullptr;
    std::unique_ptr<LiveTrends> m_trends;
    PanelGraphs* m_graphs = nullptr;
    std::unique_ptr<PanelRecorderView> m_recorderView;
    std::unique_ptr<Recorder> m_recorder;

public:
    Recorder& recorder() { return *m_recorder; }
    RecordListModel& listModel() { return *m_listModel; }
    PanelGraphs& graphs() { return *m_graphs; }
    LiveTrends& trends() { return *m_trends; }

private:
    std::unique_ptr<LoggerCommands> m_logger;
};
