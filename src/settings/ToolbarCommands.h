#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace slm
{

class PanelTimers;
class Sampling;
struct PanelState;
struct Services;

// The answer of a sampling-time input box as a whole number of seconds within [low, high]:
// half goes to the even neighbour, then clamped. Empty or not a number gives nothing.
std::optional<int> samplingAnswer(const QString& answer, int low, int high);

// The toolbar branches that work the meter's settings: "Sampling", "AC", "FSI", "Up", "Down"
// and "RTC". The panel hands every toolbar click to run() and handles the keys it refuses.
class ToolbarCommands : public QObject
{
    Q_OBJECT
public:
    ToolbarCommands(Services& services, PanelState& state, PanelTimers& timers, Sampling& sampling,
                    QWidget* panel);

    // Hides the panel's "Save Data" box (PicSave) as every toolbar click does, then runs the
    // branch of the key. False when the key belongs to another branch (nothing else done).
    bool run(const QString& key);

    void sampling();
    void frequencyWeighting();
    void timeWeighting();
    void rangeUp();
    void rangeDown();
    void realTimeClock();

    // Asks which interval "Sampling" sets: true for the PC's, false for the meter's, nothing
    // when the question was closed unanswered. The sampling-source window, shown modally;
    // tests answer in its place.
    std::function<std::optional<bool>()> chooseSamplingSource;

    // The last source chosen, and the meter's logging interval as last read or set.
    bool usePcSampling() const { return m_usePcSampling; }
    int meterSamplingTime() const { return m_meterSamplingTime; }
    void setMeterSamplingTime(int seconds) { m_meterSamplingTime = seconds; }

signals:
    // A new PC sampling time was set: the recorder counts the next sample from now.
    void pcSamplingTimeSet(int seconds);

private:
    void askPcSamplingTime();
    void askMeterSamplingTime();
    void sendSettingKey(const QByteArray& command);

    Services& m_services;
    PanelState& m_state;
    PanelTimers& m_timers;
    Sampling& m_sampling;
    QWidget* m_panel;
    bool m_usePcSampling = false;
    int m_meterSamplingTime = 1;
};

} // namespace slm
