#include "measurement/AssessmentPeriods.h"

#include "measurement/AssessmentArithmetic.h"

#include <map>

namespace slm
{

using assessment::EnergySum;

namespace
{

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

std::optional<double> percent(std::int64_t levels, std::optional<double> interval, double length)
{
    if (!interval || !(length > 0))
        return std::nullopt;
    return 100.0 * double(levels) * *interval / length;
}

struct HourAccumulator {
    EnergySum energy;
    double max = 0;
    double min = 0;
    std::int64_t excluded = 0;
    std::int64_t classed = 0;
    int lowestClass = TopClassTenthDb;
    std::vector<std::int64_t> counts = std::vector<std::int64_t>(TopClassTenthDb + 1, 0);
};

// The clock seconds from `from` to `to` as the clock really passes them (a day of the change to or
// from daylight-saving time is an hour shorter or longer).
double clockLength(std::int64_t from, std::int64_t to)
{
    return double(localDateTimeOf(from).secsTo(localDateTimeOf(to)));
}

enum Period { Day, Evening, Night, LdnDay, LdnNight, PeriodCount };

struct DayAccumulator {
    EnergySum energy[PeriodCount];
};

} // namespace

std::vector<HourRow> hourlyTable(std::span<const RecordSample> samples, std::optional<double> interval,
                                 const ExclusionMask& mask)
{
    return intervalTable(samples, interval, mask, 3600);
}

std::vector<HourRow> intervalTable(std::span<const RecordSample> samples, std::optional<double> interval,
                                   const ExclusionMask& mask, std::int64_t length)
{
    using namespace assessment;
    std::map<std::int64_t, HourAccumulator> hours;
    // The clock span [from, to) of the last record's interval: most records need no division.
    std::int64_t from = 0;
    std::int64_t to = 0;
    HourAccumulator* last = nullptr;
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        if (!s.hasTime())
            continue;
        if (!last || s.time < from || s.time >= to) {
            const std::int64_t hour = floorDiv(s.time, length);
            last = &hours[hour];
            from = hour * length;
            to = from + length;
        }
        HourAccumulator& h = *last;
        if (mask.excluded(i)) {
            ++h.excluded;
            continue;
        }
        const int tenth = tenthClassOf(s);
        if (tenth >= 0) {
            ++h.counts[size_t(tenth)];
            ++h.classed;
            h.lowestClass = std::min(h.lowestClass, tenth);
        }
        if (!s.isLevel())
            continue;
        const double level = s.level();
        h.max = h.energy.count == 0 ? level : std::max(h.max, level);
        h.min = h.energy.count == 0 ? level : std::min(h.min, level);
        h.energy.add(energyOf(s));
    }
    std::vector<HourRow> rows;
    rows.reserve(hours.size());
    for (const auto& [hour, h] : hours) {
        HourRow r;
        r.start = hour * length;
        r.leq = h.energy.leq();
        if (h.energy.count > 0) {
            r.lmax = h.max;
            r.lmin = h.min;
        }
        const auto [l90, l50, l10] =
            percentilesOf(h.counts, h.classed, std::array<int, 3>{90, 50, 10}, size_t(h.lowestClass));
        r.l10 = l10;
        r.l50 = l50;
        r.l90 = l90;
        r.levels = h.energy.count;
        r.coverage = percent(r.levels, interval, double(length));
        r.excluded = h.excluded;
        rows.push_back(r);
    }
    return rows;
}

QString PeriodSettings::fault() const
{
    auto inDay = [](int s) { return s >= 0 && s < 86400; };
    if (!inDay(dayStart) || !inDay(eveningStart) || !inDay(nightStart) || !inDay(ldnNightStart))
        return QStringLiteral("the day, evening and night must start between 00:00 and 23:59.");
    if (!(dayStart < eveningStart))
        return QStringLiteral("the evening must start after the day (--day before --evening).");
    if (!(eveningStart <= nightStart))
        return QStringLiteral("the night must start at or after the evening (--evening before --night).");
    if (!(dayStart < ldnNightStart))
        return QStringLiteral("the day must start before 22:00, where Ldn's night starts.");
    if (!(coveragePercent >= 0 && coveragePercent <= 100))
        return QStringLiteral("the coverage must be 0 to 100 %.");
    return {};
}

DayTable dayEveningNightTable(std::span<const RecordSample> samples, std::optional<double> interval,
                              const ExclusionMask& mask, const PeriodSettings& settings)
{
    using namespace assessment;
    // Each period's start after the day's start, in seconds, and its nominal length in hours.
    const std::int64_t eveningAt = settings.eveningStart - settings.dayStart;
    const std::int64_t nightAt = settings.nightStart - settings.dayStart;
    const std::int64_t ldnNightAt = settings.ldnNightStart - settings.dayStart;
    const std::int64_t begin[PeriodCount] = {0, eveningAt, nightAt, 0, ldnNightAt};
    const std::int64_t end[PeriodCount] = {eveningAt, nightAt, 86400, ldnNightAt, 86400};

    std::map<std::int64_t, DayAccumulator> days;
    // The last record's day, as seconds since the day's start [from, from + 86400).
    std::int64_t from = 0;
    DayAccumulator* last = nullptr;
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        if (!s.hasTime())
            continue;
        const std::int64_t sinceStart = s.time - settings.dayStart;
        if (!last || sinceStart < from || sinceStart >= from + 86400) {
            const std::int64_t day = floorDiv(sinceStart, 86400);
            last = &days[day];
            from = day * 86400;
        }
        if (mask.excluded(i) || !s.isLevel())
            continue;
        const std::int64_t at = sinceStart - from;
        const double e = energyOf(s);
        last->energy[at < eveningAt ? Day : at < nightAt ? Evening : Night].add(e);
        last->energy[at < ldnNightAt ? LdnDay : LdnNight].add(e);
    }

    const double threshold = settings.coveragePercent;
    auto level = [&](const EnergySum& e, double length, bool applyCoverage) {
        PeriodLevel p;
        p.levels = e.count;
        p.lengthSeconds = length;
        p.coverage = percent(e.count, interval, length);
        p.leq = e.leq();
        // An unknown coverage meets only a threshold of 0 %.
        if (applyCoverage && (p.coverage ? *p.coverage < threshold : threshold > 0))
            p.leq.reset();
        return p;
    };
    auto weighted = [](std::initializer_list<std::pair<double, const PeriodLevel*>> parts,
                       std::initializer_list<double> penalties) -> std::optional<double> {
        double sum = 0;
        double hours = 0;
        auto penalty = penalties.begin();
        for (const auto& [weight, period] : parts) {
            const double add = *penalty++;
            if (weight <= 0)
                continue;
            if (!period->leq)
                return std::nullopt;
            sum += weight * std::pow(10.0, (*period->leq + add) / 10.0);
            hours += weight;
        }
        if (!(hours > 0))
            return std::nullopt;
        return 10.0 * std::log10(sum / 24.0);
    };
    const double hoursOf[PeriodCount] = {double(end[0] - begin[0]) / 3600, double(end[1] - begin[1]) / 3600,
                                         double(end[2] - begin[2]) / 3600, double(end[3] - begin[3]) / 3600,
                                         double(end[4] - begin[4]) / 3600};
    auto finish = [&](DayRow& r) {
        r.lden = weighted(
            {{hoursOf[Day], &r.day}, {hoursOf[Evening], &r.evening}, {hoursOf[Night], &r.night}}, {0, 5, 10});
        r.ldn = weighted({{hoursOf[LdnDay], &r.ldnDay}, {hoursOf[LdnNight], &r.ldnNight}}, {0, 10});
    };

    DayTable table;
    EnergySum all[PeriodCount];
    double allLength[PeriodCount] = {};
    for (const auto& [day, acc] : days) {
        DayRow r;
        r.date = day;
        const std::int64_t dayStart = day * 86400 + settings.dayStart;
        PeriodLevel* rowPeriods[PeriodCount] = {&r.day, &r.evening, &r.night, &r.ldnDay, &r.ldnNight};
        for (int p = 0; p < PeriodCount; ++p) {
            const double length = end[p] > begin[p] ? clockLength(dayStart + begin[p], dayStart + end[p]) : 0;
            *rowPeriods[p] = level(acc.energy[p], length, true);
            all[p].add(acc.energy[p]);
            allLength[p] += length;
        }
        finish(r);
        table.days.push_back(r);
    }
    DayRow& o = table.overall;
    PeriodLevel* overallPeriods[PeriodCount] = {&o.day, &o.evening, &o.night, &o.ldnDay, &o.ldnNight};
    for (int p = 0; p < PeriodCount; ++p)
        *overallPeriods[p] = level(all[p], allLength[p], false);
    finish(o);
    return table;
}

} // namespace slm
