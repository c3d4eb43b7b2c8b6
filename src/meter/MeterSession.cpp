#include "meter/MeterSession.h"

#include "link/FrameDecoder.h"
#include "link/LinkLock.h"
#include "link/MeterLink.h"
#include "link/PortAccess.h"
#include "link/WaitSeconds.h"
#include "shared/Clock.h"
#include "shared/PanelState.h"
#include "shared/StatusNotices.h"

#include <utility>

namespace slm
{

namespace
{
constexpr int ReopenEverySteps = 25; // of 0.02 s while recovering a port that went away
// A line without a single byte for about a second: the meter is lost. A noisy line is not.
constexpr qint64 LostAfterQuietMs = 1000;
// Long enough for a frame's decoding to be done, short against the meter's frame period.
constexpr int TickAfterFrameMs = 10;

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
    : QObject(parent), m_line(line), m_clock(clock), m_port(std::move(port)),
      m_meter(m_line.link, m_line.linkLock)
{
    connect(&m_sampling, &Sampling::sampleTaken, this, &MeterSession::sampleTaken);
    // Every sampling tick takes the reading as it stands.
    connect(&m_meter, &LiveMeter::frameDecoded, this, [this] {
        m_sampling.setReading(sampleOfReading(m_meter.reading()));
        if (std::exchange(m_phaseWanted, false))
            m_tickPhase.start();
    });
    m_tickPhase.setSingleShot(true);
    m_tickPhase.setInterval(TickAfterFrameMs);
    connect(&m_tickPhase, &QTimer::timeout, this, [this] {
        if (m_timer1.isActive())
            m_timer1.start();
    });
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(200);
    connect(&m_timer1, &QTimer::timeout, this, &MeterSession::displayTick);
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
    takeFrames(true);
    return std::nullopt;
}

void MeterSession::shutDown()
{
    setTimersEnabled(false);
    emit aboutToEnd();
    // Loops still waiting for the meter end at their next step.
    m_line.waiter.cancel();
    m_recoverTimer.stop();
    takeFrames(false);
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
    takeFrames(on && !recovering());
}

void MeterSession::takeFrames(bool on)
{
    // The frames are only taken while the display tick runs: a window that switched it off
    // may be using the line in its own steps.
    const bool taking = on && !m_line.waiter.cancelled();
    m_phaseWanted = taking;
    if (!taking)
        m_tickPhase.stop();
    m_meter.setTaking(taking);
}

void MeterSession::displayTick()
{
    if (recovering() || m_line.waiter.cancelled())
        return;
    m_meter.takeWaiting();
    // The silence of the line while an exchange had it says nothing of the meter.
    if (m_meter.exchangeInTheWay())
        return;
    if (!m_line.link.portOpen() || m_meter.quietMs() > LostAfterQuietMs) {
        recoverLink();
        return;
    }
    if (m_meter.decodedFrames() == m_shownFrames)
        return;
    m_shownFrames = m_meter.decodedFrames();
    emit readingDecoded(m_meter.reading());
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
    takeFrames(false);
    m_meter.forgetReading();
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
    // Only when the timers are meant to run: a window's exchange may have them off. The frame
    // that ended the wait is not shown; the frames after it are.
    if (m_timer1.isActive()) {
        setTimerRunning(m_timer2, true);
        takeFrames(true);
    }
}

} // namespace slm
