#include "measurement/BackgroundLevels.h"

#include "measurement/AssessmentArithmetic.h"

#include <algorithm>
#include <cmath>

namespace slm
{

using assessment::civilDayOf;
using assessment::secondOfDay;
using assessment::weekdayOf;

namespace
{

bool meets(const HourRow& r, double threshold)
{
    return r.l90 && (r.coverage ? *r.coverage >= threshold : threshold <= 0);
}

void finish(BackgroundDistribution& d)
{
    for (double v : d.values)
        ++d.classes[int(std::floor(v + 1e-9))];
    d.median = lowerMedian(d.values);
    std::int64_t best = 0;
    for (const auto& [n, count] : d.classes)
        if (count > best) {
            best = count;
            d.mode = n;
        }
}

constexpr int Sunday = 6;

// The period a 15-minute interval starting at local clock second `t` belongs to, and that period's
// date (the night of Saturday into Sunday runs to 08:00 and belongs to the Saturday).
std::pair<RblPeriod, std::int64_t> rblPeriodOf(std::int64_t t)
{
    const std::int64_t day = civilDayOf(t);
    const std::int64_t s = secondOfDay(t);
    const std::int64_t dayStart = weekdayOf(day) == Sunday ? 8 * 3600 : 7 * 3600;
    if (s < dayStart)
        return {RblPeriod::Night, day - 1};
    if (s < 18 * 3600)
        return {RblPeriod::Day, day};
    if (s < 22 * 3600)
        return {RblPeriod::Evening, day};
    return {RblPeriod::Night, day};
}

// How many 15-minute intervals the period of that date has.
int quarterHoursOf(RblPeriod period, std::int64_t date)
{
    const bool sunday = weekdayOf(date) == Sunday;
    switch (period) {
    case RblPeriod::Day:
        return sunday ? 40 : 44;
    case RblPeriod::Evening:
        return 16;
    case RblPeriod::Night:
        break;
    }
    return weekdayOf(date + 1) == Sunday ? 40 : 36;
}

RblResult rblOf(RblPeriod period, const std::vector<AblRow>& rows)
{
    RblResult r;
    r.period = period;
    std::vector<double> abls;
    for (const AblRow& row : rows)
        if (row.period == period && row.counts && row.abl)
            abls.push_back(*row.abl);
    r.validDays = int(abls.size());
    r.fewDays = r.validDays < 7;
    r.median = lowerMedian(abls);
    if (r.median) {
        const double floor = period == RblPeriod::Day ? 35.0 : 30.0;
        r.raised = *r.median < floor;
        r.rbl = std::max(*r.median, floor);
        r.intrusiveness = *r.rbl + 5.0;
    }
    return r;
}

} // namespace

std::optional<double> nearestRankTenth(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    // ceil(0.1 n) in whole numbers: 0.1 x 30 is 3.0000000000000004 in binary.
    const size_t rank = (values.size() + 9) / 10;
    return values[rank - 1];
}

std::optional<double> lowerMedian(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) / 2];
}

BackgroundTable backgroundTable(std::vector<HourRow> intervals, std::int64_t intervalSeconds,
                                double coveragePercent)
{
    BackgroundTable t;
    t.intervalSeconds = intervalSeconds;
    t.coveragePercent = coveragePercent;
    t.intervals = std::move(intervals);
    for (const HourRow& r : t.intervals) {
        if (!meets(r, coveragePercent))
            continue;
        const std::int64_t s = secondOfDay(r.start);
        (s >= 7 * 3600 && s < 23 * 3600 ? t.day : t.night).values.push_back(*r.l90);
    }
    finish(t.day);
    finish(t.night);
    return t;
}

RblTable ratingBackgroundTable(const std::vector<HourRow>& quarterHours, double coveragePercent)
{
    std::map<std::pair<std::int64_t, int>, std::vector<double>> valid;
    std::map<std::pair<std::int64_t, int>, int> seen;
    for (const HourRow& r : quarterHours) {
        const auto [period, date] = rblPeriodOf(r.start);
        const std::pair<std::int64_t, int> key{date, int(period)};
        seen[key];
        if (meets(r, coveragePercent))
            valid[key].push_back(*r.l90);
    }
    RblTable t;
    for (const auto& [key, unused] : seen) {
        AblRow row;
        row.date = key.first;
        row.period = RblPeriod(key.second);
        row.intervals = quarterHoursOf(row.period, row.date);
        const std::vector<double>& values = valid[key];
        row.valid = int(values.size());
        row.counts = 4 * row.valid >= 3 * row.intervals;
        row.abl = nearestRankTenth(values);
        t.days.push_back(row);
    }
    t.day = rblOf(RblPeriod::Day, t.days);
    t.evening = rblOf(RblPeriod::Evening, t.days);
    t.night = rblOf(RblPeriod::Night, t.days);
    return t;
}

QString rblPeriodName(RblPeriod period)
{
    switch (period) {
    case RblPeriod::Day:
        return QStringLiteral("day");
    case RblPeriod::Evening:
        return QStringLiteral("evening");
    case RblPeriod::Night:
        break;
    }
    return QStringLiteral("night");
}

} // namespace slm
