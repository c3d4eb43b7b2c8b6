#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QWidget;
class PanelTimers;
struct PanelState;
struct Services;

// The answer of a sampling-time input box as a whole number of seconds within [low, high]:
// half goes to the even neighbour, then clamped. Empty or not a number gives nothing.
std::optional<int> samplingAnswer(const QString& answer, int low, int high);

// The toolbar branches that work the meter's settings: "Sampling", "AC", "FSI", "Up", "Down"
// and "RTC". The panel hands every toolbar click to run() and handles the keys it refuses.
class ToolbarCommands
{
public:
    ToolbarCommands(Services& services, PanelState& state, PanelTimers& timers, QWidget* panel);

    // Hides the panel's "Save Data" box (PicSave) as every toolbar click does, then runs the
    // branch of the key. False when the key belongs to another branch (nothing else done).
    bool run(const QString& key);

    void sampling();
    void frequencyWeighting();
    void timeWeighting();
    void rangeUp();
    void rangeDown();
    void realTimeClock();

    // The sampling-source window; tests and the panel may replace it. Shows it modally.
    std::function<void()> chooseSamplingSource;
    // Receives a short text when a command is not sent because another exchange holds the link
    // (a key press still waiting for its acknowledgement). The panel shows it in its status bar.
    std::function<void(const QString&)> reportStatus;
    // A new PC sampling time was set: the recorder counts the next sample from now.
    std::function<void()> restartSamplingCountdown;

    static QString busyText();

private:
    void askPcSamplingTime();
    void askMeterSamplingTime();
    void sendSettingKey(const QByteArray& command);
    bool linkBusy();

    Services& m_services;
    PanelState& m_state;
    PanelTimers& m_timers;
    QWidget* m_panel;
};
