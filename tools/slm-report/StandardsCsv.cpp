#include "AssessmentOutput.h"
#include "ClockTimes.h"
#include "StandardsOutput.h"

#include <cmath>

namespace slm
{

namespace
{

// CSV (RFC 4180): CR LF line ends; a cell with a comma or a quote is quoted.
QByteArray csvLine(const QStringList& cells)
{
    QStringList out;
    for (const QString& c : cells)
        out << (c.contains(u',') || c.contains(u'"')
                    ? u'"' + QString(c).replace(u'"', QStringLiteral("\"\"")) + u'"'
                    : c);
    return out.join(u',').toUtf8() + "\r\n";
}

const QString None;

QString dec(std::optional<double> v)
{
    return decimalText(v, None);
}
// As the station's alarm log writes its figures.
QString alarmLogNumber(std::optional<double> v)
{
    return v ? QString::number(std::round(*v * 10) / 10, 'f', 1) : None;
}
QString n(std::int64_t v)
{
    return QString::number(v);
}
QString yes(bool v)
{
    return v ? QStringLiteral("true") : QStringLiteral("false");
}
const char* caseKey(ResidualCase c)
{
    return c == ResidualCase::Negligible  ? "negligible"
           : c == ResidualCase::Corrected ? "corrected"
                                          : "bounded";
}

} // namespace

bool writeStandardsCsv(const StandardsOfFile& s, StandardsOptions::Table table, const OutputSink& write)
{
    using Table = StandardsOptions::Table;
    ChunkedOutput out(write);
    ClockTimeTexts times;
    const StandardsResults& r = s.results;
    switch (table) {
    case Table::Intervals:
        out.add(
            csvLine({"start", "leq", "lmax", "lmin", "l10", "l50", "l90", "levels", "coverage", "excluded"}));
        for (const HourRow& h : *r.intervals)
            out.add(csvLine({times.text(h.start), dec(h.leq), dec(h.lmax), dec(h.lmin), dec(h.l10),
                             dec(h.l50), dec(h.l90), n(h.levels), dec(h.coverage), n(h.excluded)}));
        break;
    case Table::Background:
        out.add(csvLine({"start", "part", "l90", "coverage", "counted"}));
        for (const HourRow& h : r.background->intervals) {
            const bool night = isRatingNight(h.start);
            const double threshold = r.background->coveragePercent;
            const bool counted = h.l90 && (h.coverage ? *h.coverage >= threshold : threshold <= 0);
            out.add(csvLine({times.text(h.start), night ? QStringLiteral("night") : QStringLiteral("day"),
                             dec(h.l90), dec(h.coverage), yes(counted)}));
        }
        break;
    case Table::Limits:
        // The station's alarm log's columns, less the meter's.
        out.add(csvLine(
            {"time", "limit", "state", "previous", "figure", "threshold", "since", "window_s", "reason"}));
        if (r.limits)
            for (const LimitTransition& t : r.limits->transitions)
                out.add(
                    csvLine({times.text(t.time), t.limit, limitStateText(t.state), limitStateText(t.previous),
                             alarmLogNumber(t.figure), alarmLogNumber(t.threshold), times.text(t.since),
                             n(t.windowSeconds), t.reason}));
        break;
    case Table::Residual: {
        const ResidualCorrection& c = *r.residual;
        out.add(csvLine({"ambient", "residual", "margin", "specific", "bounded", "case"}));
        out.add(csvLine({dec(c.ambient), dec(c.residual), dec(c.margin), dec(c.specific),
                         yes(c.kind == ResidualCase::Bounded), QString::fromLatin1(caseKey(c.kind))}));
        break;
    }
    case Table::Rating: {
        const RatingOutcome& o = *r.rating;
        const CharacterCorrections& k = o.input.corrections;
        out.add(csvLine({"specific", "specific_bounded", "tr_s", "on_time_s", "on_time_correction", "tonal",
                         "impulsive", "other", "intermittency", "rating", "rating_rounded", "background",
                         "background_rounded", "excess", "excess_rounded", "indication"}));
        out.add(
            csvLine({dec(o.input.specific), yes(o.specificBounded), QString::number(o.input.referenceSeconds),
                     QString::number(o.input.onTimeSeconds.value_or(o.input.referenceSeconds)),
                     dec(o.result.onTimeAdjustment), n(k.tonal), n(k.impulsive), n(k.other),
                     n(k.intermittency), dec(o.result.rating), n(o.result.ratingRounded),
                     dec(o.input.background), n(o.result.backgroundRounded), dec(o.result.excess),
                     n(o.result.excessRounded), o.result.indication}));
        break;
    }
    case Table::Abc:
        out.add(csvLine({"date", "period", "total", "levels", "coverage", "ambient", "category", "threshold",
                         "site", "case", "verdict"}));
        for (const AbcRow& row : r.abc->rows) {
            const std::optional<AbcThreshold>& t = r.abc->thresholds[size_t(row.period)];
            out.add(csvLine({dateText(row.date), abcPeriodName(row.period), dec(row.total), n(row.levels),
                             dec(row.coverage), dec(r.abc->ambient[size_t(row.period)]),
                             t ? abcCategoryName(t->category) : None, t ? dec(t->threshold) : None,
                             row.site ? dec(row.site->specific) : None,
                             row.site ? QString::fromLatin1(caseKey(row.site->kind)) : None,
                             row.verdict ? abcVerdictText(*row.verdict) : None}));
        }
        break;
    case Table::Rbl:
        out.add(csvLine({"date", "period", "intervals", "valid", "counts", "abl"}));
        for (const AblRow& row : r.rbl->days)
            out.add(csvLine({dateText(row.date), rblPeriodName(row.period), n(row.intervals), n(row.valid),
                             yes(row.counts), dec(row.abl)}));
        break;
    case Table::Cnel:
        out.add(csvLine({"date", "lday", "levening", "lnight", "coverage_day", "coverage_evening",
                         "coverage_night", "cnel"}));
        for (const CnelDay& d : r.cnel->days)
            out.add(
                csvLine({dateText(d.date), dec(d.day.leq), dec(d.evening.leq), dec(d.night.leq),
                         dec(d.day.coverage), dec(d.evening.coverage), dec(d.night.coverage), dec(d.cnel)}));
        out.add(csvLine({"overall", None, None, None, None, None, None, dec(r.cnel->overall)}));
        break;
    case Table::NAbove: {
        QStringList head{"night"};
        for (double x : s.inputs.nAbove)
            head << QStringLiteral("n%1").arg(QString::number(x, 'g', 6));
        out.add(csvLine(head));
        if (!r.nAbove)
            break;
        for (const NightCount& c : r.nAbove->nights) {
            QStringList row{dateText(c.date)};
            for (int v : c.counts)
                row << n(v);
            out.add(csvLine(row));
        }
        QStringList total{QStringLiteral("whole file")};
        for (int v : r.nAbove->totals)
            total << n(v);
        out.add(csvLine(total));
        break;
    }
    case Table::None:
        break;
    }
    return out.flush();
}

} // namespace slm
