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
    ExclusionMask excludedRecords;        // which records they cover (not kept of a file read in passes)
    std::int64_t excludedCount = 0;
    std::int64_t excluded() const { return excludedCount; }
    std::vector<HourRow> hours;
    DayTable days;
    DoseResult dose;
    std::optional<EventSummary> events; // nothing without an interval
    // The top of the meter's range as the header gives it: an overload reads at least that much.
    std::optional<double> rangeTop;
};

// The run itself, fed a record at a time (a file read in passes, never held) or all records at
// once. Whoever feeds it says which records are excluded (ExclusionCursor, ExclusionMask). The
// events are found as the records come, so they need the interval before the first record;
// without it they are left out here.
class AssessmentCounter
{
public:
    AssessmentCounter(const AssessmentSettings& settings, std::optional<double> eventInterval);
    void add(const RecordSample& sample, bool excluded)
    {
        m_excluded += excluded;
        m_figures.add(sample, excluded);
        if (m_hours)
            m_hours->add(sample, excluded);
        if (m_days)
            m_days->add(sample, excluded);
        if (m_dose)
            m_dose->add(sample, excluded);
        if (m_events)
            addToEvents(sample, excluded);
    }
    // Every record of a measurement held whole, a table at a time.
    void add(std::span<const RecordSample> samples, const ExclusionMask& mask);
    // The results but the exclusion spans and mask; an open event closes here, so call it once.
    AssessmentResults finish(std::optional<double> interval, std::optional<bool> aWeighted);

private:
    void addToEvents(const RecordSample& sample, bool excluded);

    AssessmentSettings m_settings;
    std::int64_t m_excluded = 0;
    AssessedFigureCounter m_figures;
    std::optional<IntervalTableCounter> m_hours;
    std::optional<DayTableCounter> m_days;
    std::optional<DoseCounter> m_dose;
    std::optional<EventCounter> m_events;
    std::vector<NoiseEvent> m_listed;
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
