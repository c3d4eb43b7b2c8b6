#include "measurement/LimitReplay.h"

#include <algorithm>

namespace slm
{

namespace
{

std::optional<std::int64_t> lastTimeOf(std::span<const RecordSample> samples)
{
    for (auto s = samples.rbegin(); s != samples.rend(); ++s)
        if (s->hasTime())
            return s->time;
    return std::nullopt;
}

} // namespace

LimitReplayPart replayLimit(std::span<const RecordSample> samples, double interval, const LimitConfig& limit)
{
    LimitReplayPart part;
    LimitReplaySummary& summary = part.summary;
    summary.config = limit;
    LimitMonitor monitor(limit, interval);
    monitor.add(samples, part.transitions, part.records);
    // The time spent in each state: from the first record, or from each transition into it, to the
    // next transition or to the last record + dt.
    std::int64_t stateStart = RecordSample::NoTime;
    for (const RecordSample& s : samples)
        if (s.hasTime()) {
            stateStart = s.time;
            break;
        }
    auto close = [&](LimitState state, double until) {
        if (stateStart == RecordSample::NoTime)
            return;
        const double spent = std::max(0.0, until - double(stateStart));
        if (state == LimitState::Alarm)
            summary.alarmSeconds += spent;
        else if (state == LimitState::Warning)
            summary.warningSeconds += spent;
    };
    for (const LimitTransition& t : part.transitions) {
        close(t.previous, double(t.time));
        stateStart = t.time;
        if (t.state == LimitState::Alarm)
            ++summary.alarms;
    }
    const std::optional<std::int64_t> last = lastTimeOf(samples);
    close(monitor.state(), last ? double(*last) + interval : 0);
    summary.finalState = monitor.state();
    if (limit.figure == LimitFigure::PeriodLeq) {
        summary.judged = monitor.periodsJudged();
        summary.exceeded = monitor.periodsExceeded();
    }
    return part;
}

LimitReplay joinLimitReplays(std::span<const RecordSample> samples, double interval,
                             std::vector<LimitReplayPart> parts)
{
    LimitReplay r;
    const std::optional<std::int64_t> last = lastTimeOf(samples);
    r.end = last ? double(*last) + interval : 0;
    // As the station reports them: record by record, and within a record limit by limit.
    std::vector<size_t> next(parts.size(), 0);
    size_t total = 0;
    for (const LimitReplayPart& p : parts)
        total += p.transitions.size();
    r.transitions.reserve(total);
    while (r.transitions.size() < total) {
        size_t pick = parts.size();
        for (size_t k = 0; k < parts.size(); ++k)
            if (next[k] < parts[k].records.size() &&
                (pick == parts.size() || parts[k].records[next[k]] < parts[pick].records[next[pick]]))
                pick = k;
        r.transitions.push_back(std::move(parts[pick].transitions[next[pick]++]));
    }
    for (LimitReplayPart& p : parts)
        r.limits.push_back(std::move(p.summary));
    return r;
}

std::optional<LimitReplay> replayLimits(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const QList<LimitConfig>& limits)
{
    if (!interval || !(*interval > 0))
        return std::nullopt;
    std::vector<LimitReplayPart> parts;
    for (const LimitConfig& l : limits)
        parts.push_back(replayLimit(samples, *interval, l));
    return joinLimitReplays(samples, *interval, std::move(parts));
}

} // namespace slm
