#pragma once

#include "measurement/AssessmentExclusions.h"
#include "measurement/ResidualRating.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

// The threshold categories of construction noise: the ambient level of each period, rounded to
// 5 dB, picks category A, B or C; the site noise of each day and period of the construction is
// judged against it.

namespace slm
{

// Day 07:00-19:00 Monday to Friday and 07:00-13:00 Saturday; evening and weekend 19:00-23:00
// Monday to Friday, 13:00-23:00 Saturday and 07:00-23:00 Sunday; night 23:00-07:00.
enum class AbcPeriod { Day, EveningWeekend, Night };
constexpr int AbcPeriodCount = 3;

// The period of a record's local clock seconds and the date it belongs to (a night belongs to the
// day it starts on).
std::pair<AbcPeriod, std::int64_t> abcPeriodOf(std::int64_t t);
QString abcPeriodName(AbcPeriod period); // "day", "evening and weekend", "night"
// Category A's threshold of a period: 65, 55 or 45 dB; B and C are 5 and 10 dB above.
int categoryAThreshold(AbcPeriod period);

enum class AbcCategory { A, B, C, AboveC };

struct AbcThreshold {
    double ambient = 0; // the measured ambient Leq of the period
    int rounded = 0;    // rounded to the nearest 5 dB, a half up
    AbcCategory category = AbcCategory::A;
    double threshold = 0; // A, B or C; ambient + 3 dB above the C value
};

AbcThreshold abcThreshold(AbcPeriod period, double ambient);
QString abcCategoryName(AbcCategory category); // "A", "B", "C", "above C"

// Each period's Leq over all its days (for a pre-construction file), null for a period without
// levels.
std::array<std::optional<double>, AbcPeriodCount> abcAmbientOf(std::span<const RecordSample> samples,
                                                               const ExclusionMask& mask);

enum class AbcVerdict { NotExceeded, Exceeded, Undetermined };
QString abcVerdictText(AbcVerdict verdict); // "not exceeded", "exceeded", "undetermined"

struct AbcRow {
    std::int64_t date = 0;
    AbcPeriod period = AbcPeriod::Day;
    std::optional<double> total; // the measured Leq
    std::int64_t levels = 0;
    std::optional<double> coverage; // levels x dt over the period's nominal length, in %
    AbcThreshold threshold;
    std::optional<ResidualCorrection> site; // the total corrected for the ambient
    std::optional<AbcVerdict> verdict;      // nothing without a level
};

// One row per day and period that holds records of the construction file.
std::vector<AbcRow> abcTable(std::span<const RecordSample> samples, std::optional<double> interval,
                             const ExclusionMask& mask, const std::array<double, AbcPeriodCount>& ambient);

} // namespace slm
