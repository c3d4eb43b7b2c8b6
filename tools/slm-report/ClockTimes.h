#pragma once

#include <QString>
#include <cstdint>
#include <map>

// The records' local clock times as the report's outputs write them.

namespace slm
{

// Local clock times as ISO 8601 with their offset. The offset is worked out once per clock hour
// (the clock changes on the hour): asking the time zone for each of thousands of events would cost
// more than the whole computation.
class ClockTimeTexts
{
public:
    QString text(std::int64_t clock, double plusSeconds = 0);

private:
    std::map<std::int64_t, QString> m_offsets;
};

// "2026-03-02" of days since 1970-01-01.
QString dateText(std::int64_t days);
// "07:00" of seconds after midnight.
QString clockText(int seconds);

} // namespace slm
