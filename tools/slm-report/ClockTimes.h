#pragma once

#include <QString>
#include <cstdint>
#include <map>

// The records' local clock times as the report's outputs write them.

namespace slm
{

// Local clock times as ISO 8601 with their offset. The date, the hour and the offset are worked out
// once per clock hour (the clock changes on the hour): asking the time zone and the calendar for
// each of millions of events would cost more than the whole computation.
class ClockTimeTexts
{
public:
    QString text(std::int64_t clock, double plusSeconds = 0);

private:
    // Per clock hour: "2026-03-02T10:" and its offset "+01:00".
    struct HourTexts {
        QString start;
        QString offset;
    };
    std::map<std::int64_t, HourTexts> m_hours;
    std::int64_t m_lastHour = 0;
    const HourTexts* m_last = nullptr;
};

// "2026-03-02" of days since 1970-01-01.
QString dateText(std::int64_t days);
// "07:00" of seconds after midnight.
QString clockText(int seconds);

} // namespace slm
