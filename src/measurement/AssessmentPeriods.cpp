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

// The clock seconds from `from` to `to` as the clock really passes them (a day of the change to or
// from daylight-saving time is an hour shorter or longer).
double clockLength(std::int64_t from, std::int64_t to)
{
    return double(localDateTimeOf(from).secsTo(localDateTimeOf(to)));
}

} // namespace

std::vector<HourRow> hourlyTable(std::span<const RecordSample> samples, std::optional<double> interval,
                                 const ExclusionMask& mask)
{
    return intervalTable(samples, interval, mask, 3600);
}

std::vector<HourRow> intervalTable(std::span<const RecordSample> samples, std::optional<double> interval,
                                   const ExclusionMask& mask, std::int64_t length)
{
    IntervalTableCounter counter(length);
    counter.add(samples, mask);
    return counter.finish(interval);
}

Q_ALWAYS_INLINE void IntervalTableCounter::Classes::add(size_t tenth)
{
    const size_t at = tenth - first; // wraps round below `first`
    if (at < counts.size()) [[likely]] {
        if (++counts[at] == 0)
            ++wraps[tenth];
        return;
    }
    if (counts.empty()) {
        first = tenth;
        counts.assign(1, 0);
    } else if (tenth < first) {
        counts.insert(counts.begin(), first - tenth, 0);
        first = tenth;
    } else {
        counts.resize(tenth - first + 1, 0);
    }
    if (++counts[tenth - first] == 0)
        ++wraps[tenth];
}

std::int64_t IntervalTableCounter::Classes::operator[](size_t tenth) const
{
    if (tenth < first)
        return 0;
    const std::int64_t count = counts[tenth - first];
    if (wraps.empty())
        return count;
    const auto wrapped = wraps.find(tenth);
    return wrapped == wraps.end() ? count : count + (wrapped->second << 32);
}

// The rule for a record, inlined into both adds: a loop over a whole measurement keeps its state
// in registers.
Q_ALWAYS_INLINE void IntervalTableCounter::count(const RecordSample& s, bool excluded)
{
    using namespace assessment;
    if (!s.hasTime())
        return;
    const std::int64_t row = floorDiv(s.time, m_length);
    if (!m_last || row != m_lastRow) {
        if (m_last)
            m_last->classes.counts.shrink_to_fit(); // mostly done with: no room kept for growth
        m_last = &m_rows[row];
        m_lastRow = row;
    }
    Accumulator& h = *m_last;
    if (excluded) {
        ++h.excluded;
        return;
    }
    const int tenth = tenthClassOf(s);
    if (tenth >= 0) {
        h.classes.add(size_t(tenth));
        ++h.classed;
    }
    if (!s.isLevel())
        return;
    const double level = s.level();
    h.max = h.energy.count == 0 ? level : std::max(h.max, level);
    h.min = h.energy.count == 0 ? level : std::min(h.min, level);
    h.energy.add(energyOf(s));
}

void IntervalTableCounter::add(const RecordSample& sample, bool excluded)
{
    count(sample, excluded);
}

void IntervalTableCounter::add(std::span<const RecordSample> samples, const ExclusionMask& mask)
{
    for (size_t i = 0; i < samples.size(); ++i)
        count(samples[i], mask.excluded(i));
}

std::vector<HourRow> IntervalTableCounter::finish(std::optional<double> interval) const
{
    using namespace assessment;
    std::vector<HourRow> rows;
    rows.reserve(m_rows.size());
    for (const auto& [row, h] : m_rows) {
        HourRow r;
        r.start = row * m_length;
        r.leq = h.energy.leq();
        if (h.energy.count > 0) {
            r.lmax = h.max;
            r.lmin = h.min;
        }
        r.l10 = percentileOf(h.classes, h.classed, 10);
        r.l50 = percentileOf(h.classes, h.classed, 50);
        r.l90 = percentileOf(h.classes, h.classed, 90);
        r.levels = h.energy.count;
        r.coverage = percent(r.levels, interval, double(m_length));
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
    DayTableCounter counter(settings);
    counter.add(samples, mask);
    return counter.finish(interval);
}

Q_ALWAYS_INLINE void DayTableCounter::count(const RecordSample& s, bool excluded)
{
    using namespace assessment;
    if (!s.hasTime())
        return;
    const PeriodSettings& settings = m_settings;
    const std::int64_t sinceStart = s.time - settings.dayStart;
    const std::int64_t day = floorDiv(sinceStart, 86400);
    if (!m_last || day != m_lastDay) {
        m_last = &m_days[day];
        m_lastDay = day;
    }
    if (excluded || !s.isLevel())
        return;
    const std::int64_t eveningAt = settings.eveningStart - settings.dayStart;
    const std::int64_t nightAt = settings.nightStart - settings.dayStart;
    const std::int64_t ldnNightAt = settings.ldnNightStart - settings.dayStart;
    const std::int64_t at = sinceStart - day * 86400;
    const double e = energyOf(s);
    m_last->energy[at < eveningAt ? Day : at < nightAt ? Evening : Night].add(e);
    m_last->energy[at < ldnNightAt ? LdnDay : LdnNight].add(e);
}

void DayTableCounter::add(const RecordSample& sample, bool excluded)
{
    count(sample, excluded);
}

void DayTableCounter::add(std::span<const RecordSample> samples, const ExclusionMask& mask)
{
    for (size_t i = 0; i < samples.size(); ++i)
        count(samples[i], mask.excluded(i));
}

DayTable DayTableCounter::finish(std::optional<double> interval) const
{
    using namespace assessment;
    const PeriodSettings& settings = m_settings;
    // Each period's start after the day's start, in seconds, and its nominal length in hours.
    const std::int64_t eveningAt = settings.eveningStart - settings.dayStart;
    const std::int64_t nightAt = settings.nightStart - settings.dayStart;
    const std::int64_t ldnNightAt = settings.ldnNightStart - settings.dayStart;
    const std::int64_t begin[PeriodCount] = {0, eveningAt, nightAt, 0, ldnNightAt};
    const std::int64_t end[PeriodCount] = {eveningAt, nightAt, 86400, ldnNightAt, 86400};

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
    for (const auto& [day, acc] : m_days) {
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
