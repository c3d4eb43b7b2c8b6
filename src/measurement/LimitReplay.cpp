#include "measurement/LimitReplay.h"

#include <algorithm>

namespace slm
{

std::optional<LimitReplay> replayLimits(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const QList<LimitConfig>& limits)
{
    if (!interval || !(*interval > 0))
        return std::nullopt;
    std::vector<LimitMonitor> monitors;
    monitors.reserve(size_t(limits.size()));
    LimitReplay r;
    for (const LimitConfig& l : limits) {
        monitors.emplace_back(l, *interval);
        r.limits.push_back({l, 0, 0, 0, {}, {}, LimitState::Clear});
    }
    std::vector<std::int64_t> stateStart(monitors.size(), RecordSample::NoTime);
    std::optional<std::int64_t> last;
    // The time a monitor spent in its state since `stateStart`, added to that state's total.
    auto close = [&](size_t k, LimitState state, double until) {
        if (stateStart[k] == RecordSample::NoTime)
            return;
        const double spent = std::max(0.0, until - double(stateStart[k]));
        if (state == LimitState::Alarm)
            r.limits[k].alarmSeconds += spent;
        else if (state == LimitState::Warning)
            r.limits[k].warningSeconds += spent;
    };
    for (const RecordSample& s : samples) {
        if (!s.hasTime())
            continue;
        for (size_t k = 0; k < monitors.size(); ++k) {
            if (stateStart[k] == RecordSample::NoTime)
                stateStart[k] = s.time;
            const QList<LimitTransition> changes = monitors[k].add(s);
            for (const LimitTransition& t : changes) {
                close(k, t.previous, double(t.time));
                stateStart[k] = t.time;
                if (t.state == LimitState::Alarm)
                    ++r.limits[k].alarms;
                r.transitions.push_back(t);
            }
        }
        last = s.time;
    }
    r.end = last ? double(*last) + *interval : 0;
    for (size_t k = 0; k < monitors.size(); ++k) {
        close(k, monitors[k].state(), r.end);
        LimitReplaySummary& l = r.limits[k];
        l.finalState = monitors[k].state();
        if (l.config.figure == LimitFigure::PeriodLeq) {
            l.judged = monitors[k].periodsJudged();
            l.exceeded = monitors[k].periodsExceeded();
        }
    }
    return r;
}

} // namespace slm
