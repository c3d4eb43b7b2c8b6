#include "measurement/StandardsTables.h"

#include "measurement/LevelFigures.h"
#include "shared/NumberText.h"

#include <QDate>
#include <cmath>
#include <map>

namespace slm
{

namespace
{

const QString Unknown = QStringLiteral("-");

QString dec(std::optional<double> v)
{
    return v && std::isfinite(*v) ? oneDecimalText(*v) : Unknown;
}
QString db(std::optional<double> v)
{
    return v && std::isfinite(*v) ? dec(v) + QStringLiteral(" dB") : QStringLiteral("unknown");
}
QString signedDb(double v)
{
    return (v > 0 ? QStringLiteral("+") : QString()) + QString::number(v, 'f', 1) + QStringLiteral(" dB");
}
QString whole(std::int64_t n)
{
    return QString::number(n);
}
QString lengthText(std::int64_t seconds)
{
    return seconds % 3600 == 0 ? QStringLiteral("%1 h").arg(seconds / 3600)
                               : QStringLiteral("%1 min").arg(QString::number(double(seconds) / 60, 'g', 6));
}

// How a level was given, as the report states its source.
QString sourceText(const LevelSource& s)
{
    switch (s.kind) {
    case LevelSource::Kind::Number:
        return QStringLiteral("given");
    case LevelSource::Kind::Records:
        return QStringLiteral("Leq of %1").arg(s.given);
    case LevelSource::Kind::Span:
        return QStringLiteral("Leq of %1 to %2")
            .arg(standardsClockText(s.span.start), standardsClockText(s.span.end));
    case LevelSource::Kind::None:
        break;
    }
    return {};
}

QString levelWithSource(const SourceLevel& l, const LevelSource& s)
{
    QString text = db(l.leq) + QStringLiteral(" (") + sourceText(s);
    if (l.levels > 0)
        text += QStringLiteral(", %1 levels").arg(l.levels);
    if (l.coverage)
        text += QStringLiteral(", coverage %1 %").arg(dec(l.coverage));
    return text + u')';
}

StandardsTable intervalsTable(const std::vector<HourRow>& rows, std::int64_t length)
{
    StandardsTable t;
    t.name = QStringLiteral("Intervals");
    t.caption = QStringLiteral("Levels per %1 (dB; coverage in %)").arg(lengthText(length));
    t.columns = {"Start", "Leq", "Lmax", "Lmin", "L10", "L50", "L90", "Levels", "Coverage", "Excluded"};
    for (const HourRow& h : rows)
        t.rows.push_back({standardsClockText(h.start), dec(h.leq), dec(h.lmax), dec(h.lmin), dec(h.l10),
                          dec(h.l50), dec(h.l90), whole(h.levels), dec(h.coverage), whole(h.excluded)});
    return t;
}

void limitsTables(const StandardsResults& r, std::vector<StandardsTable>& out)
{
    if (!r.limits) {
        out.push_back({QStringLiteral("Limits over the file: unknown (the interval is unknown)"),
                       {},
                       {},
                       {},
                       QStringLiteral("Limits")});
        return;
    }
    StandardsTable changes;
    changes.name = QStringLiteral("LimitTransitions");
    changes.caption = QStringLiteral("Limit transitions (figure and threshold in dB)");
    changes.columns = {"Time",      "Limit", "State",    "Previous", "Figure",
                       "Threshold", "Since", "Window s", "Reason"};
    for (const LimitTransition& t : r.limits->transitions)
        changes.rows.push_back({standardsClockText(t.time), t.limit, limitStateText(t.state),
                                limitStateText(t.previous), dec(t.figure), dec(t.threshold),
                                standardsClockText(t.since), whole(t.windowSeconds), t.reason});
    if (changes.rows.empty())
        changes.notes << QStringLiteral("No limit changed its state.");
    out.push_back(changes);
    StandardsTable sum;
    sum.name = QStringLiteral("Limits");
    sum.caption = QStringLiteral("Limits over the file (levels in dB)");
    sum.columns = {"Limit",      "Figure",   "Window", "Level",          "Warning",
                   "In warning", "In alarm", "Alarms", "Periods judged", "Exceeded"};
    for (const LimitReplaySummary& l : r.limits->limits) {
        const LimitConfig& c = l.config;
        const QString window = c.figure == LimitFigure::Level ? Unknown : lengthText(c.windowSeconds);
        sum.rows.push_back({c.name, limitFigureText(c.figure), window, dec(c.level), dec(c.warning),
                            durationText(l.warningSeconds), durationText(l.alarmSeconds), whole(l.alarms),
                            l.judged ? whole(*l.judged) : Unknown,
                            l.exceeded ? whole(*l.exceeded) : Unknown});
    }
    out.push_back(sum);
}

QString distributionNote(const QString& part, const BackgroundDistribution& d)
{
    return QStringLiteral("%1: %2 intervals counted, median %3, mode %4")
        .arg(part)
        .arg(d.values.size())
        .arg(db(d.median), d.mode ? QStringLiteral("%1 dB class").arg(*d.mode) : QStringLiteral("unknown"));
}

StandardsTable backgroundText(const BackgroundTable& b)
{
    StandardsTable t;
    t.name = QStringLiteral("Background");
    t.caption =
        QStringLiteral("Background L90 of the %1 intervals in 1 dB classes (intervals at or above %2 % "
                       "coverage)")
            .arg(lengthText(b.intervalSeconds), QString::number(b.coveragePercent, 'g', 6));
    t.columns = {"Class dB", "Day", "Night"};
    std::map<int, std::pair<std::int64_t, std::int64_t>> classes;
    for (const auto& [n, count] : b.day.classes)
        classes[n].first = count;
    for (const auto& [n, count] : b.night.classes)
        classes[n].second = count;
    for (const auto& [n, counts] : classes)
        t.rows.push_back(
            {QStringLiteral("%1-%2").arg(n).arg(n + 1), whole(counts.first), whole(counts.second)});
    t.notes << distributionNote(QStringLiteral("Day 07:00-23:00"), b.day)
            << distributionNote(QStringLiteral("Night 23:00-07:00"), b.night);
    return t;
}

StandardsTable residualText(const StandardsResults& r, const StandardsInputs& in)
{
    const ResidualCorrection& c = *r.residual;
    StandardsTable t;
    t.name = QStringLiteral("Residual");
    t.caption = QStringLiteral("Residual correction");
    t.columns = {"", ""};
    t.rows = {{"Ambient La", levelWithSource(*r.ambient, in.ambient)},
              {"Residual Lr", levelWithSource(*r.residualLevel, in.residual)},
              {"Margin d = La - Lr", QString::number(c.margin, 'f', 1) + QStringLiteral(" dB")},
              {"Specific Ls", specificLevelText(c) + QStringLiteral(" dB")},
              {"Case", residualCaseText(c.kind)}};
    return t;
}

QString correctionText(int value, const QString& given, const char* reason)
{
    const QString why = given.trimmed().isEmpty() ? QString(QLatin1String(reason)) : given.trimmed();
    return QStringLiteral("%1 dB%2").arg(value).arg(value ? QStringLiteral(" (%1)").arg(why) : QString());
}

StandardsTable ratingText(const StandardsResults& r, const StandardsInputs& in)
{
    const RatingOutcome& o = *r.rating;
    const RatingResult& x = o.result;
    StandardsTable t;
    t.name = QStringLiteral("Rating");
    t.caption = QStringLiteral("Rating level");
    t.columns = {"", ""};
    const QString bound = o.specificBounded ? QStringLiteral("<= ") : QString();
    const QString specific =
        r.specific ? levelWithSource(*r.specific, in.specific)
                   : bound + db(o.input.specific) + QStringLiteral(" (the residual correction)");
    const CharacterCorrections& k = o.input.corrections;
    t.rows = {
        {"Specific Ls", specific},
        {"Reference interval Tr", durationText(o.input.referenceSeconds) +
                                      (o.night ? QStringLiteral(" (night)") : QStringLiteral(" (day)"))},
        {"On-time", durationText(o.input.onTimeSeconds.value_or(o.input.referenceSeconds))},
        {"On-time correction", signedDb(x.onTimeAdjustment)},
        {"Tonal", correctionText(k.tonal, in.reasons.tonal, "tonality")},
        {"Impulsive", correctionText(k.impulsive, in.reasons.impulsive, "impulsivity")},
        {"Other", correctionText(k.other, in.reasons.other, "other sound characteristics")},
        {"Intermittency", correctionText(k.intermittency, in.reasons.intermittency, "intermittency")},
        {"Rating level LAr", bound + db(x.rating) + QStringLiteral(" (%1 dB)").arg(x.ratingRounded)},
        {"Background LA90", db(o.input.background) + QStringLiteral(" (%1 dB; %2)")
                                                         .arg(x.backgroundRounded)
                                                         .arg(o.backgroundGiven ? QStringLiteral("given")
                                                              : o.night ? QStringLiteral("night median")
                                                                        : QStringLiteral("day median"))},
        {"Excess LAr - LA90", bound + signedDb(x.excess) +
                                  QStringLiteral(" (%1%2 dB)")
                                      .arg(x.excessRounded > 0 ? QStringLiteral("+") : QString())
                                      .arg(x.excessRounded)},
        {"Indication", x.indication}};
    return t;
}

void abcTables(const AbcOutcome& a, std::vector<StandardsTable>& out)
{
    StandardsTable th;
    th.name = QStringLiteral("AbcThresholds");
    th.caption = QStringLiteral("Construction threshold categories (dB)");
    th.columns = {"Period", "Ambient", "Rounded", "Category", "Threshold"};
    for (int p = 0; p < AbcPeriodCount; ++p) {
        const std::optional<AbcThreshold>& t = a.thresholds[size_t(p)];
        th.rows.push_back({abcPeriodName(AbcPeriod(p)), dec(a.ambient[size_t(p)]),
                           t ? whole(t->rounded) : Unknown, t ? abcCategoryName(t->category) : Unknown,
                           t ? dec(t->threshold) : Unknown});
    }
    out.push_back(th);
    StandardsTable rows;
    rows.name = QStringLiteral("Abc");
    rows.caption = QStringLiteral("Construction noise per day and period (dB; coverage in %)");
    rows.columns = {"Date", "Period", "Total", "Coverage", "Threshold", "Site", "Case", "Verdict"};
    for (const AbcRow& r : a.rows) {
        const bool known = a.thresholds[size_t(r.period)].has_value();
        rows.rows.push_back({standardsDateText(r.date), abcPeriodName(r.period), dec(r.total),
                             dec(r.coverage), known ? dec(r.threshold.threshold) : Unknown,
                             r.site ? specificLevelText(*r.site) : Unknown,
                             r.site ? residualCaseText(r.site->kind) : Unknown,
                             r.verdict ? abcVerdictText(*r.verdict) : Unknown});
    }
    out.push_back(rows);
}

void rblTables(const RblTable& b, double coverage, std::vector<StandardsTable>& out)
{
    StandardsTable days;
    days.name = QStringLiteral("Abl");
    days.caption = QStringLiteral("Assessment background levels (ABL in dB; a period counts with 75 % of its "
                                  "15-minute intervals at %1 % coverage)")
                       .arg(QString::number(coverage, 'g', 6));
    days.columns = {"Date", "Period", "Intervals", "Valid", "Counts", "ABL"};
    for (const AblRow& r : b.days)
        days.rows.push_back({standardsDateText(r.date), rblPeriodName(r.period), whole(r.intervals),
                             whole(r.valid), r.counts ? QStringLiteral("yes") : QStringLiteral("no"),
                             dec(r.abl)});
    out.push_back(days);
    StandardsTable rbl;
    rbl.name = QStringLiteral("Rbl");
    rbl.caption = QStringLiteral("Rating background levels (dB)");
    rbl.columns = {"Period", "Valid days", "Median ABL", "RBL", "Intrusiveness", "Note"};
    for (const RblResult* r : {&b.day, &b.evening, &b.night}) {
        QStringList note;
        if (r->raised)
            note << QStringLiteral("raised to %1 dB").arg(r->period == RblPeriod::Day ? 35 : 30);
        if (r->fewDays)
            note << QStringLiteral("fewer than 7 valid days");
        rbl.rows.push_back({rblPeriodName(r->period), whole(r->validDays), dec(r->median), dec(r->rbl),
                            dec(r->intrusiveness), note.join(QStringLiteral("; "))});
    }
    out.push_back(rbl);
}

StandardsTable cnelText(const CnelTable& c, double coverage)
{
    StandardsTable t;
    t.name = QStringLiteral("Cnel");
    t.caption =
        QStringLiteral("CNEL (day 07:00, evening 19:00, night 22:00; dB; a period below %1 % coverage "
                       "leaves the day's CNEL unknown)")
            .arg(QString::number(coverage, 'g', 6));
    t.columns = {"Date", "Lday", "Levening", "Lnight", "Coverage d/e/n", "CNEL"};
    for (const CnelDay& d : c.days)
        t.rows.push_back({standardsDateText(d.date), dec(d.day.leq), dec(d.evening.leq), dec(d.night.leq),
                          dec(d.day.coverage) + u'/' + dec(d.evening.coverage) + u'/' + dec(d.night.coverage),
                          dec(d.cnel)});
    t.notes << QStringLiteral("Overall CNEL: %1").arg(db(c.overall));
    return t;
}

StandardsTable nAboveText(const StandardsResults& r, const StandardsInputs& in)
{
    StandardsTable t;
    t.name = QStringLiteral("NAbove");
    if (!r.nAbove) {
        t.caption = QStringLiteral("Events above levels: unknown (the interval is unknown)");
        return t;
    }
    const NAboveTable& n = *r.nAbove;
    t.caption = QStringLiteral("Events above levels per night (night %1, minimum %2 s, continuation %3 s)")
                    .arg(QStringLiteral("%1:%2")
                             .arg(in.periods.nightStart / 3600, 2, 10, QChar(u'0'))
                             .arg(in.periods.nightStart / 60 % 60, 2, 10, QChar(u'0')),
                         QString::number(in.eventRule.minDurationSeconds, 'g', 6),
                         QString::number(in.eventRule.continuationSeconds, 'g', 6));
    t.columns = {"Night of"};
    for (double x : n.thresholds)
        t.columns << QStringLiteral("N%1").arg(QString::number(x, 'g', 6));
    for (const NightCount& c : n.nights) {
        QStringList row{standardsDateText(c.date)};
        for (int v : c.counts)
            row << whole(v);
        t.rows.push_back(row);
    }
    QStringList total{QStringLiteral("whole file")};
    for (int v : n.totals)
        total << whole(v);
    t.rows.push_back(total);
    return t;
}

} // namespace

QString standardsDateText(std::int64_t days)
{
    return isoDateText(days);
}

QString standardsClockText(std::int64_t clock)
{
    const std::int64_t days = clock >= 0 ? clock / 86400 : -((-clock + 86399) / 86400);
    const int s = int(clock - days * 86400);
    char buffer[32];
    char* end = writeIsoDate(buffer, days);
    if (!end)
        return standardsDateText(days) +
               QStringLiteral(" %1:%2")
                   .arg(s / 3600, 2, 10, QChar(u'0'))
                   .arg(s / 60 % 60, 2, 10, QChar(u'0')) +
               (s % 60 != 0 ? QStringLiteral(":%1").arg(s % 60, 2, 10, QChar(u'0')) : QString());
    *end++ = ' ';
    end = writeDigits(end, s / 3600, 2);
    *end++ = ':';
    end = writeDigits(end, s / 60 % 60, 2);
    if (s % 60 != 0) {
        *end++ = ':';
        end = writeDigits(end, s % 60, 2);
    }
    return QString::fromLatin1(buffer, end - buffer);
}

std::vector<StandardsTable> standardsTextTables(const StandardsResults& r, const StandardsInputs& in)
{
    std::vector<StandardsTable> out;
    const double coverage = in.periods.coveragePercent;
    if (r.intervals)
        out.push_back(intervalsTable(*r.intervals, r.intervalSeconds));
    if (in.limits)
        limitsTables(r, out);
    if (r.background)
        out.push_back(backgroundText(*r.background));
    if (r.residual)
        out.push_back(residualText(r, in));
    if (r.rating)
        out.push_back(ratingText(r, in));
    if (r.abc)
        abcTables(*r.abc, out);
    if (r.rbl)
        rblTables(*r.rbl, coverage, out);
    if (r.cnel)
        out.push_back(cnelText(*r.cnel, coverage));
    if (!in.nAbove.empty())
        out.push_back(nAboveText(r, in));
    return out;
}

} // namespace slm
