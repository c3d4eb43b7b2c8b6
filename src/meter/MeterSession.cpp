#include "meter/MeterSession.h"

#include "link/FrameDecoder.h"
#include "link/LinkLock.h"
#include "link/MeterLink.h"
#include "link/PortAccess.h"
#include "link/WaitSeconds.h"
#include "shared/Clock.h"
#include "shared/PanelState.h"
#include "shared/StatusNotices.h"

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

MeterSession::MeterSession(Services& services, const PanelState& state, QObject* parent)
    : MeterSession(services.line(), services.clock, MeterPort{state.PortName, state.PortLabel}, parent)
{
}

MeterSession::MeterSession(const MeterLine& line, Clock& clock, MeterPort port, QObject* parent)
    : QObject(parent), m_line(line), m_clock(clock), m_port(std::move(port)), m_poll(m_line, m_reading)
{
    connect(&m_sampling, &Sampling::ticked, this, &MeterSession::ticked);
    connect(&m_sampling, &Sampling::sampleTaken, this, &MeterSession::sampleTaken);
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

std::optional<MeterSession::StartUpError> MeterSession::startUp()
{
    MeterLink& link = m_line.link;
    bool opened = !m_port.name.isEmpty();
    if (opened) {
        link.setCommPort(m_port.name);
        opened = link.setSettings(QStringLiteral("38400,n,8,1"));
    }
    if (opened && !link.portOpen())
        opened = link.setPortOpen(true);
    if (!opened) {
        // A port that is there but refused says why, in the details.
        return StartUpError{QStringLiteral("No device found, try again!"), portAccessProblem(m_port.name)};
    }
    emit comLabelChanged(m_port.label);
    m_sampling.setInterval(1);
    m_timer1.start();
    m_timer2.start();
    return std::nullopt;
}

void MeterSession::shutDown()
{
    setTimersEnabled(false);
    emit aboutToEnd();
    // Loops still waiting for the meter end at their next step.
    m_line.waiter.cancel();
    m_recoverTimer.stop();
}

void MeterSession::setTimersEnabled(bool on)
{
    // Windows closed by the panel's close switch the timers on as they go: the program ends.
    if (on && m_line.waiter.cancelled())
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
        m_sampling.setReading(sampleOfReading(m_reading));
        emit readingDecoded(m_reading);
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
    if (!guard.entered())
        return;
    m_sampling.tick(m_clock.now());
    emit samplingTick();
}

void MeterSession::recoverLink()
{
    emit linkLost();
    setTimerRunning(m_timer2, false);
    emit comLabelChanged(QStringLiteral("No COM"));

    // Wait for the meter: flush, then every 0.02 s look for six bytes; read them; done when
    // they end in a frame, else flush and wait again. No time limit.
    m_line.link.flush();
    m_recoverSteps = 0;
    m_recoverTimer.start();
}

void MeterSession::recoverStep()
{
    if (m_line.waiter.cancelled()) {
        m_recoverTimer.stop();
        return;
    }
    // A key press or a window's exchange has the link: leave its bytes alone.
    if (m_line.linkLock.busy())
        return;
    // A port that went away (an unplugged USB adapter) is opened again every half second.
    if (++m_recoverSteps % ReopenEverySteps == 0 && !m_line.link.portOpen() && m_line.link.setPortOpen(true))
        m_line.link.flush();
    if (m_line.link.inBufferCount() < 6)
        return;
    if (!isPlausibleLiveFrame(m_line.link.readAll().right(6))) {
        m_line.link.flush();
        return;
    }
    m_recoverTimer.stop();
    emit comLabelChanged(m_port.label);
    // Only when the timers are meant to run: a window's exchange may have them off.
    if (m_timer1.isActive())
        setTimerRunning(m_timer2, true);
}

} // namespace slm
