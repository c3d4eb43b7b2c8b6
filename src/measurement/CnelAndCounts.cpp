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

namespace
{

// The events at one threshold, counted by the night (the day's date) they start in.
struct ThresholdCounts {
    int total = 0;
    std::map<std::int64_t, int> nights;
};

ThresholdCounts countAbove(std::span<const RecordSample> samples, double interval, const ExclusionMask& mask,
                           const PeriodSettings& periods, const EventSettings& settings)
{
    using assessment::civilDayOf;
    using assessment::secondOfDay;
    ThresholdCounts c;
    EventDetector detector(settings, interval, EventDetector::Figures::BoundsOnly);
    const std::int64_t nightAt = periods.nightStart - periods.dayStart;
    auto count = [&](const std::optional<NoiseEvent>& e) {
        if (!e)
            return;
        ++c.total;
        const std::int64_t at = e->start - periods.dayStart;
        if (secondOfDay(at) >= nightAt)
            ++c.nights[civilDayOf(at)];
    };
    for (size_t i = 0; i < samples.size(); ++i) {
        const bool excluded = mask.excluded(i);
        if (!detector.takeQuietly(samples[i], excluded))
            count(detector.add(samples[i], excluded).ended);
    }
    count(detector.finish());
    return c;
}

} // namespace

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
    // Every night that holds a record is listed, with no event or some. The clock span the last
    // record's part of the day covers is kept, so most records need no division.
    std::map<std::int64_t, std::vector<int>> nights;
    const std::int64_t nightAt = periods.nightStart - periods.dayStart;
    std::int64_t spanStart = 0;
    std::int64_t spanEnd = 0;
    for (const RecordSample& s : samples) {
        if (s.hasTime() && (s.time < spanStart || s.time >= spanEnd)) {
            const std::int64_t at = s.time - periods.dayStart;
            const std::int64_t date = civilDayOf(at);
            const bool night = secondOfDay(at) >= nightAt;
            if (night)
                nights.try_emplace(date, std::vector<int>(thresholds.size(), 0));
            spanStart = date * 86400 + periods.dayStart + (night ? nightAt : 0);
            spanEnd = night ? (date + 1) * 86400 + periods.dayStart : spanStart + nightAt;
        }
    }
    for (size_t k = 0; k < thresholds.size(); ++k) {
        EventSettings settings = rule;
        settings.threshold = thresholds[k];
        const ThresholdCounts c = countAbove(samples, *interval, mask, periods, settings);
        t.totals[k] = c.total;
        // An event starts on a record, so its night is listed already.
        for (const auto& [date, n] : c.nights)
            nights.try_emplace(date, std::vector<int>(thresholds.size(), 0)).first->second[k] = n;
    }
    for (auto& [date, counts] : nights)
        t.nights.push_back({date, std::move(counts)});
    return t;
}

} // namespace slm
