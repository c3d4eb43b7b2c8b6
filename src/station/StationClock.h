#pragma once

#include <QDateTime>

namespace slm::station
{

// The station's time: the system's, or one that started at a given local time and runs at the
// normal rate from there (tests cross an hour boundary within seconds). Shared by every meter,
// so their ticks and their files agree.
class StationClock
{
public:
    StationClock() = default;
    explicit StationClock(const QDateTime& startAt)
        : m_offsetMs(QDateTime::currentDateTime().msecsTo(startAt) / 1000 * 1000)
    {
    }
    QDateTime now() const { return QDateTime::currentDateTime().addMSecs(m_offsetMs); }
    // Without the time zone: every local-time step asks the C library to check the zone file,
    // and each meter's tick runs every second.
    qint64 nowMs() const { return QDateTime::currentMSecsSinceEpoch() + m_offsetMs; }
    // Milliseconds until the next whole second of this clock.
    int msecsToNextSecond() const { return 1000 - int(nowMs() % 1000); }

private:
    qint64 m_offsetMs = 0;
};

} // namespace slm::station
