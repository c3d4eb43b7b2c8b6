#pragma once

#include "link/MeterLink.h"

#include <QSerialPort>

namespace slm
{

// MeterLink over QSerialPort. Bytes are moved into the port's buffer by the event loop (the
// waits run it too), so polling inBufferCount() between waits sees them arrive; the port's
// readyRead is handed on as the arrival of bytes.
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
    void setArrivalHandler(std::function<void()> handler) override { m_arrived = std::move(handler); }

    QString lastError() const { return m_port.errorString(); }

private:
    void dropOnFatalError();

    QSerialPort m_port;
    std::function<void()> m_arrived;
    int m_inputLen = 0;
    bool m_failed = false;
    bool m_announcing = false;
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
