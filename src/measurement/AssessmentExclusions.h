#pragma once

#include "measurement/AssessmentArithmetic.h"
#include "measurement/LevelFigures.h"
#include "measurement/Sample.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

// Exclusions: spans of time cut out of a measurement (a passing truck, the calibration tone). A
// record inside one is left out of every figure and counted apart. The spans are instants (ISO 8601
// with an offset, as the assessment file keeps them); the records carry their local clock time, so
// each span is laid on the local clock of the system's time zone before records are tested.

namespace slm
{

// One span [start, end) with the reason the user gave.
struct Exclusion {
    QDateTime start;
    QDateTime end;
    QString reason;
};

// A span of local clock time in calendar seconds (as RecordSample::time counts them), [start, end).
struct ClockSpan {
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool operator==(const ClockSpan&) const = default;
};

// The clock spans of the exclusions, sorted and merged (empty spans dropped): each span covers
// the clock times its instants show. Where the clock is set back (the repeated hour at the end of
// daylight-saving time) a record's time cannot tell the two passes apart, so a clock time the span
// shows in either pass excludes the records of both passes at that clock time.
std::vector<ClockSpan> exclusionClockSpans(std::span<const Exclusion> exclusions);

// Which records the spans cover, decided a record at a time in the records' order, so a file read
// a pass at a time is excluded as a file held whole is.
class ExclusionCursor
{
public:
    explicit ExclusionCursor(std::span<const ClockSpan> spans) : m_spans(spans.begin(), spans.end()) {}
    // Records without a readable time are never excluded: no span can be said to hold them.
    bool excluded(std::int64_t time)
    {
        if (time == RecordSample::NoTime || m_spans.empty())
            return false;
        // Records come in time order almost always: the cursor steps forward, and a search is
        // made only when a time goes back.
        if (m_cursor > 0 && time < m_spans[m_cursor - 1].end)
            seek(time);
        while (m_cursor < m_spans.size() && m_spans[m_cursor].end <= time)
            ++m_cursor;
        return m_cursor < m_spans.size() && m_spans[m_cursor].start <= time;
    }

private:
    void seek(std::int64_t time);

    std::vector<ClockSpan> m_spans;
    size_t m_cursor = 0; // the span a sorted run of records is in or before
};

// Which records the spans cover, worked out once and read by every figure.
class ExclusionMask
{
public:
    ExclusionMask() = default; // nothing excluded
    ExclusionMask(std::span<const RecordSample> samples, std::span<const ClockSpan> spans);
    // Records without a readable time are never excluded: no span can be said to hold them.
    bool excluded(size_t record) const { return record < m_flags.size() && m_flags[record] != 0; }
    std::int64_t count() const { return m_count; }

private:
    std::vector<std::uint8_t> m_flags;
    std::int64_t m_count = 0;
};

// The computed figures (Leq, SEL, Lmax, Lmin, the Ln table) of the records not excluded, a record
// at a time. `records` still counts every record; levels, paused and other count only the ones kept.
class AssessedFigureCounter
{
public:
    void add(const RecordSample& sample, bool excluded);
    // Every record of a measurement held whole.
    void add(std::span<const RecordSample> samples, const ExclusionMask& mask);
    LevelFigures finish(std::optional<double> interval, LnResolution resolution) const;

private:
    void count(const RecordSample& sample, bool excluded);

    LnClassCounter m_ln;
    assessment::EnergySum m_energy;
    std::int64_t m_records = 0;
    std::int64_t m_paused = 0;
    std::int64_t m_other = 0;
    double m_max = 0;
    double m_min = 0;
};

// The same over records held whole.
LevelFigures figuresOfSamples(std::span<const RecordSample> samples, std::optional<double> interval,
                              const ExclusionMask& mask, LnResolution resolution = LnResolution::TenthDb);

// The basis line of the figures with the excluded records named: "from 3590 readings every 1 s;
// 8 paused, 2 other and 120 excluded left out". Without exclusions it is figuresBasisText's line.
QString assessedBasisText(const LevelFigures& figures, std::int64_t excluded);

} // namespace slm
