#include "station/FrameMeter.h"

#include "station/PortLock.h"
#include "station/StationLog.h"

#include <QFileInfo>

#include <algorithm>

namespace slm::station
{

namespace
{

// The panel calls the meter lost after about a second without a byte; a station waits a little
// longer for a frame, so one late frame is no event in the journal.
constexpr int SilentAfterMs = 2500;
constexpr int RetryOpenMs = 2000;

} // namespace

FrameMeter::FrameMeter(const QString& name, const QString& port, const QStringList& simulatorArguments,
                       int intervalSeconds, const StationClock& clock, QObject* parent)
    : StationMeter(parent), m_name(name), m_port(port), m_simulatorArguments(simulatorArguments),
      m_interval(intervalSeconds), m_clock(clock), m_frames(m_link, m_lock)
{
    m_tickTimer.setSingleShot(true);
    m_tickTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_tickTimer, &QTimer::timeout, this, &FrameMeter::tick);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &FrameMeter::openPort);
    m_silenceTimer.setInterval(500);
    connect(&m_silenceTimer, &QTimer::timeout, this, &FrameMeter::checkLink);
    connect(&m_frames, &LiveMeter::frameDecoded, this, [this] {
        if (!m_up)
            setLinkUp(true, QStringLiteral("the meter answers on %1").arg(m_device));
    });
}

FrameMeter::~FrameMeter()
{
    stop();
}

void FrameMeter::start()
{
    m_running = true;
    if (m_port == u"simulated")
        startSimulator();
    else
        m_device = m_port;
    openPort();
    armTick();
    m_silenceTimer.start();
}

void FrameMeter::startSimulator()
{
    m_simulator = std::make_unique<SimulatorProcess>();
    m_device = m_simulator->start(m_simulatorArguments);
    if (m_device.isEmpty())
        logEvent(m_name, m_simulator->errorText());
    else
        logEvent(m_name, QStringLiteral("the simulated meter serves %1").arg(m_device));
}

void FrameMeter::stop()
{
    m_running = false;
    m_tickTimer.stop();
    m_retryTimer.stop();
    m_silenceTimer.stop();
    m_frames.setTaking(false);
    m_link.setPortOpen(false);
    m_opened = false;
    m_simulator.reset();
}

void FrameMeter::openPort()
{
    if (!m_running || m_opened)
        return;
    // A simulated meter that ended took its terminal with it: a new one serves a new terminal.
    if (m_port == u"simulated" && (m_device.isEmpty() || !QFileInfo::exists(m_device)))
        startSimulator();
    if (m_device.isEmpty()) {
        m_retryTimer.start(RetryOpenMs);
        return;
    }
    if (const QString lock = takeOverStalePortLock(m_device, m_staleLockReported); !lock.isEmpty())
        logEvent(m_name, lock);
    m_link.setPortOpen(false);
    m_link.setCommPort(m_device);
    m_link.setSettings(QStringLiteral("38400,n,8,1"));
    if (!m_link.setPortOpen(true)) {
        // Told once per outage; the retries go on quietly.
        if (!m_openFailureLogged)
            logEvent(m_name, QStringLiteral("cannot open %1: %2; retrying every %3 s")
                                 .arg(m_device, openFailure())
                                 .arg(RetryOpenMs / 1000));
        m_openFailureLogged = true;
        m_retryTimer.start(RetryOpenMs);
        return;
    }
    m_openFailureLogged = false;
    m_opened = true;
    m_frames.setTaking(false);
    m_frames.setTaking(true);
}

QString FrameMeter::openFailure() const
{
    // The library's words hide the cause when the device is missing or another program has it.
    if (!QFileInfo::exists(m_device))
        return QStringLiteral("the device does not exist (is the adapter plugged in?)");
    const QString holder = portLockHolder(m_device);
    return holder.isEmpty() ? m_link.lastError() : holder;
}

void FrameMeter::portFailed(const QString& reported)
{
    const QString detail = QFileInfo::exists(m_device)
                               ? reported
                               : QStringLiteral("the device is gone (the adapter was unplugged?)");
    m_frames.setTaking(false);
    m_link.setPortOpen(false);
    m_opened = false;
    setLinkUp(false, QStringLiteral("the port %1 failed: %2").arg(m_device, detail));
    if (m_running && !m_retryTimer.isActive())
        m_retryTimer.start(RetryOpenMs);
}

void FrameMeter::checkLink()
{
    // A hung-up terminal or an unplugged adapter leaves the link closed until opened again.
    if (m_opened && !m_link.portOpen()) {
        portFailed(m_link.lastError());
        return;
    }
    if (m_up && m_frames.frameMissingMs() > SilentAfterMs)
        setLinkUp(false, QStringLiteral("the meter fell silent on %1").arg(m_device));
}

void FrameMeter::setLinkUp(bool up, const QString& detail)
{
    if (up == m_up)
        return;
    m_up = up;
    if (!up)
        m_frames.forgetReading();
    logEvent(m_name, detail);
    emit linkStateChanged(up, detail);
}

void FrameMeter::armTick()
{
    if (m_running)
        m_tickTimer.start(m_clock.msecsToNextSecond());
}

void FrameMeter::tick()
{
    // The tick stands for the whole second it fired at; a timer a few ms early still counts.
    const qint64 second = (m_clock.nowMs() + 100) / 1000;
    if (m_running)
        m_tickTimer.start(int(std::max<qint64>(1, (second + 1) * 1000 - m_clock.nowMs())));
    checkLink();
    // One sample per second, whatever the timer's slack.
    if (second == m_lastSecond)
        return;
    m_lastSecond = second;
    if (!m_up || !m_frames.hasReading() || second % m_interval != 0)
        return;
    Sample sample = sampleOfReading(m_frames.reading());
    sample.time = QDateTime::fromSecsSinceEpoch(second);
    sample.interval = m_interval;
    emit sampleTaken(sample);
}

} // namespace slm::station
