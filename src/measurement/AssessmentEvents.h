#pragma once

#include "measurement/AssessmentArithmetic.h"
#include "measurement/AssessmentExclusions.h"

#include <functional>
#include <optional>
#include <span>
#include <vector>

// Noise events: runs of records above a threshold. A record is above when it is a level at or
// above the threshold or an overload ("L"). Two above records are one event when the later one's
// time is at most dt + C after the earlier one's and no paused or excluded record (nor one without
// a readable time) lies between them.

namespace slm
{

struct EventSettings {
    double threshold = 70; // dB
    double minDurationSeconds = 0;
    double continuationSeconds = 0; // C
};

struct NoiseEvent {
    int number = 0;                      // from 1, among the events kept
    std::int64_t start = 0;              // local clock seconds of its first above record
    std::int64_t last = 0;               // of its last above record
    double durationSeconds = 0;          // last - start + dt: the event ends dt after its last above record
    std::optional<std::int64_t> maxTime; // the first record at the event's Lmax
    // Over the levels from the first to the last above record, bridged levels below the threshold
    // included. With an overload inside (`overRange`) they are lower bounds.
    std::optional<double> lmax;
    std::optional<double> leq;
    std::optional<double> sel; // Leq + 10 lg(n x dt / 1 s)
    std::int64_t levels = 0;
    bool overRange = false;
    std::int64_t overloads = 0; // its overload records
};

struct EventSummary {
    EventSettings settings;
    std::vector<NoiseEvent> events; // empty when they were handed on one by one instead
    std::int64_t count = 0;         // the events kept
    double timeInEventsSeconds = 0;
    std::optional<double> perHour; // events per hour of measured time (levels x dt)
};

// The event rule one record at a time, so an assessment over a file and a live meter find the same
// events. An event is reported started once it has lasted the minimum duration and ended once no
// later record can bridge it any more (a record dt + C after its last above record, a paused or
// excluded record, or the end of the records).
class EventDetector
{
public:
    // What the events it reports hold: everything, or only their bounds (start, last, duration,
    // number and overloads) for a caller that only counts them.
    enum class Figures : std::uint8_t { Levels, BoundsOnly };
    EventDetector(const EventSettings& settings, double intervalSeconds, Figures figures = Figures::Levels);

    struct Step {
        std::optional<NoiseEvent> ended; // the event before, when this record closed it
        std::optional<NoiseEvent> started;
    };
    Step add(const RecordSample& s, bool excluded = false);
    // Closes the open event: the records ended.
    std::optional<NoiseEvent> finish();

    bool open() const { return m_open; }
    // Takes a record that neither ends nor starts an event, as add() would: one below the
    // threshold with no event open, and, with the bounds only, an above record lengthening the
    // open event already reported. False, having taken nothing, for any other: add() must take it.
    bool takeQuietly(const RecordSample& s, bool excluded)
    {
        if (!m_open)
            return excluded || !above(s) || s.kind == LevelTextKind::Paused || !s.hasTime();
        if (m_levels || !m_reported || excluded || s.kind == LevelTextKind::Paused || !s.hasTime() ||
            !above(s))
            return false;
        const std::int64_t gap = s.time - m_current.last;
        if (gap < 0 || double(gap) > m_reach)
            return false;
        m_current.last = s.time;
        if (s.kind == LevelTextKind::Over) {
            m_current.overRange = true;
            ++m_current.overloads;
        }
        return true;
    }

private:
    // A level at or above the threshold, or an overload. Whole tenths compare as integers.
    bool above(const RecordSample& s) const
    {
        if (s.kind == LevelTextKind::Over)
            return true;
        if (!s.isLevel())
            return false;
        return s.tenths >= 0 ? s.tenths >= m_aboveTenths : double(s.value) >= m_settings.threshold;
    }

    void addLevel(const RecordSample& s);
    std::optional<NoiseEvent> close();
    NoiseEvent snapshot() const;

    EventSettings m_settings;
    double m_dt;
    double m_reach; // dt + C
    bool m_levels = true;
    int m_aboveTenths = 0; // the least whole tenths t with t / 10.0 at or above the threshold
    bool m_open = false;
    bool m_reported = false;
    int m_kept = 0;
    NoiseEvent m_current;
    // The event's levels, and those since its last above record, which join it only when a later
    // above record bridges them.
    assessment::EnergySum m_energy;
    assessment::EnergySum m_pending;
    double m_pendingMax = 0;
    std::int64_t m_pendingMaxTime = 0;
};

// The events of a measurement a record at a time, with the summary's counts: each event is handed
// on as it closes, so millions of them are never held at once.
class EventCounter
{
public:
    EventCounter(const EventSettings& settings, double intervalSeconds);
    // The event this record closed, if any.
    std::optional<NoiseEvent> add(const RecordSample& sample, bool excluded)
    {
        if (sample.isLevel() && !excluded)
            ++m_measured;
        EventDetector::Step step = m_detector.add(sample, excluded);
        if (step.ended)
            keep(*step.ended);
        return std::move(step.ended);
    }
    // The event still open when the records ended.
    std::optional<NoiseEvent> finish();
    // The counts so far; its list stays empty.
    EventSummary summary() const;

private:
    void keep(const NoiseEvent& event)
    {
        ++m_count;
        m_timeInEvents += event.durationSeconds;
    }

    EventSettings m_settings;
    double m_dt;
    EventDetector m_detector;
    std::int64_t m_measured = 0; // levels not excluded
    std::int64_t m_count = 0;
    double m_timeInEvents = 0;
};

// Events need the interval: without one nothing is returned.
std::optional<EventSummary> noiseEvents(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const ExclusionMask& mask, const EventSettings& settings);
// The same, handing each event to `visit` as it closes instead of listing it, so millions of
// events are never held at once. The walk stops early when `visit` returns false.
std::optional<EventSummary> noiseEvents(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const ExclusionMask& mask, const EventSettings& settings,
                                        const std::function<bool(const NoiseEvent&)>& visit);

} // namespace slm
