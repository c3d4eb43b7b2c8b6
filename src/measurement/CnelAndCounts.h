#pragma once

#include "measurement/AssessmentEvents.h"
#include "measurement/AssessmentPeriods.h"

#include <optional>
#include <span>
#include <vector>

// The community noise equivalent level of each day (day 07:00-19:00, evening 19:00-22:00 weighted
// by 3, night 22:00-07:00 weighted by 10) and the counts of events above levels in each night.

namespace slm
{

struct CnelDay {
    std::int64_t date = 0;
    PeriodLevel day;
    PeriodLevel evening;
    PeriodLevel night;
    std::optional<double> cnel; // null when a period is below the coverage threshold
};

struct CnelTable {
    std::vector<CnelDay> days;
    std::optional<double> overall; // the energy mean of the days' CNELs that are not null
};

// `coveragePercent`: the threshold each period needs, as for Lden.
CnelTable cnelTable(std::span<const RecordSample> samples, std::optional<double> interval,
                    const ExclusionMask& mask, double coveragePercent);
// 10 lg((12 x 10^(Ld/10) + 3 x 3 x 10^(Le/10) + 9 x 10 x 10^(Ln/10)) / 24).
double cnelOf(double ld, double le, double ln);

struct NightCount {
    std::int64_t date = 0;   // the day whose night it is (the day-evening-night table's)
    std::vector<int> counts; // per threshold
};

struct NAboveTable {
    std::vector<double> thresholds; // X, dB
    std::vector<NightCount> nights; // the nights in which at least one record lies
    std::vector<int> totals;        // per threshold, the events over the whole file
};

// The events at each threshold (the event rule with the minimum duration and continuation of
// `rule`), counted in the night period they start in, and over the whole file. Needs the interval.
std::optional<NAboveTable> nAboveTable(std::span<const RecordSample> samples, std::optional<double> interval,
                                       const ExclusionMask& mask, const PeriodSettings& periods,
                                       const std::vector<double>& thresholds, const EventSettings& rule);

} // namespace slm
