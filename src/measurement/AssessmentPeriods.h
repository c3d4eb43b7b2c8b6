#pragma once

#include "measurement/AssessmentArithmetic.h"
#include "measurement/AssessmentExclusions.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

// The hourly table and the day-evening-night levels of a measurement. Periods are read on the
// records' local clock: a period [a, b) holds a record when a <= t < b. Only levels (no "*", "-"
// or "L") of records not excluded enter a Leq.

namespace slm
{

// One clock hour that holds records.
struct HourRow {
    std::int64_t start = 0; // local clock seconds of the hour's start
    std::optional<double> leq;
    std::optional<double> lmax;
    std::optional<double> lmin;
    // L10, L50 and L90 by the Ln table's 0.1 dB classes and rule over the hour's records not
    // excluded (paused records skipped, as the table skips them).
    std::optional<double> l10;
    std::optional<double> l50;
    std::optional<double> l90;
    std::int64_t levels = 0;
    std::optional<double> coverage; // levels x dt / 3600 s, in %; unknown without an interval
    std::int64_t excluded = 0;
};

// The rows of clock-aligned intervals of `length` seconds, a record at a time. Every interval a
// record falls in is kept until the end: a record may come back to one (the clock set back).
class IntervalTableCounter
{
public:
    explicit IntervalTableCounter(std::int64_t length = 3600) : m_length(length) {}
    void add(const RecordSample& sample, bool excluded);
    // Every record of a measurement held whole.
    void add(std::span<const RecordSample> samples, const ExclusionMask& mask);
    std::vector<HourRow> finish(std::optional<double> interval) const;

private:
    void count(const RecordSample& sample, bool excluded);

    // The Ln classes an interval's records fall in, held over the classes from its lowest to its
    // highest only and in 32 bits: thousands of hours then cost a kilobyte or two each. A count
    // past 2^32 (a file of a hundred gigabytes in one hour) keeps its wraps apart.
    struct Classes {
        std::vector<std::uint32_t> counts;
        size_t first = 0; // not an int: then no store to a count can be taken for one to it
        std::map<size_t, std::int64_t> wraps;
        void add(size_t tenth);
        size_t size() const { return first + counts.size(); }
        std::int64_t operator[](size_t tenth) const; // from class 0, as the percentile rule reads them
    };
    struct Accumulator {
        assessment::EnergySum energy;
        double max = 0;
        double min = 0;
        std::int64_t excluded = 0;
        std::int64_t classed = 0;
        Classes classes;
    };
    std::int64_t m_length;
    std::map<std::int64_t, Accumulator> m_rows;
    std::int64_t m_lastRow = 0;
    Accumulator* m_last = nullptr;
};

// One row per clock hour holding records, in time order. Records without a readable time are in
// no hour. In the repeated hour where the clock is set back both passes share one row (their
// times are the same clock times), so its coverage can reach 200 %.
std::vector<HourRow> hourlyTable(std::span<const RecordSample> samples, std::optional<double> interval,
                                 const ExclusionMask& mask);

// The same for clock-aligned intervals of `length` seconds (a divisor of a day: 5, 15 or 30 minutes,
// an hour), each row's coverage taken over that length.
std::vector<HourRow> intervalTable(std::span<const RecordSample> samples, std::optional<double> interval,
                                   const ExclusionMask& mask, std::int64_t length);

// The boundaries of the day, evening and night (seconds after midnight) and the coverage a
// period needs for its level to count.
struct PeriodSettings {
    int dayStart = 7 * 3600;
    int eveningStart = 19 * 3600;
    int nightStart = 23 * 3600;
    // Ldn's night starts at its own fixed boundary; its day starts with the day above.
    int ldnNightStart = 22 * 3600;
    double coveragePercent = 50;

    // "" when the boundaries are in order (day < evening <= night, day < Ldn's night, all within
    // one day) and the coverage is 0..100 %, else what is wrong.
    QString fault() const;
};

// One period of one day (or of all days): its Leq, its levels, its length and its coverage.
struct PeriodLevel {
    std::optional<double> leq;      // null below the coverage threshold
    std::optional<double> coverage; // levels x dt over the period's length, in %
    std::int64_t levels = 0;
    double lengthSeconds = 0; // the time the clock takes to pass the period
};

struct DayRow {
    std::int64_t date = 0; // days since 1970-01-01 of the day D the periods belong to
    PeriodLevel day;
    PeriodLevel evening;
    PeriodLevel night;
    PeriodLevel ldnDay;   // Ldn's day [day start, 22:00)
    PeriodLevel ldnNight; // Ldn's night [22:00, day start)
    std::optional<double> lden;
    std::optional<double> ldn;
};

struct DayTable {
    std::vector<DayRow> days; // in date order
    // Each period's Leq over all its records of all days whatever their coverage; the coverage is
    // the period's levels x dt over the summed lengths of that period on the listed days.
    DayRow overall;
};

// The day-evening-night table a record at a time.
class DayTableCounter
{
public:
    explicit DayTableCounter(const PeriodSettings& settings) : m_settings(settings) {}
    void add(const RecordSample& sample, bool excluded);
    // Every record of a measurement held whole.
    void add(std::span<const RecordSample> samples, const ExclusionMask& mask);
    DayTable finish(std::optional<double> interval) const;

    enum Period { Day, Evening, Night, LdnDay, LdnNight, PeriodCount };

private:
    void count(const RecordSample& sample, bool excluded);

    struct Accumulator {
        assessment::EnergySum energy[PeriodCount];
    };
    PeriodSettings m_settings;
    std::map<std::int64_t, Accumulator> m_days;
    std::int64_t m_lastDay = 0;
    Accumulator* m_last = nullptr;
};

// The days whose day, evening or night holds a record. A record before the day's start belongs to
// the day before (it is that day's night). The period lengths are the clock's: a night in which
// the clock is set back lasts 9 h, one in which it is put forward 7 h. Lden and Ldn weigh the
// periods by their nominal lengths in hours (12, 4, 8 and 15, 9 by default); a period of no
// length (an evening shortened to nothing) drops out of them.
DayTable dayEveningNightTable(std::span<const RecordSample> samples, std::optional<double> interval,
                              const ExclusionMask& mask, const PeriodSettings& settings);

} // namespace slm
