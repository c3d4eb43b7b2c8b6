#include "app/MeterSession.h"

#include "link/FrameDecoder.h"
#include "link/LinkLock.h"
#include "link/MeterLink.h"
#include "link/PortAccess.h"
#include "link/WaitSeconds.h"
#include "shared/Dialogs.h"
#include "shared/PanelState.h"
#include "shared/Services.h"

#include <QWidget>

namespace slm
{

namespace
{
constexpr int ReopenEverySteps = 25; // of 0.02 s while recovering a port that went away

void setTimerRunning(QTimer& timer, bool on)
{
    // Starting a running timer would restart its interval; only switch when it changes.
    if (on && !timer.isActive())
        timer.start();
    else if (!on)
        timer.stop();
}
} // namespace

MeterSession::MeterSession(Services& services, PanelState& state, QObject* parent)
    : QObject(parent), m_s(services), m_state(state), m_poll(services, state.Live)
{
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(200);
    connect(&m_timer1, &QTimer::timeout, this, &MeterSession::pollTick);
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer2.setInterval(1000);
    connect(&m_timer2, &QTimer::timeout, this, &MeterSession::runSamplingTick);
    m_recoverTimer.setInterval(20);
    m_recoverTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_recoverTimer, &QTimer::timeout, this, &MeterSession::recoverStep);
}

MeterSession::~MeterSession() = default;

bool MeterSession::startUp(QWidget* dialogParent)
{
    MeterLink& link = m_s.link;
    bool opened = !m_state.PortName.isEmpty();
    if (opened) {
        link.setCommPort(m_state.PortName);
        opened = link.setSettings(QStringLiteral("38400,n,8,1"));
    }
    if (opened && !link.portOpen())
        opened = link.setPortOpen(true);
    if (!opened) {
        const QString text = QStringLiteral("No device found, try again!");
        const QString title = dialogParent ? dialogParent->windowTitle() : QString();
        // A port that is there but refused says why, behind the message's details.
        const QString details = portAccessProblem(m_state.PortName);
        if (details.isEmpty())
            m_s.dialogs.message(dialogParent, text, title, Dialogs::Icon::Critical);
        else
            m_s.dialogs.detailedMessage(dialogParent, text, details, title, Dialogs::Icon::Critical);
        return false;
    }
    emit comLabelChanged(m_state.PortLabel);
    m_state.PcSamplingTime = 1;
    m_timer1.start();
    m_timer2.start();
    return true;
}

void MeterSession::shutDown()
{
    setTimersEnabled(false);
    emit aboutToEnd();
    // Loops still waiting for the meter end at their next step.
    m_s.waiter.cancel();
    m_recoverTimer.stop();
}

void MeterSession::setTimersEnabled(bool on)
{
    // Windows closed by the panel's close switch the timers on as they go: the program ends.
    if (on && m_s.waiter.cancelled())
        return;
    setTimerRunning(m_timer1, on);
    // While the meter is lost the sampling tick stays off (the recovery starts it again when
    // frames return): it would list, and record, the last reading as if it were live.
    setTimerRunning(m_timer2, on && !recovering());
}

void MeterSession::pollTick()
{
    if (recovering())
        return;
    switch (m_poll.tick()) {
    case LivePoll::Result::Decoded:
        emit frameDecoded();
        break;
    case LivePoll::Result::LinkLost:
        recoverLink();
        break;
    case LivePoll::Result::Skipped:
    case LivePoll::Result::Cancelled:
        break;
    }
}

void MeterSession::runSamplingTick()
{
    // The tick may let events run (the stop of a recording copies its file); a tick that
    // falls due meanwhile is skipped rather than nested.
    const ReentryFlag::Guard guard(m_tick);
    if (guard.entered())
        emit samplingTick();
}

void MeterSession::recoverLink()
{
    emit linkLost();
    setTimerRunning(m_timer2, false);
    emit comLabelChanged(QStringLiteral("No COM"));

    // Wait for the meter: flush, then every 0.02 s look for six bytes; read them; done when
    // they end in a frame, else flush and wait again. No time limit.
    m_s.link.flush();
    m_recoverSteps = 0;
    m_recoverTimer.start();
}

void MeterSession::recoverStep()
{
    if (m_s.waiter.cancelled()) {
        m_recoverTimer.stop();
        return;
    }
    // A key press or a window's exchange has the link: leave its bytes alone.
    if (m_s.linkLock.busy())
        return;
    // A port that went away (an unplugged USB adapter) is opened again every half second.
    if (++m_recoverSteps % ReopenEverySteps == 0 && !m_s.link.portOpen() && m_s.link.setPortOpen(true))
        m_s.link.flush();
    if (m_s.link.inBufferCount() < 6)
        return;
    if (!isPlausibleLiveFrame(m_s.link.readAll().right(6))) {
        m_s.link.flush();
        return;
    }
    m_recoverTimer.stop();
    emit comLabelChanged(m_state.PortLabel);
    // Only when the timers are meant to run: a window's exchange may have them off.
    if (m_timer1.isActive())
        setTimerRunning(m_timer2, true);
}

} // namespace slm
