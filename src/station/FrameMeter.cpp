#include "station/FrameMeter.h"

#include "link/FrameDecoder.h"
#include "station/PortLock.h"
#include "station/StationLog.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace slm::station
{

namespace
{

// The panel's recovery calls the meter lost after about a second without a frame; a station
// waits a little longer, so one late frame is no event in the journal.
constexpr int SilentAfterMs = 2500;
constexpr int RetryOpenMs = 2000;
constexpr qsizetype KeptBytes = 64;

} // namespace

FrameMeter::FrameMeter(const QString& name, const QString& port, const QStringList& simulatorArguments,
                       int intervalSeconds, const StationClock& clock, QObject* parent)
    : StationMeter(parent), m_name(name), m_port(port), m_simulatorArguments(simulatorArguments),
      m_interval(intervalSeconds), m_clock(clock)
{
    m_tickTimer.setSingleShot(true);
    m_tickTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_tickTimer, &QTimer::timeout, this, &FrameMeter::tick);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &FrameMeter::openPort);
    m_silenceTimer.setInterval(500);
    connect(&m_silenceTimer, &QTimer::timeout, this, &FrameMeter::checkSilence);
    connect(&m_serial, &QSerialPort::readyRead, this, &FrameMeter::readFrames);
    connect(&m_serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // A hung-up terminal reports ReadError, an unplugged adapter ResourceError; both stay
        // broken until the port is opened again.
        if (e == QSerialPort::ResourceError || e == QSerialPort::DeviceNotFoundError ||
            e == QSerialPort::PermissionError || e == QSerialPort::ReadError)
            portFailed(m_serial.errorString());
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
    if (m_serial.isOpen())
        m_serial.close();
    m_simulator.reset();
}

void FrameMeter::openPort()
{
    if (!m_running || m_serial.isOpen())
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
    m_serial.setPortName(m_device);
    m_serial.setBaudRate(38400);
    m_serial.setParity(QSerialPort::NoParity);
    m_serial.setDataBits(QSerialPort::Data8);
    m_serial.setStopBits(QSerialPort::OneStop);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serial.open(QIODevice::ReadWrite)) {
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
    m_buffer.clear();
    m_sinceFrame.start();
}

QString FrameMeter::openFailure() const
{
    // The library's words hide the cause when the device is missing or another program has it.
    if (!QFileInfo::exists(m_device))
        return QStringLiteral("the device does not exist (is the adapter plugged in?)");
    const QString holder = portLockHolder(m_device);
    return holder.isEmpty() ? m_serial.errorString() : holder;
}

void FrameMeter::portFailed(const QString& reported)
{
    const QString detail = QFileInfo::exists(m_device)
                               ? reported
                               : QStringLiteral("the device is gone (the adapter was unplugged?)");
    if (m_serial.isOpen())
        m_serial.close();
    setLinkUp(false, QStringLiteral("the port %1 failed: %2").arg(m_device, detail));
    if (m_running && !m_retryTimer.isActive())
        m_retryTimer.start(RetryOpenMs);
}

void FrameMeter::readFrames()
{
    m_buffer += m_serial.readAll();
    // The newest whole frame counts; what came before it is old news.
    for (qsizetype at = m_buffer.size() - 6; at >= 0; --at) {
        const QByteArray six = m_buffer.mid(at, 6);
        if (!isPlausibleLiveFrame(six))
            continue;
        const auto byte = [&](int i) { return static_cast<unsigned char>(six[i]); };
        DecodeRangeByte(m_reading, byte(1));
        DecodeStatusByte(m_reading, byte(2));
        DecodeLevelWord(m_reading, byte(3), byte(4));
        m_haveReading = true;
        m_sinceFrame.start();
        m_buffer.remove(0, at + 6);
        setLinkUp(true, QStringLiteral("the meter answers on %1").arg(m_device));
        break;
    }
    if (m_buffer.size() > KeptBytes)
        m_buffer.remove(0, m_buffer.size() - KeptBytes);
}

void FrameMeter::checkSilence()
{
    if (m_up && m_sinceFrame.isValid() && m_sinceFrame.elapsed() > SilentAfterMs)
        setLinkUp(false, QStringLiteral("the meter fell silent on %1").arg(m_device));
}

void FrameMeter::setLinkUp(bool up, const QString& detail)
{
    if (up == m_up)
        return;
    m_up = up;
    if (!up)
        m_haveReading = false;
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
    const QDateTime now = m_clock.now().addMSecs(100);
    const QDateTime second = QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch());
    if (m_running)
        m_tickTimer.start(int(std::max<qint64>(1, m_clock.now().msecsTo(second.addSecs(1)))));
    checkSilence();
    // One sample per second, whatever the timer's slack.
    if (second.toSecsSinceEpoch() == m_lastSecond)
        return;
    m_lastSecond = second.toSecsSinceEpoch();
    if (!m_up || !m_haveReading || second.toSecsSinceEpoch() % m_interval != 0)
        return;
    Sample sample = sampleOfReading(m_reading);
    sample.time = second;
    emit sampleTaken(sample, RangeFlags{m_reading.OverFlag, m_reading.UnderFlag});
}

} // namespace slm::station
