#pragma once

#include "link/MeterLink.h"

#include <QSerialPort>

namespace slm
{

// MeterLink over QSerialPort. Bytes are moved into the port's buffer by the event loop that
// the waits run, so polling inBufferCount() between waits sees them arrive.
class SerialMeterLink : public MeterLink
{
public:
    SerialMeterLink();
    ~SerialMeterLink() override;

    void setCommPort(const QString& device) override;
    bool setSettings(const QString& settings) override;
    bool portOpen() const override;
    bool setPortOpen(bool open) override;
    void setInputLen(int length) override { m_inputLen = length; }
    QByteArray input() override;
    int inBufferCount() override;
    void output(const QByteArray& bytes) override;

    QString lastError() const { return m_port.errorString(); }

private:
    void dropOnFatalError();

    QSerialPort m_port;
    int m_inputLen = 0;
    bool m_failed = false;
};

// Parses "38400,n,8,1" into its parts; false when any part is not understood.
struct LineSettings {
    int baud = 0;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;
};
bool parseLineSettings(const QString& text, LineSettings& out);

} // namespace slm
