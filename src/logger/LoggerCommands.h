#pragma once

#include "logger/LoggerMemory.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class DataListWindow;
class MemoryWindow;
class PanelTimers;
class QWidget;
struct PanelState;
struct Services;

// The data logger behind the panel's toolbar: "Memory" downloads the logger memory into the
// "Data Logger" window, a click on a set shows it in the "Data List" window, "Erase" clears
// the meter's memory.
class LoggerCommands : public QObject
{
    Q_OBJECT
public:
    LoggerCommands(Services& services, PanelState& state, PanelTimers& timers, QWidget* panel);
    ~LoggerCommands() override;

    // Toolbar "Memory"; does nothing while the "Data Logger" window is open.
    void memory();
    // Toolbar "Erase".
    void erase();
    // A click on set number n (from 1) of the set list.
    void showSet(int setNumber);

    MemoryWindow* memoryWindow() const;
    DataListWindow* dataListWindow() const;
    const std::vector<DataSet>& sets() const { return m_sets; }

    // Receives a short text when a command is not sent because another exchange holds the link.
    std::function<void(const QString&)> reportStatus;
    static QString busyText();

private:
    void openMemoryWindow(int sizeK, double freeK);
    void closeMemoryWindow();
    void endExchange();
    bool linkBusy();

    Services& m_s;
    PanelState& m_state;
    PanelTimers& m_timers;
    QWidget* m_panel;
    QPointer<MemoryWindow> m_memory;
    QPointer<DataListWindow> m_dataList;
    std::vector<DataSet> m_sets;
    bool m_downloading = false;
    bool m_cancel = false;
    int m_decodeGeneration = 0;
};

