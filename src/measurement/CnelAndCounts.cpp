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
    if (!interval || !(*interval > 0))
        return std::nullopt;
    NAboveTable t;
    t.thresholds = thresholds;
    t.totals.assign(thresholds.size(), 0);
    // One detector per threshold, all fed in the one walk over the records.
    std::vector<EventDetector> detectors;
    for (double x : thresholds) {
        EventSettings settings = rule;
        settings.threshold = x;
        detectors.emplace_back(settings, *interval);
    }
    std::map<std::int64_t, std::vector<int>> nights;
    const std::int64_t nightAt = periods.nightStart - periods.dayStart;
    auto nightOf = [&](std::int64_t date) -> std::vector<int>& {
        return nights.try_emplace(date, std::vector<int>(thresholds.size(), 0)).first->second;
    };
    auto count = [&](size_t k, const std::optional<NoiseEvent>& e) {
        if (!e)
            return;
        ++t.totals[k];
        const std::int64_t at = e->start - periods.dayStart;
        if (secondOfDay(at) >= nightAt)
            ++nightOf(civilDayOf(at))[k];
    };
    // Every night that holds a record is listed, with no event or some. The clock span the last
    // record's part of the day covers is kept, so most records need no division.
    std::int64_t spanStart = 0;
    std::int64_t spanEnd = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        if (s.hasTime() && (s.time < spanStart || s.time >= spanEnd)) {
            const std::int64_t at = s.time - periods.dayStart;
            const std::int64_t date = civilDayOf(at);
            const bool night = secondOfDay(at) >= nightAt;
            if (night)
                nightOf(date);
            spanStart = date * 86400 + periods.dayStart + (night ? nightAt : 0);
            spanEnd = night ? (date + 1) * 86400 + periods.dayStart : spanStart + nightAt;
        }
        const bool excluded = mask.excluded(i);
        const bool over = s.kind == LevelTextKind::Over;
        for (size_t k = 0; k < detectors.size(); ++k) {
            // A record below the threshold changes nothing while no event is open.
            if (!detectors[k].open() && !over && !(s.isLevel() && s.level() >= thresholds[k]))
                continue;
            count(k, detectors[k].add(s, excluded).ended);
        }
    }
    for (size_t k = 0; k < detectors.size(); ++k)
        count(k, detectors[k].finish());
    for (auto& [date, counts] : nights)
        t.nights.push_back({date, std::move(counts)});
    return t;
}

} // namespace slm
