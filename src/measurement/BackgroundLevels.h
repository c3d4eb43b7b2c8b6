#pragma once

#include "measurement/AssessmentPeriods.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// The background sound of a measurement from the L90 of its clock intervals: their distribution
// by day and by night with its median and mode, and the rating background level of a site over
// days of day, evening and night periods.

namespace slm
{

// The L90 values of the intervals of one part of the day that meet the coverage threshold.
struct BackgroundDistribution {
    std::vector<double> values;          // in time order
    std::map<int, std::int64_t> classes; // 1 dB class n = [n, n+1) -> count
    std::optional<double> median;        // the lower middle value for an even count
    std::optional<int> mode;             // the most frequent class, the lower on a tie
};

struct BackgroundTable {
    std::int64_t intervalSeconds = 900;
    std::vector<HourRow> intervals; // every interval holding records (the interval table)
    double coveragePercent = 50;    // the threshold an interval's L90 must meet to count
    BackgroundDistribution day;     // intervals starting 07:00 .. 23:00
    BackgroundDistribution night;   // 23:00 .. 07:00
};

// From the interval table of the records: day and night split at 07:00 and 23:00 by each
// interval's start.
BackgroundTable backgroundTable(std::vector<HourRow> intervals, std::int64_t intervalSeconds,
                                double coveragePercent);

// The rating background level: day 07:00-18:00 (08:00-18:00 on Sundays), evening 18:00-22:00,
// night 22:00-07:00 (to 08:00 into a Sunday), each belonging to the day it starts on.
enum class RblPeriod { Day, Evening, Night };

struct AblRow {
    std::int64_t date = 0; // days since 1970-01-01
    RblPeriod period = RblPeriod::Day;
    int intervals = 0;         // the period's 15-minute intervals (44, 40, 4 or 36 ...)
    int valid = 0;             // those whose L90 meets the coverage threshold
    bool counts = false;       // at least 75 % valid
    std::optional<double> abl; // the 10th percentile by nearest rank of the valid values
};

struct RblResult {
    RblPeriod period = RblPeriod::Day;
    int validDays = 0;
    std::optional<double> median;        // of the counting days' ABLs, the lower middle value
    std::optional<double> rbl;           // the median raised to 35 dB (day) or 30 dB (evening, night)
    bool raised = false;                 // the floor applied
    std::optional<double> intrusiveness; // RBL + 5 dB
    bool fewDays = false;                // fewer than 7 valid days
};

struct RblTable {
    std::vector<AblRow> days; // in date and period order
    RblResult day;
    RblResult evening;
    RblResult night;
};

// From the 15-minute interval table of the records.
RblTable ratingBackgroundTable(const std::vector<HourRow>& quarterHours, double coveragePercent);
QString rblPeriodName(RblPeriod period); // "day", "evening", "night"

// The value at rank ceil(0.1 n) of the n values sorted; nothing for none.
std::optional<double> nearestRankTenth(std::vector<double> values);
// The lower middle value of the values sorted; nothing for none.
std::optional<double> lowerMedian(std::vector<double> values);

} // namespace slm
