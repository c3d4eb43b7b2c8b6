#include "measurement/AssessmentEvents.h"

#include <algorithm>
#include <cmath>

namespace slm
{

using namespace assessment;

EventDetector::EventDetector(const EventSettings& settings, double intervalSeconds, Figures figures)
    : m_settings(settings), m_dt(intervalSeconds), m_reach(intervalSeconds + settings.continuationSeconds),
      m_levels(figures == Figures::Levels)
{
    // Asked of the division itself, which rounds: t / 10.0 only grows with t.
    const double x = settings.threshold;
    if (!(x <= 3276.7)) {
        m_aboveTenths = 32768;
    } else if (x > 0) {
        int t = int(std::clamp(std::ceil(x * 10.0), 0.0, 32768.0));
        while (t > 0 && (t - 1) / 10.0 >= x)
            --t;
        while (t < 32768 && !(t / 10.0 >= x))
            ++t;
        m_aboveTenths = t;
    }
}

NoiseEvent EventDetector::snapshot() const
{
    NoiseEvent e = m_current;
    e.durationSeconds = double(e.last - e.start) + m_dt;
    if (!m_levels)
        return e;
    e.levels = m_energy.count;
    e.leq = m_energy.leq();
    if (e.leq && m_energy.total() > 0)
        e.sel = 10.0 * std::log10(m_energy.total() * m_dt);
    return e;
}

std::optional<NoiseEvent> EventDetector::close()
{
    if (!m_open)
        return std::nullopt;
    m_open = false;
    if (!m_reported)
        return std::nullopt; // shorter than the minimum: not an event
    return snapshot();
}

void EventDetector::addLevel(const RecordSample& s)
{
    const double level = s.level();
    if (!m_current.lmax || level > *m_current.lmax) {
        m_current.lmax = level;
        m_current.maxTime = s.time;
    }
    m_energy.add(energyOf(s));
}

EventDetector::Step EventDetector::add(const RecordSample& s, bool excluded)
{
    Step step;
    if (excluded || s.kind == LevelTextKind::Paused || !s.hasTime()) {
        step.ended = close();
        return step;
    }
    const bool over = s.kind == LevelTextKind::Over;
    const bool above = this->above(s);
    const std::int64_t gap = s.time - m_current.last;
    if (m_open && (gap < 0 || double(gap) > m_reach || (!above && double(gap) >= m_reach))) {
        // No later record can bridge it any more.
        step.ended = close();
    }
    if (!above) {
        // A level below the threshold may yet be bridged: kept apart until then.
        if (m_levels && m_open && s.isLevel()) {
            const double level = s.level();
            if (m_pending.count == 0 || level > m_pendingMax) {
                m_pendingMax = level;
                m_pendingMaxTime = s.time;
            }
            m_pending.add(energyOf(s));
        }
        return step;
    }
    if (!m_open) {
        m_open = true;
        m_reported = false;
        m_current = NoiseEvent{};
        m_current.start = s.time;
        m_energy = EnergySum{};
    } else if (m_pending.count > 0) {
        m_energy.add(m_pending);
        if (!m_current.lmax || m_pendingMax > *m_current.lmax) {
            m_current.lmax = m_pendingMax;
            m_current.maxTime = m_pendingMaxTime;
        }
    }
    m_pending = EnergySum{};
    m_current.last = s.time;
    if (over) {
        m_current.overRange = true;
        ++m_current.overloads;
    } else if (m_levels) {
        addLevel(s);
    }
    if (!m_reported && double(m_current.last - m_current.start) + m_dt >= m_settings.minDurationSeconds) {
        m_reported = true;
        m_current.number = ++m_kept;
        step.started = snapshot();
    }
    return step;
}

std::optional<NoiseEvent> EventDetector::finish()
{
    return close();
}

std::optional<EventSummary> noiseEvents(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const ExclusionMask& mask, const EventSettings& settings)
{
    return noiseEvents(samples, interval, mask, settings, nullptr);
}

EventCounter::EventCounter(const EventSettings& settings, double intervalSeconds)
    : m_settings(settings), m_dt(intervalSeconds), m_detector(settings, intervalSeconds)
{
}

std::optional<NoiseEvent> EventCounter::finish()
{
    std::optional<NoiseEvent> e = m_detector.finish();
    if (e)
        keep(*e);
    return e;
}

EventSummary EventCounter::summary() const
{
    EventSummary summary;
    summary.settings = m_settings;
    summary.count = m_count;
    summary.timeInEventsSeconds = m_timeInEvents;
    if (m_measured > 0)
        summary.perHour = double(m_count) / (double(m_measured) * m_dt / 3600.0);
    return summary;
}

std::optional<EventSummary> noiseEvents(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const ExclusionMask& mask, const EventSettings& settings,
                                        const std::function<bool(const NoiseEvent&)>& visit)
{
    if (!interval || !(*interval > 0))
        return std::nullopt;
    EventCounter counter(settings, *interval);
    std::vector<NoiseEvent> events;
    bool stopped = false;
    const auto keep = [&](std::optional<NoiseEvent>&& e) {
        if (!e)
            return;
        if (!visit)
            events.push_back(std::move(*e));
        else if (!visit(*e))
            stopped = true;
    };
    for (size_t i = 0; i < samples.size() && !stopped; ++i)
        keep(counter.add(samples[i], mask.excluded(i)));
    if (!stopped)
        keep(counter.finish());
    EventSummary summary = counter.summary();
    summary.events = std::move(events);
    return summary;
}

} // namespace slm
