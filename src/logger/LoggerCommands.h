#pragma once

#include "logger/LoggerMemory.h"
#include "shared/ReentryGuard.h"

#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

namespace slm
{

class DataListWindow;
class Measurement;
class MemoryWindow;
class PanelTimers;
struct LiveReading;
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
    // The meter's live reading, which the decoding of a set starts from; none when unset.
    void setLiveReading(const LiveReading* reading) { m_liveReading = reading; }

    // Toolbar "Memory"; does nothing while the "Data Logger" window is open.
    void memory();
    // Toolbar "Erase".
    void erase();
    // A click on set number n (from 1) of the set list.
    void showSet(int setNumber);

    MemoryWindow* memoryWindow() const;
    DataListWindow* dataListWindow() const;
    const std::vector<DataSet>& sets() const { return m_sets; }

    // The "Data Logger" window is open, or a download is filling it.
    bool memoryFormOpen() const { return m_memoryFormOpen; }

signals:
    // The data list's "Assess", and its save to `path`: of the set's measurement.
    void assessRequested(const Measurement& measurement);
    void listSaved(const Measurement& measurement, const QString& path);

private:
    void openMemoryWindow(int sizeK, double freeK);
    void closeMemoryWindow();

    Services& m_s;
    PanelState& m_state;
    PanelTimers& m_timers;
    const LiveReading* m_liveReading = nullptr;
    QWidget* m_panel;
    QPointer<MemoryWindow> m_memory;
    QPointer<DataListWindow> m_dataList;
    std::vector<DataSet> m_sets;
    bool m_memoryFormOpen = false;
    ReentryFlag m_downloading;
    bool m_cancel = false;
    int m_decodeGeneration = 0;
};

} // namespace slm
