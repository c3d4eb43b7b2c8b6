#pragma once

#include "measurement/AssessmentDose.h"
#include "measurement/AssessmentEvents.h"
#include "measurement/AssessmentExclusions.h"
#include "measurement/AssessmentPeriods.h"
#include "measurement/LevelFigures.h"

#include <optional>
#include <span>
#include <vector>

// Everything assessed of one measurement at once, by the one set of choices: the figures with the
// exclusions honoured, the hourly and day-evening-night tables, the dose and the events. The
// assessment window recomputes it after each edit and the report prints it, so both say the same.

namespace slm
{

struct RecordHeader;

// What a run works out beside the figures: a report asks only for the tables it prints, and may
// count the events without listing them (it walks them again as it writes them).
struct AssessmentParts {
    bool hours = true;
    bool days = true;
    bool dose = true;
    bool events = true;
    bool listEvents = true;
};

struct AssessmentSettings {
    AssessmentParts parts;
    PeriodSettings periods;
    DoseCriterion dose = *doseCriterionOf(QStringLiteral("osha-pel"));
    EventSettings events;
    LnResolution resolution = LnResolution::TenthDb;
};

// The dose presets a user picks from, in the order they are offered: their names as shown and
// the preset each stands for.
struct DosePreset {
    const char* caption; // "OSHA PEL"
    const char* name;    // "osha-pel"
};
std::span<const DosePreset> dosePresets();

struct AssessmentResults {
    LevelFigures figures;
    std::vector<ClockSpan> excludedSpans; // the exclusions on the records' clock, merged
    ExclusionMask excludedRecords;        // which records they cover
    std::int64_t excluded() const { return excludedRecords.count(); }
    std::vector<HourRow> hours;
    DayTable days;
    DoseResult dose;
    std::optional<EventSummary> events; // nothing without an interval
    // The top of the meter's range as the header gives it: an overload reads at least that much.
    std::optional<double> rangeTop;
};

AssessmentResults assessSamples(std::span<const RecordSample> samples, std::optional<double> interval,
                                std::optional<bool> aWeighted, std::span<const Exclusion> exclusions,
                                const AssessmentSettings& settings);

// Whether the levels are A-weighted, as the header says; unknown for a list file, which keeps no
// weighting.
std::optional<bool> aWeightedOf(const RecordHeader& header);
// The top of the header's level range ("50-110" gives 110); unknown for a list file or another text.
std::optional<double> rangeTopOf(const RecordHeader& header);

} // namespace slm
