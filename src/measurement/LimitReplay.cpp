#include "measurement/LimitReplay.h"

#include <algorithm>

namespace slm
{

namespace
{

// One limit over every record: its transitions, each with the record that brought it.
struct OneLimit {
    std::vector<LimitTransition> transitions;
    std::vector<size_t> records;
};

OneLimit replayOne(std::span<const RecordSample> samples, double interval, LimitReplaySummary& summary)
{
    LimitMonitor monitor(summary.config, interval);
    OneLimit one;
    std::int64_t stateStart = RecordSample::NoTime;
    std::optional<std::int64_t> last;
    // The time the monitor spent in its state since `stateStart`, added to that state's total.
    auto close = [&](LimitState state, double until) {
        if (stateStart == RecordSample::NoTime)
            return;
        const double spent = std::max(0.0, until - double(stateStart));
        if (state == LimitState::Alarm)
            summary.alarmSeconds += spent;
        else if (state == LimitState::Warning)
            summary.warningSeconds += spent;
    };
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        if (!s.hasTime())
            continue;
        if (stateStart == RecordSample::NoTime)
            stateStart = s.time;
        const size_t before = one.transitions.size();
        monitor.add(s, one.transitions);
        for (size_t k = before; k < one.transitions.size(); ++k) {
            const LimitTransition& t = one.transitions[k];
            close(t.previous, double(t.time));
            stateStart = t.time;
            if (t.state == LimitState::Alarm)
                ++summary.alarms;
            one.records.push_back(i);
        }
        last = s.time;
    }
    const double end = last ? double(*last) + interval : 0;
    close(monitor.state(), end);
    summary.finalState = monitor.state();
    if (summary.config.figure == LimitFigure::PeriodLeq) {
        summary.judged = monitor.periodsJudged();
        summary.exceeded = monitor.periodsExceeded();
    }
    return one;
}

} // namespace

std::optional<LimitReplay> replayLimits(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const QList<LimitConfig>& limits)
{
    if (!interval || !(*interval > 0))
        return std::nullopt;
    LimitReplay r;
    std::vector<OneLimit> each;
    for (const LimitConfig& l : limits) {
        r.limits.push_back({l, 0, 0, 0, {}, {}, LimitState::Clear});
        each.push_back(replayOne(samples, *interval, r.limits.back()));
    }
    std::optional<std::int64_t> last;
    for (auto s = samples.rbegin(); s != samples.rend() && !last; ++s)
        if (s->hasTime())
            last = s->time;
    r.end = last ? double(*last) + *interval : 0;
    // As the station reports them: record by record, and within a record limit by limit.
    std::vector<size_t> next(each.size(), 0);
    size_t total = 0;
    for (const OneLimit& one : each)
        total += one.transitions.size();
    r.transitions.reserve(total);
    while (r.transitions.size() < total) {
        size_t pick = each.size();
        for (size_t k = 0; k < each.size(); ++k)
            if (next[k] < each[k].records.size() &&
                (pick == each.size() || each[k].records[next[k]] < each[pick].records[next[pick]]))
                pick = k;
        r.transitions.push_back(std::move(each[pick].transitions[next[pick]++]));
    }
    return r;
}

} // namespace slm
