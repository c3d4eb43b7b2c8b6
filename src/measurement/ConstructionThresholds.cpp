#include "measurement/ConstructionThresholds.h"

#include "measurement/AssessmentArithmetic.h"

#include <cmath>
#include <map>

namespace slm
{

using assessment::civilDayOf;
using assessment::energyOf;
using assessment::EnergySum;
using assessment::secondOfDay;
using assessment::weekdayOf;

namespace
{

constexpr int Saturday = 5;
constexpr int Sunday = 6;

// The period's nominal length on that date, in seconds.
double lengthOf(AbcPeriod period, std::int64_t date)
{
    const int wd = weekdayOf(date);
    switch (period) {
    case AbcPeriod::Day:
        return wd == Sunday ? 0 : wd == Saturday ? 6 * 3600 : 12 * 3600;
    case AbcPeriod::EveningWeekend:
        return wd == Sunday ? 16 * 3600 : wd == Saturday ? 10 * 3600 : 4 * 3600;
    case AbcPeriod::Night:
        break;
    }
    return 8 * 3600;
}

// abcPeriodOf of the records one after the other. Periods change only on whole hours, so the
// clock hour of the last lookup is kept and most records need no division.
class PeriodLookup
{
public:
    std::pair<AbcPeriod, std::int64_t> of(std::int64_t t)
    {
        if (!m_known || t < m_from || t >= m_from + 3600) {
            m_known = true;
            m_from = t - secondOfDay(t) % 3600;
            m_last = abcPeriodOf(t);
        }
        return m_last;
    }

private:
    bool m_known = false;
    std::int64_t m_from = 0;
    std::pair<AbcPeriod, std::int64_t> m_last;
};

} // namespace

std::pair<AbcPeriod, std::int64_t> abcPeriodOf(std::int64_t t)
{
    const std::int64_t day = civilDayOf(t);
    const std::int64_t s = secondOfDay(t);
    if (s < 7 * 3600)
        return {AbcPeriod::Night, day - 1};
    if (s >= 23 * 3600)
        return {AbcPeriod::Night, day};
    const int wd = weekdayOf(day);
    const std::int64_t dayEnd = wd == Sunday ? 7 * 3600 : wd == Saturday ? 13 * 3600 : 19 * 3600;
    return {s < dayEnd ? AbcPeriod::Day : AbcPeriod::EveningWeekend, day};
}

QString abcPeriodName(AbcPeriod period)
{
    switch (period) {
    case AbcPeriod::Day:
        return QStringLiteral("day");
    case AbcPeriod::EveningWeekend:
        return QStringLiteral("evening and weekend");
    case AbcPeriod::Night:
        break;
    }
    return QStringLiteral("night");
}

int categoryAThreshold(AbcPeriod period)
{
    switch (period) {
    case AbcPeriod::Day:
        return 65;
    case AbcPeriod::EveningWeekend:
        return 55;
    case AbcPeriod::Night:
        break;
    }
    return 45;
}

AbcThreshold abcThreshold(AbcPeriod period, double ambient)
{
    AbcThreshold t;
    t.ambient = ambient;
    // Judged to 0.01 dB so that 62.5 rounds up however it was summed.
    t.rounded = 5 * int(std::floor(std::round(ambient * 100.0) / 500.0 + 0.5));
    const int a = categoryAThreshold(period);
    if (t.rounded > a + 10) {
        t.category = AbcCategory::AboveC;
        t.threshold = ambient + 3.0;
    } else if (t.rounded > a) {
        t.category = AbcCategory::C;
        t.threshold = a + 10;
    } else if (t.rounded == a) {
        t.category = AbcCategory::B;
        t.threshold = a + 5;
    } else {
        t.category = AbcCategory::A;
        t.threshold = a;
    }
    return t;
}

QString abcCategoryName(AbcCategory category)
{
    switch (category) {
    case AbcCategory::A:
        return QStringLiteral("A");
    case AbcCategory::B:
        return QStringLiteral("B");
    case AbcCategory::C:
        return QStringLiteral("C");
    case AbcCategory::AboveC:
        break;
    }
    return QStringLiteral("above C");
}

QString abcVerdictText(AbcVerdict verdict)
{
    switch (verdict) {
    case AbcVerdict::NotExceeded:
        return QStringLiteral("not exceeded");
    case AbcVerdict::Exceeded:
        return QStringLiteral("exceeded");
    case AbcVerdict::Undetermined:
        break;
    }
    return QStringLiteral("undetermined");
}

std::array<std::optional<double>, AbcPeriodCount> abcAmbientOf(std::span<const RecordSample> samples,
                                                               const ExclusionMask& mask)
{
    std::array<EnergySum, AbcPeriodCount> energy;
    PeriodLookup lookup;
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        if (!s.hasTime() || !s.isLevel() || mask.excluded(i))
            continue;
        energy[size_t(lookup.of(s.time).first)].add(energyOf(s));
    }
    std::array<std::optional<double>, AbcPeriodCount> out;
    for (size_t p = 0; p < out.size(); ++p)
        out[p] = energy[p].leq();
    return out;
}

std::vector<AbcRow> abcTable(std::span<const RecordSample> samples, std::optional<double> interval,
                             const ExclusionMask& mask, const std::array<double, AbcPeriodCount>& ambient)
{
    std::map<std::pair<std::int64_t, int>, EnergySum> periods;
    PeriodLookup lookup;
    std::pair<std::int64_t, int> lastKey;
    EnergySum* e = nullptr;
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        if (!s.hasTime())
            continue;
        const auto [period, date] = lookup.of(s.time);
        if (!e || lastKey != std::pair(date, int(period))) {
            lastKey = {date, int(period)};
            e = &periods[lastKey];
        }
        if (s.isLevel() && !mask.excluded(i))
            e->add(energyOf(s));
    }
    std::vector<AbcRow> rows;
    for (const auto& [key, energy] : periods) {
        AbcRow r;
        r.date = key.first;
        r.period = AbcPeriod(key.second);
        r.total = energy.leq();
        r.levels = energy.count;
        const double length = lengthOf(r.period, r.date);
        if (interval && length > 0)
            r.coverage = 100.0 * double(r.levels) * *interval / length;
        const double amb = ambient[size_t(key.second)];
        r.threshold = abcThreshold(r.period, amb);
        if (r.total) {
            r.site = correctForResidual(*r.total, amb);
            if (r.threshold.category == AbcCategory::AboveC)
                r.verdict = *r.total > r.threshold.threshold ? AbcVerdict::Exceeded : AbcVerdict::NotExceeded;
            else if (r.site->kind == ResidualCase::Bounded)
                r.verdict =
                    *r.total <= r.threshold.threshold ? AbcVerdict::NotExceeded : AbcVerdict::Undetermined;
            else
                r.verdict =
                    r.site->specific > r.threshold.threshold ? AbcVerdict::Exceeded : AbcVerdict::NotExceeded;
        }
        rows.push_back(r);
    }
    return rows;
}

} // namespace slm
