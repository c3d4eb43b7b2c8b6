#pragma once

#include "meter/LiveMeter.h"
#include "meter/Sampling.h"
#include "shared/LiveReading.h"
#include "shared/PanelTimers.h"
#include "shared/ReentryGuard.h"
#include "shared/Services.h"

#include <QObject>
#include <QTimer>
#include <optional>

namespace slm
{

class Clock;
struct PanelState;

// The port a session opens: the device and what LblCOM shows while connected.
struct MeterPort {
    QString name;
    QString label;
};

// The program's session with one meter: its line, the live frames taken as they arrive, the
// 200 ms display tick (Timer1) that shows the newest of them and notices a lost link, the 1 s
// sampling tick (Timer2) with the PC sampling, the start-up order and the recovery of a lost link. No
// windows: the panel and a program without one subscribe alike. Everything that must forget the meter's data
// when the link is lost listens to linkLost(); everything that records listens to sampleTaken().
class MeterSession : public QObject, public PanelTimers
{
    Q_OBJECT
public:
    MeterSession(const MeterLine& line, Clock& clock, MeterPort port, QObject* parent = nullptr);
    // The panel's session: the line of `services` and the port chosen at the start.
    MeterSession(Services& services, const PanelState& state, QObject* parent = nullptr);
    ~MeterSession() override;

    // Why the port could not be opened, and what the system said of the device.
    struct StartUpError {
        QString text;
        QString details;
    };
    // Opens the port "38400,n,8,1" and starts both timers; the error when the port cannot be
    // opened (the program ends).
    std::optional<StartUpError> startUp();
    // The program ends: the timers stop for good, aboutToEnd() lets a recording be written,
    // then every wait still running ends at its next step.
    void shutDown();

    const LiveMeter& liveMeter() const { return m_meter; }
    // The newest decoded frame.
    const LiveReading& reading() const { return m_meter.reading(); }
    // The PC sampling: the typed reading, the interval and its countdown.
    Sampling& sampling() { return m_sampling; }
    const Sampling& sampling() const { return m_sampling; }
    const MeterPort& port() const { return m_port; }
    // The meter is lost and the recovery waits for its frames.
    bool recovering() const { return m_recoverTimer.isActive(); }
    QTimer* timer1() { return &m_timer1; }
    QTimer* timer2() { return &m_timer2; }

    // PanelTimers
    void setTimersEnabled(bool on) override;
    bool livePollEnabled() const override { return m_timer1.isActive(); }
    bool samplingTickEnabled() const override { return m_timer2.isActive(); }

signals:
    // A newly decoded frame, as the reading now stands.
    void readingDecoded(const LiveReading& reading);
    // Timer2: one sampling tick, never nested, after the sampling's own signals.
    void samplingTick();
    // The ticks whose PC sampling countdown fires: the sample taken.
    void sampleTaken(const Sample& sample);
    // The meter fell silent or the port went away. Listeners, in the order they connected, end
    // a running recording and forget the list, the graphs and the level shown; the session
    // waits for the meter on its own.
    void linkLost();
    // What LblCOM shows: the port while connected, "No COM" while the meter is lost.
    void comLabelChanged(const QString& text);
    // Before the waits are cancelled at the end of the program.
    void aboutToEnd();

private:
    void displayTick();
    void takeFrames(bool on);
    void runSamplingTick();
    void recoverLink();
    void recoverStep();

    MeterLine m_line;
    Clock& m_clock;
    MeterPort m_port;
    Sampling m_sampling;
    LiveMeter m_meter;
    int m_shownFrames = 0;
    QTimer m_timer1;
    // The display tick is set to fall just after a frame, so it shows the newest level at once
    // instead of one up to a frame period old.
    QTimer m_tickPhase;
    bool m_phaseWanted = false;
    QTimer m_timer2;
    ReentryFlag m_tick;
    // The recovery's wait runs on its own timer, in 0.02 s steps, so the event loop is never
    // held inside an endless wait: everything else keeps running while the meter is away.
    QTimer m_recoverTimer;
    int m_recoverSteps = 0;
};

} // namespace slm
