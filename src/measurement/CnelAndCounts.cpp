#include "measurement/CnelAndCounts.h"

#include "measurement/AssessmentArithmetic.h"

#include <cmath>
#include <map>

namespace slm
{

double cnelOf(double ld, double le, double ln)
{
    const double sum = 12.0 * std::pow(10.0, ld / 10.0) + 3.0 * 3.0 * std::pow(10.0, le / 10.0) +
                       9.0 * 10.0 * std::pow(10.0, ln / 10.0);
    return 10.0 * std::log10(sum / 24.0);
}

CnelTable cnelTable(std::span<const RecordSample> samples, std::optional<double> interval,
                    const ExclusionMask& mask, double coveragePercent)
{
    PeriodSettings settings;
    settings.dayStart = 7 * 3600;
    settings.eveningStart = 19 * 3600;
    settings.nightStart = 22 * 3600;
    settings.coveragePercent = coveragePercent;
    const DayTable periods = dayEveningNightTable(samples, interval, mask, settings);
    CnelTable t;
    assessment::EnergySum mean;
    for (const DayRow& r : periods.days) {
        CnelDay d;
        d.date = r.date;
        d.day = r.day;
        d.evening = r.evening;
        d.night = r.night;
        if (r.day.leq && r.evening.leq && r.night.leq) {
            d.cnel = cnelOf(*r.day.leq, *r.evening.leq, *r.night.leq);
            mean.add(std::pow(10.0, *d.cnel / 10.0));
        }
        t.days.push_back(d);
    }
    t.overall = mean.leq();
    return t;
}

std::optional<NAboveTable> nAboveTable(std::span<const RecordSample> samples, std::optional<double> interval,
                                       const ExclusionMask& mask, const PeriodSettings& periods,
                                       const std::vector<double>& thresholds, const EventSettings& rule)
{
    using assessment::civilDayOf;
    using assessment::secondOfDay;
    NAboveTable t;
    t.thresholds = thresholds;
    t.totals.assign(thresholds.size(), 0);
    std::map<std::int64_t, std::vector<int>> nights;
    // Every night that holds a record is listed, with no event or some.
    for (const RecordSample& s : samples) {
        if (!s.hasTime())
            continue;
        const std::int64_t at = s.time - periods.dayStart;
        const std::int64_t date = civilDayOf(at);
        if (secondOfDay(at) >= periods.nightStart - periods.dayStart)
            nights.try_emplace(date, std::vector<int>(thresholds.size(), 0));
    }
    for (size_t k = 0; k < thresholds.size(); ++k) {
        EventSettings settings = rule;
        settings.threshold = thresholds[k];
        const std::optional<EventSummary> events = noiseEvents(samples, interval, mask, settings);
        if (!events)
            return std::nullopt;
        t.totals[k] = int(events->events.size());
        for (const NoiseEvent& e : events->events) {
            const std::int64_t at = e.start - periods.dayStart;
            if (secondOfDay(at) < periods.nightStart - periods.dayStart)
                continue;
            ++nights.try_emplace(civilDayOf(at), std::vector<int>(thresholds.size(), 0)).first->second[k];
        }
    }
    for (auto& [date, counts] : nights)
        t.nights.push_back({date, std::move(counts)});
    return t;
}

} // namespace slm
