#include "measurement/AssessmentRun.h"

#include "measurement/RecordFileFormat.h"

namespace slm
{

std::span<const DosePreset> dosePresets()
{
    static constexpr DosePreset presets[] = {
        {"OSHA PEL", "osha-pel"},
        {"OSHA HC", "osha-hc"},
        {"NIOSH", "niosh"},
        {"ISO 9612", "iso"},
    };
    return presets;
}

AssessmentResults assessSamples(std::span<const RecordSample> samples, std::optional<double> interval,
                                std::optional<bool> aWeighted, std::span<const Exclusion> exclusions,
                                const AssessmentSettings& settings)
{
    AssessmentResults r;
    r.excludedSpans = exclusionClockSpans(exclusions);
    r.excludedRecords = ExclusionMask(samples, r.excludedSpans);
    const ExclusionMask& mask = r.excludedRecords;
    r.figures = figuresOfSamples(samples, interval, mask, settings.resolution);
    const AssessmentParts& parts = settings.parts;
    if (parts.hours)
        r.hours = hourlyTable(samples, interval, mask);
    if (parts.days)
        r.days = dayEveningNightTable(samples, interval, mask, settings.periods);
    if (parts.dose)
        r.dose = noiseDose(samples, interval, mask, settings.dose, aWeighted);
    if (parts.events && parts.listEvents)
        r.events = noiseEvents(samples, interval, mask, settings.events);
    else if (parts.events)
        r.events =
            noiseEvents(samples, interval, mask, settings.events, [](const NoiseEvent&) { return true; });
    return r;
}

std::optional<bool> aWeightedOf(const RecordHeader& header)
{
    if (header.kind == RecordFileKind::List)
        return std::nullopt;
    return header.text(HeaderField::FreqWeighting).trimmed() == u"A";
}

std::optional<double> rangeTopOf(const RecordHeader& header)
{
    if (header.kind == RecordFileKind::List)
        return std::nullopt;
    const QStringList ends = header.text(HeaderField::LevelRange).trimmed().split(u'-');
    bool lowOk = false;
    bool highOk = false;
    ends.value(0).toInt(&lowOk);
    const int top = ends.value(1).toInt(&highOk);
    if (ends.size() != 2 || !lowOk || !highOk)
        return std::nullopt;
    return double(top);
}

} // namespace slm
