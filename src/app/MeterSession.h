#pragma once

#include "live/LivePoll.h"
#include "shared/PanelTimers.h"
#include "shared/ReentryGuard.h"

#include <QObject>
#include <QTimer>

class QWidget;

namespace slm
{

struct PanelState;
struct Services;

// The program's session with one meter: the open link, the 200 ms live poll (Timer1), the 1 s
// sampling tick (Timer2), the start-up order and the recovery of a lost link. Windows show what
// it announces; everything that must forget the meter's data when the link is lost listens to
// linkLost().
class MeterSession : public QObject, public PanelTimers
{
    Q_OBJECT
public:
    MeterSession(Services& services, PanelState& state, QObject* parent = nullptr);
    ~MeterSession() override;

    // Opens the port "38400,n,8,1" and starts both timers. False, after the message (over
    // dialogParent, titled with its caption), when the port cannot be opened: the program ends.
    bool startUp(QWidget* dialogParent);
    // The program ends: the timers stop for good, aboutToEnd() lets a recording be written,
    // then every wait still running ends at its next step.
    void shutDown();

    LivePoll& livePoll() { return m_poll; }
    // The meter is lost and the recovery waits for its frames.
    bool recovering() const { return m_recoverTimer.isActive(); }
    QTimer* timer1() { return &m_timer1; }
    QTimer* timer2() { return &m_timer2; }

    // PanelTimers
    void setTimersEnabled(bool on) override;
    bool livePollEnabled() const override { return m_timer1.isActive(); }
    bool samplingTickEnabled() const override { return m_timer2.isActive(); }

signals:
    // The live reading holds a newly decoded frame.
    void frameDecoded();
    // Timer2: one sampling tick, never nested.
    void samplingTick();
    // The meter fell silent or the port went away. Listeners, in the order they connected, end
    // a running recording and forget the list, the graphs and the level shown; the session
    // waits for the meter on its own.
    void linkLost();
    // What LblCOM shows: the port while connected, "No COM" while the meter is lost.
    void comLabelChanged(const QString& text);
    // Before the waits are cancelled at the end of the program.
    void aboutToEnd();

private:
    void pollTick();
    void runSamplingTick();
    void recoverLink();
    void recoverStep();

    Services& m_s;
    PanelState& m_state;
    LivePoll m_poll;
    QTimer m_timer1;
    QTimer m_timer2;
    ReentryFlag m_tick;
    // The recovery's wait runs on its own timer, in 0.02 s steps, so the event loop is never
    // held inside an endless wait: everything else keeps running while the meter is away.
    QTimer m_recoverTimer;
    int m_recoverSteps = 0;
};

} // namespace slm
