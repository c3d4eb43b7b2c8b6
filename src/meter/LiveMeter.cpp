#include "meter/LiveMeter.h"

#include "link/FrameDecoder.h"
#include "link/LinkLock.h"
#include "link/MeterLink.h"

namespace slm
{

namespace
{
constexpr int FrameBytes = 6;
// A frame split over two reads still ends up whole; older bytes are of no use.
constexpr qsizetype KeptBytes = 64;
} // namespace

LiveMeter::LiveMeter(MeterLink& link, LinkLock& lock, QObject* parent)
    : QObject(parent), m_link(link), m_lock(lock)
{
    m_sinceBytes.start();
    m_sinceFrame.start();
    m_link.setArrivalHandler([this] { bytesArrived(); });
}

LiveMeter::~LiveMeter()
{
    m_link.setArrivalHandler({});
}

void LiveMeter::setTaking(bool on)
{
    if (on && !m_taking)
        startAfresh();
    m_taking = on;
}

void LiveMeter::startAfresh()
{
    m_lockUses = m_lock.uses();
    m_pending.clear();
    m_inside = true;
    if (m_link.portOpen())
        m_link.flush();
    m_inside = false;
    m_sinceBytes.start();
    m_sinceFrame.start();
}

bool LiveMeter::exchangeInTheWay()
{
    if (m_lock.busy())
        return true;
    if (m_lock.uses() == m_lockUses)
        return false;
    // What waits now is the exchange's leftover, and the meter may have been quiet for it.
    startAfresh();
    return true;
}

void LiveMeter::forgetReading()
{
    m_haveReading = false;
}

void LiveMeter::takeWaiting()
{
    if (m_link.portOpen() && m_link.inBufferCount() > 0)
        bytesArrived();
}

void LiveMeter::bytesArrived()
{
    // Reading the port may announce more bytes from inside this call.
    if (!m_taking || m_inside || exchangeInTheWay())
        return;
    m_inside = true;
    const QByteArray bytes = m_link.readAll();
    m_inside = false;
    if (bytes.isEmpty())
        return;
    m_sinceBytes.start();
    m_pending += bytes;
    // Only the last six bytes can be the newest frame: the meter writes each frame whole, and
    // testing every window of a noisy line would let noise pass for a reading far more often.
    const QByteArray frame = m_pending.right(FrameBytes);
    if (isPlausibleLiveFrame(frame)) {
        const auto byte = [&](int i) { return static_cast<unsigned char>(frame[i]); };
        DecodeRangeByte(m_reading, byte(1));
        DecodeStatusByte(m_reading, byte(2));
        DecodeLevelWord(m_reading, byte(3), byte(4));
        ++m_decoded;
        m_haveReading = true;
        m_sinceFrame.start();
        m_pending.clear();
        emit frameDecoded();
        return;
    }
    if (m_pending.size() > KeptBytes)
        m_pending.remove(0, m_pending.size() - KeptBytes);
}

} // namespace slm
