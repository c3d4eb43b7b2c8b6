#include "link/SerialMeterLink.h"

#include <QStringList>

namespace slm
{

bool parseLineSettings(const QString& text, LineSettings& out)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    out.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || out.baud <= 0)
        return false;
    const QString parity = parts[1].trimmed().toLower();
    if (parity.size() != 1 || !QStringLiteral("noems").contains(parity))
        return false;
    out.parity = parity[0].toLatin1();
    out.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || out.dataBits < 5 || out.dataBits > 8)
        return false;
    out.stopBits = parts[3].trimmed().toInt(&ok);
    return ok && (out.stopBits == 1 || out.stopBits == 2);
}

SerialMeterLink::SerialMeterLink()
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
        // A hung-up terminal (pty whose other end closed) reports ReadError, an unplugged
        // adapter ResourceError; both stay broken.
        if (e == QSerialPort::ResourceError || e == QSerialPort::DeviceNotFoundError ||
            e == QSerialPort::PermissionError || e == QSerialPort::ReadError)
            dropOnFatalError();
    });
    QObject::connect(&m_port, &QSerialPort::readyRead, [this] {
        if (!m_arrived)
            return;
        // The event loop has just moved the bytes over: no need to ask the driver again.
        m_announcing = true;
        m_arrived();
        m_announcing = false;
    });
}

SerialMeterLink::~SerialMeterLink()
{
    if (m_port.isOpen())
        m_port.close();
}

void SerialMeterLink::setCommPort(const QString& device)
{
    m_port.setPortName(device);
}

bool SerialMeterLink::setSettings(const QString& settings)
{
    LineSettings s;
    if (!parseLineSettings(settings, s))
        return false;
    m_port.setBaudRate(s.baud);
    switch (s.parity) {
    case 'e':
        m_port.setParity(QSerialPort::EvenParity);
        break;
    case 'o':
        m_port.setParity(QSerialPort::OddParity);
        break;
    case 'm':
        m_port.setParity(QSerialPort::MarkParity);
        break;
    case 's':
        m_port.setParity(QSerialPort::SpaceParity);
        break;
    default:
        m_port.setParity(QSerialPort::NoParity);
        break;
    }
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits));
    m_port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    return true;
}

bool SerialMeterLink::portOpen() const
{
    return m_port.isOpen() && !m_failed;
}

bool SerialMeterLink::setPortOpen(bool open)
{
    if (!open) {
        if (m_port.isOpen())
            m_port.close();
        return true;
    }
    if (m_port.isOpen() && !m_failed)
        return true;
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_failed = false;
    return m_port.open(QIODevice::ReadWrite);
}

QByteArray SerialMeterLink::input()
{
    if (!portOpen())
        return {};
    // Take what the driver holds right now, not only what the event loop has moved over.
    if (!m_announcing)
        m_port.waitForReadyRead(0);
    if (m_inputLen > 0)
        return m_port.read(m_inputLen);
    return m_port.readAll();
}

int SerialMeterLink::inBufferCount()
{
    if (!portOpen())
        return 0;
    return static_cast<int>(m_port.bytesAvailable());
}

void SerialMeterLink::output(const QByteArray& bytes)
{
    if (!portOpen())
        return;
    m_port.write(bytes);
    m_port.flush();
}

void SerialMeterLink::dropOnFatalError()
{
    // A vanished adapter keeps failing; mark the link lost and let recovery reopen it.
    m_failed = true;
    // Its descriptor keeps signalling readable, which would spin the event loop: close it,
    // after Qt's own read handler has returned.
    QMetaObject::invokeMethod(
        &m_port,
        [this] {
            if (m_failed && m_port.isOpen())
                m_port.close();
        },
        Qt::QueuedConnection);
}

} // namespace slm
