#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace slm
{

// The one serial port to the meter, with exactly the operations the program uses: raw bytes,
// read when the program asks; a link may also announce that bytes arrived.
class MeterLink
{
public:
    virtual ~MeterLink() = default;

    // CommPort: the device to open ("COM3" on Windows, "/dev/ttyS2", "/dev/ttyUSB0", a pty).
    virtual void setCommPort(const QString& device) = 0;
    // Settings: "38400,n,8,1"; false when the text is not understood.
    virtual bool setSettings(const QString& settings) = 0;
    // PortOpen: false also after the port reported an error or vanished, so that whoever
    // notices a lost link can open it again with setPortOpen(true).
    virtual bool portOpen() const = 0;
    virtual bool setPortOpen(bool open) = 0;
    // InputLen: 0 means the next input() returns everything waiting.
    virtual void setInputLen(int length) = 0;
    // Input: the waiting bytes (up to InputLen when it is not 0); they leave the buffer.
    virtual QByteArray input() = 0;
    // InBufferCount: bytes waiting now.
    virtual int inBufferCount() = 0;
    // Output: writes the bytes at once.
    virtual void output(const QByteArray& bytes) = 0;
    // Called (in the event loop) whenever bytes arrived; links that cannot tell leave it unused
    // and are read by asking. An empty handler ends the calls.
    virtual void setArrivalHandler(std::function<void()> handler) { (void)handler; }

    // Flush: InputLen 0, read everything and drop it.
    void flush()
    {
        setInputLen(0);
        input();
    }
    // Read everything waiting.
    QByteArray readAll()
    {
        setInputLen(0);
        return input();
    }
};

} // namespace slm
