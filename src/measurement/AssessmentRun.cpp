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

AssessmentCounter::AssessmentCounter(const AssessmentSettings& settings, std::optional<double> eventInterval)
    : m_settings(settings)
{
    const AssessmentParts& parts = settings.parts;
    if (parts.hours)
        m_hours.emplace(3600);
    if (parts.days)
        m_days.emplace(settings.periods);
    if (parts.dose)
        m_dose.emplace(settings.dose);
    if (parts.events && eventInterval && *eventInterval > 0)
        m_events.emplace(settings.events, *eventInterval);
}

void AssessmentCounter::addToEvents(const RecordSample& s, bool excluded)
{
    std::optional<NoiseEvent> e = m_events->add(s, excluded);
    if (e && m_settings.parts.listEvents)
        m_listed.push_back(std::move(*e));
}

void AssessmentCounter::add(std::span<const RecordSample> samples, const ExclusionMask& mask)
{
    m_excluded += mask.count();
    m_figures.add(samples, mask);
    if (m_hours)
        m_hours->add(samples, mask);
    if (m_days)
        m_days->add(samples, mask);
    if (m_dose)
        m_dose->add(samples, mask);
    if (m_events) {
        for (size_t i = 0; i < samples.size(); ++i)
            addToEvents(samples[i], mask.excluded(i));
    }
}

AssessmentResults AssessmentCounter::finish(std::optional<double> interval, std::optional<bool> aWeighted)
{
    AssessmentResults r;
    r.excludedCount = m_excluded;
    r.figures = m_figures.finish(interval, m_settings.resolution);
    if (m_hours)
        r.hours = m_hours->finish(interval);
    if (m_days)
        r.days = m_days->finish(interval);
    if (m_dose)
        r.dose = m_dose->finish(interval, aWeighted);
    if (m_events) {
        std::optional<NoiseEvent> last = m_events->finish();
        if (last && m_settings.parts.listEvents)
            m_listed.push_back(std::move(*last));
        r.events = m_events->summary();
        r.events->events = std::move(m_listed);
    }
    return r;
}

AssessmentResults assessSamples(std::span<const RecordSample> samples, std::optional<double> interval,
                                std::optional<bool> aWeighted, std::span<const Exclusion> exclusions,
                                const AssessmentSettings& settings)
{
    const std::vector<ClockSpan> spans = exclusionClockSpans(exclusions);
    ExclusionMask mask(samples, spans);
    AssessmentCounter counter(settings, interval);
    counter.add(samples, mask);
    AssessmentResults r = counter.finish(interval, aWeighted);
    r.excludedSpans = spans;
    r.excludedRecords = std::move(mask);
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
