#pragma once

#include "measurement/LimitMonitor.h"

#include <optional>
#include <span>
#include <vector>

// The live limits judged afterwards over a file's records: the same monitors the station runs,
// fed the records in order, so the transitions are the ones its alarm log holds for that meter.

namespace slm
{

struct LimitReplaySummary {
    LimitConfig config;
    double warningSeconds = 0; // from each transition into the state to the next, or to the end
    double alarmSeconds = 0;
    int alarms = 0;                       // transitions into alarm
    std::optional<std::int64_t> judged;   // leq-period only: periods judged
    std::optional<std::int64_t> exceeded; // and at or above the level
    LimitState finalState = LimitState::Clear;
};

struct LimitReplay {
    std::vector<LimitTransition> transitions; // in time order, limit by limit as the station reports
    std::vector<LimitReplaySummary> limits;   // in the order of the sections
    double end = 0;                           // the last record's time + dt
};

// Every limit over every record that has a time, excluded or not: the station knew no exclusions.
// Each monitor starts clear at the first record. Needs the interval, as the monitors do.
std::optional<LimitReplay> replayLimits(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const QList<LimitConfig>& limits);

// The same, one limit at a time, so the limits can be replayed side by side: each limit's part,
// then the parts joined in the order of the sections. The interval must be known (> 0).
struct LimitReplayPart {
    LimitReplaySummary summary;
    std::vector<LimitTransition> transitions;
    std::vector<size_t> records; // the record that brought each transition
};
LimitReplayPart replayLimit(std::span<const RecordSample> samples, double interval, const LimitConfig& limit);
LimitReplay joinLimitReplays(std::span<const RecordSample> samples, double interval,
                             std::vector<LimitReplayPart> parts);

} // namespace slm
