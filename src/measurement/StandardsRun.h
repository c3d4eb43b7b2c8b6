#pragma once

#include "measurement/AssessmentPeriods.h"
#include "measurement/BackgroundLevels.h"
#include "measurement/CnelAndCounts.h"
#include "measurement/ConstructionThresholds.h"
#include "measurement/LimitReplay.h"
#include "measurement/ResidualRating.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

// The assessments consultants report against, asked for together over one measurement: interval
// and background tables, limits replayed, the residual correction and the rating level, the
// construction thresholds, the rating background level, CNEL and counts above levels. One call
// works out every table asked for; each table reads the records once.

namespace slm
{

// A level the user points at: a number, the Leq of another file's records, or the Leq of a span
// of the measurement itself.
struct LevelSource {
    enum class Kind { None, Number, Records, Span };
    Kind kind = Kind::None;
    QString option; // where it was given, for messages: "--ambient"
    QString given;  // as it was given: "52", "quiet.slmm", "2026-03-02T10:00/2026-03-02T11:00"
    double number = 0;
    std::span<const RecordSample> records; // Records: another file's
    const ExclusionMask* mask = nullptr;   // which of those are left out; none when null
    ClockSpan span;                        // Span: [start, end) on the records' clock

    bool present() const { return kind != Kind::None; }
};

// What a source came to: the level and, from records, how many levels it is the Leq of.
struct SourceLevel {
    double leq = 0;
    std::int64_t levels = 0;        // 0 for a number
    std::optional<double> coverage; // a span's levels x dt over its length, in %
};

// Why each character correction was made, in the user's words; "" for none given.
struct CorrectionReasons {
    QString tonal;
    QString impulsive;
    QString other;
    QString intermittency;
};

struct StandardsInputs {
    std::optional<std::int64_t> intervalSeconds;   // the interval table: 300, 900, 1800, 3600
    std::optional<QList<LimitConfig>> limits;      // replayed over the records
    std::optional<std::int64_t> backgroundSeconds; // 900 or 3600
    LevelSource ambient;                           // La, with `residual` for the correction
    LevelSource residual;                          // Lr
    bool rating = false;
    LevelSource specific; // Ls; none: the corrected level of ambient and residual
    std::optional<double> referenceSeconds;
    std::optional<double> onTimeSeconds;
    CharacterCorrections corrections;
    CorrectionReasons reasons;
    std::optional<double> backgroundLevel; // LA90 given; else the background table's median
    bool abc = false;
    std::optional<std::array<double, AbcPeriodCount>> abcLevels; // or the Leq of `abcRecords`
    LevelSource abcRecords;
    bool rbl = false;
    bool cnel = false;
    std::vector<double> nAbove; // thresholds; empty: not asked
    EventSettings eventRule;    // minimum duration and continuation of the counts above
    PeriodSettings periods;     // the coverage threshold, and the night the counts belong to
};

struct RatingOutcome {
    RatingInput input;
    RatingResult result;
    bool night = false;           // Tr of 15 min or less: the night's background
    bool specificBounded = false; // Ls was only bounded by the residual: LAr is an upper bound
    bool backgroundGiven = false; // else the median of the background table's day or night
};

struct AbcOutcome {
    std::array<std::optional<double>, AbcPeriodCount> ambient;
    std::array<std::optional<AbcThreshold>, AbcPeriodCount> thresholds; // none without an ambient
    std::vector<AbcRow> rows; // a period without an ambient has no site noise nor verdict
};

struct StandardsResults {
    QString error; // what the records cannot give, naming the input; "" when all was worked out
    std::int64_t intervalSeconds = 0;
    std::optional<std::vector<HourRow>> intervals;
    std::optional<LimitReplay> limits; // none without the interval
    std::optional<BackgroundTable> background;
    std::optional<SourceLevel> ambient;
    std::optional<SourceLevel> residualLevel;
    std::optional<ResidualCorrection> residual;
    std::optional<SourceLevel> specific; // given with --specific
    std::optional<RatingOutcome> rating;
    std::optional<AbcOutcome> abc;
    std::optional<RblTable> rbl;
    std::optional<CnelTable> cnel;
    std::optional<NAboveTable> nAbove; // none without the interval
};

StandardsResults runStandards(std::span<const RecordSample> samples, std::optional<double> interval,
                              const ExclusionMask& mask, const StandardsInputs& inputs);

// Whether the clock second lies in the rating's night (23:00-07:00).
bool isRatingNight(std::int64_t clockSeconds);

} // namespace slm
