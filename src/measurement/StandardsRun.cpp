#include "measurement/StandardsRun.h"

#include "measurement/AssessmentArithmetic.h"
#include "measurement/Together.h"

#include <algorithm>
#include <functional>
#include <map>

namespace slm
{

using assessment::energyOf;
using assessment::EnergySum;
using assessment::secondOfDay;

namespace
{

QString clockTextOf(std::int64_t t)
{
    return localDateTimeOf(t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The Leq a source stands for; `error` names it when the records cannot give one.
std::optional<SourceLevel> levelOf(const LevelSource& source, std::span<const RecordSample> samples,
                                   std::optional<double> interval, const ExclusionMask& mask, QString& error)
{
    SourceLevel out;
    switch (source.kind) {
    case LevelSource::Kind::None:
        return std::nullopt;
    case LevelSource::Kind::Number:
        out.leq = source.number;
        return out;
    case LevelSource::Kind::Records: {
        const ExclusionMask none;
        const ExclusionMask& theirs = source.mask ? *source.mask : none;
        EnergySum e;
        for (size_t i = 0; i < source.records.size(); ++i)
            if (source.records[i].isLevel() && !theirs.excluded(i))
                e.add(energyOf(source.records[i]));
        if (!e.leq()) {
            error = QStringLiteral("%1 %2: the file holds no levels.").arg(source.option, source.given);
            return std::nullopt;
        }
        out.leq = *e.leq();
        out.levels = e.count;
        return out;
    }
    case LevelSource::Kind::Span:
        break;
    }
    EnergySum e;
    std::optional<std::int64_t> first, last;
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        if (!s.hasTime())
            continue;
        first = first ? std::min(*first, s.time) : s.time;
        last = last ? std::max(*last, s.time) : s.time;
        if (s.time >= source.span.start && s.time < source.span.end && s.isLevel() && !mask.excluded(i))
            e.add(energyOf(s));
    }
    if (!first || source.span.end <= *first || source.span.start > *last) {
        error = first ? QStringLiteral("%1 %2: the span lies outside the records (%3 to %4).")
                            .arg(source.option, source.given, clockTextOf(*first), clockTextOf(*last))
                      : QStringLiteral("%1 %2: the file holds no records with a time.")
                            .arg(source.option, source.given);
        return std::nullopt;
    }
    if (!e.leq()) {
        error = QStringLiteral("%1 %2: the span holds no levels.").arg(source.option, source.given);
        return std::nullopt;
    }
    out.leq = *e.leq();
    out.levels = e.count;
    if (interval)
        out.coverage = 100.0 * double(e.count) * *interval / double(source.span.end - source.span.start);
    return out;
}

std::optional<RatingOutcome> ratingOf(const StandardsInputs& in, StandardsResults& r, QString& error)
{
    RatingOutcome o;
    if (r.specific) {
        o.input.specific = r.specific->leq;
    } else if (r.residual) {
        o.input.specific = r.residual->specific;
        o.specificBounded = r.residual->kind == ResidualCase::Bounded;
    } else {
        error = QStringLiteral("the rating needs a specific level, or an ambient and a residual level.");
        return std::nullopt;
    }
    // Without a reference interval, a span at night is rated over 15 minutes, anything else over an hour.
    const LevelSource& from = in.specific.present() ? in.specific : in.ambient;
    const bool spanAtNight = from.kind == LevelSource::Kind::Span && isRatingNight(from.span.start);
    o.input.referenceSeconds = in.referenceSeconds.value_or(spanAtNight ? 900 : 3600);
    o.input.onTimeSeconds = in.onTimeSeconds;
    o.input.corrections = in.corrections;
    o.night = o.input.referenceSeconds <= 900;
    if (in.backgroundLevel) {
        o.input.background = *in.backgroundLevel;
        o.backgroundGiven = true;
    } else {
        const BackgroundDistribution* d =
            r.background ? (o.night ? &r.background->night : &r.background->day) : nullptr;
        if (!d || !d->median) {
            error = QStringLiteral("the rating needs the background level: no %1 interval of the background "
                                   "meets the coverage, so it must be given.")
                        .arg(o.night ? QStringLiteral("night") : QStringLiteral("day"));
            return std::nullopt;
        }
        o.input.background = *d->median;
    }
    const QString fault = o.input.fault();
    if (!fault.isEmpty()) {
        error = QStringLiteral("the rating: %1").arg(fault);
        return std::nullopt;
    }
    o.result = ratingLevel(o.input);
    return o;
}

AbcOutcome abcOf(std::span<const RecordSample> samples, std::optional<double> interval,
                 const ExclusionMask& mask, const StandardsInputs& in)
{
    AbcOutcome o;
    if (in.abcLevels) {
        for (size_t p = 0; p < o.ambient.size(); ++p)
            o.ambient[p] = (*in.abcLevels)[p];
    } else {
        const ExclusionMask none;
        o.ambient = abcAmbientOf(in.abcRecords.records, in.abcRecords.mask ? *in.abcRecords.mask : none);
    }
    std::array<double, AbcPeriodCount> known{};
    for (size_t p = 0; p < o.ambient.size(); ++p) {
        known[p] = o.ambient[p].value_or(0);
        if (o.ambient[p])
            o.thresholds[p] = abcThreshold(AbcPeriod(p), *o.ambient[p]);
    }
    o.rows = abcTable(samples, interval, mask, known);
    for (AbcRow& row : o.rows)
        if (!o.ambient[size_t(row.period)]) {
            row.site.reset();
            row.verdict.reset();
        }
    return o;
}

} // namespace

bool isRatingNight(std::int64_t clockSeconds)
{
    const std::int64_t s = secondOfDay(clockSeconds);
    return s < 7 * 3600 || s >= 23 * 3600;
}

StandardsResults runStandards(std::span<const RecordSample> samples, std::optional<double> interval,
                              const ExclusionMask& mask, const StandardsInputs& in)
{
    StandardsResults r;
    QString& error = r.error;
    const double coverage = in.periods.coveragePercent;
    // The tables that read the records are worked out side by side, each into its own result; what
    // an earlier input's error rules out is dropped afterwards, so the results are those of one
    // table after the other. Each clock-interval length asked for is worked out once and shared.
    std::map<std::int64_t, std::vector<HourRow>> tables;
    if (in.intervalSeconds)
        tables[*in.intervalSeconds];
    if (in.backgroundSeconds)
        tables[*in.backgroundSeconds];
    if (in.rbl)
        tables[900];
    const bool replay = in.limits && interval && *interval > 0;
    std::vector<LimitReplayPart> limitParts(replay ? size_t(in.limits->size()) : 0);
    std::optional<AbcOutcome> abc;
    std::optional<CnelTable> cnel;
    std::optional<NAboveTable> nAbove;
    std::vector<std::function<void()>> jobs; // the longest first
    for (size_t k = 0; k < limitParts.size(); ++k)
        jobs.push_back(
            [&, k] { limitParts[k] = replayLimit(samples, *interval, (*in.limits)[qsizetype(k)]); });
    if (!in.nAbove.empty())
        jobs.push_back(
            [&] { nAbove = nAboveTable(samples, interval, mask, in.periods, in.nAbove, in.eventRule); });
    for (auto& [length, rows] : tables)
        jobs.push_back(
            [&, length = length, out = &rows] { *out = intervalTable(samples, interval, mask, length); });
    if (in.abc)
        jobs.push_back([&] { abc = abcOf(samples, interval, mask, in); });
    if (in.cnel)
        jobs.push_back([&] { cnel = cnelTable(samples, interval, mask, coverage); });
    Together together(std::move(jobs));

    // The levels given, meanwhile: each only when the ones before it could be worked out.
    if (in.ambient.present())
        r.ambient = levelOf(in.ambient, samples, interval, mask, error);
    if (error.isEmpty() && in.residual.present())
        r.residualLevel = levelOf(in.residual, samples, interval, mask, error);
    if (r.ambient && r.residualLevel)
        r.residual = correctForResidual(r.ambient->leq, r.residualLevel->leq);
    if (error.isEmpty() && in.specific.present())
        r.specific = levelOf(in.specific, samples, interval, mask, error);
    together.wait();

    if (in.intervalSeconds) {
        r.intervalSeconds = *in.intervalSeconds;
        r.intervals = tables[*in.intervalSeconds];
    }
    if (replay)
        r.limits = joinLimitReplays(samples, *interval, std::move(limitParts));
    if (in.backgroundSeconds)
        r.background = backgroundTable(tables[*in.backgroundSeconds], *in.backgroundSeconds, coverage);
    if (error.isEmpty() && in.rating)
        r.rating = ratingOf(in, r, error);
    if (error.isEmpty() && in.abc)
        r.abc = std::move(abc);
    if (error.isEmpty() && in.rbl) {
        r.rbl = ratingBackgroundTable(tables[900], coverage);
        if (r.rbl->day.validDays + r.rbl->evening.validDays + r.rbl->night.validDays == 0)
            error =
                QStringLiteral("the rating background level needs at least one valid day: no day, evening "
                               "or night has 75 % of its 15-minute intervals at %1 % coverage.")
                    .arg(coverage);
    }
    if (error.isEmpty() && in.cnel)
        r.cnel = std::move(cnel);
    if (error.isEmpty() && !in.nAbove.empty())
        r.nAbove = std::move(nAbove);
    return r;
}

} // namespace slm
