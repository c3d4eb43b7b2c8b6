#include "measurement/AssessmentTables.h"

#include "measurement/AssessmentFile.h"
#include "measurement/Sample.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <span>

namespace slm
{

namespace
{

const QString Unknown = QStringLiteral("-");

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

QString hhmm(int seconds)
{
    return QStringLiteral("%1:%2")
        .arg(seconds / 3600, 2, 10, QChar(u'0'))
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'));
}

QString percentText(std::optional<double> v)
{
    return v && std::isfinite(*v) ? QString::number(*v, 'f', 1) + QStringLiteral(" %") : Unknown;
}

QString dbText(std::optional<double> v)
{
    return v && std::isfinite(*v) ? QString::number(*v, 'f', 1) + QStringLiteral(" dB") : Unknown;
}

QString reached(std::optional<bool> v)
{
    return v ? (*v ? QStringLiteral("reached") : QStringLiteral("not reached")) : Unknown;
}

// Events per hour with two decimals: a few events over days must not read as "0.0 per hour".
QString rateText(std::optional<double> v)
{
    return v && std::isfinite(*v) ? QString::number(*v, 'f', 2) : Unknown;
}

QString dateOfDays(std::int64_t days)
{
    return QDate(1970, 1, 1).addDays(days).toString(Qt::ISODate);
}

QString localTimeText(const QDateTime& t)
{
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void addPair(TextTable& t, const QString& name, const QString& value)
{
    if (!value.isEmpty())
        t.rows.append({name, value});
}

TextTable pairTable()
{
    return {{QStringLiteral("Figure"), QStringLiteral("Value")}, {}, {false, true}};
}

} // namespace

QString clockTimeText(std::int64_t clock)
{
    if (clock == RecordSample::NoTime)
        return Unknown;
    const std::int64_t days = clock >= 0 ? clock / 86400 : -((-clock + 86399) / 86400);
    const int second = int(clock - days * 86400);
    return dateOfDays(days) + QStringLiteral(" %1:%2:%3")
                                  .arg(second / 3600, 2, 10, QChar(u'0'))
                                  .arg(second / 60 % 60, 2, 10, QChar(u'0'))
                                  .arg(second % 60, 2, 10, QChar(u'0'));
}

QString levelText(std::optional<double> value)
{
    return value && std::isfinite(*value) ? QString::number(*value, 'f', 1) : Unknown;
}

TextTable figuresTable(const AssessmentResults& r)
{
    const LevelFigures& f = r.figures;
    TextTable t = pairTable();
    t.rows = {
        {QStringLiteral("Leq"), dbText(f.leq)},
        {QStringLiteral("SEL"), dbText(f.sel)},
        {QStringLiteral("Lmax"), dbText(f.lmax)},
        {QStringLiteral("Lmin"), dbText(f.lmin)},
        {QStringLiteral("Duration"), f.duration ? durationText(f.duration) : Unknown},
        {QStringLiteral("Records"), QString::number(f.records)},
        {QStringLiteral("Levels"), QString::number(f.levels)},
        {QStringLiteral("Paused"), QString::number(f.paused)},
        {QStringLiteral("Other"), QString::number(f.other)},
        {QStringLiteral("Excluded"), QString::number(r.excluded())},
    };
    return t;
}

TextTable percentileTable(const LevelFigures& f)
{
    TextTable t;
    QStringList row;
    for (int p : {5, 10, 50, 90, 95}) {
        t.columns << QStringLiteral("L%1").arg(p);
        t.rightAligned << true;
        const QString v = f.percentile(p);
        row << (v.isEmpty() ? Unknown : v);
    }
    t.rows.append(row);
    return t;
}

TextTable hoursTable(const AssessmentResults& r, qsizetype maxRows)
{
    TextTable t{{QStringLiteral("Hour"), QStringLiteral("Leq"), QStringLiteral("Lmax"),
                 QStringLiteral("Lmin"), QStringLiteral("L10"), QStringLiteral("L50"), QStringLiteral("L90"),
                 QStringLiteral("Levels"), QStringLiteral("Coverage %"), QStringLiteral("Excluded")},
                {},
                {false, true, true, true, true, true, true, true, true, true}};
    const qsizetype rows =
        maxRows < 0 ? qsizetype(r.hours.size()) : std::min(maxRows, qsizetype(r.hours.size()));
    t.rows.reserve(rows);
    for (const HourRow& h : std::span(r.hours).first(size_t(rows)))
        t.rows.append({clockTimeText(h.start).left(16), levelText(h.leq), levelText(h.lmax),
                       levelText(h.lmin), levelText(h.l10), levelText(h.l50), levelText(h.l90),
                       QString::number(h.levels), levelText(h.coverage), QString::number(h.excluded)});
    return t;
}

TextTable dayEveningNightTable(const AssessmentResults& r)
{
    TextTable t{{QStringLiteral("Date"), QStringLiteral("Lday"), QStringLiteral("Levening"),
                 QStringLiteral("Lnight"), QStringLiteral("Lden"), QStringLiteral("Ld"), QStringLiteral("Ln"),
                 QStringLiteral("Ldn"), QStringLiteral("Coverage d/e/n %")},
                {},
                {false, true, true, true, true, true, true, true, true}};
    auto row = [](const DayRow& d, const QString& date) {
        return QStringList{date,
                           levelText(d.day.leq),
                           levelText(d.evening.leq),
                           levelText(d.night.leq),
                           levelText(d.lden),
                           levelText(d.ldnDay.leq),
                           levelText(d.ldnNight.leq),
                           levelText(d.ldn),
                           levelText(d.day.coverage) + u'/' + levelText(d.evening.coverage) + u'/' +
                               levelText(d.night.coverage)};
    };
    for (const DayRow& d : r.days.days)
        t.rows.append(row(d, dateOfDays(d.date)));
    t.rows.append(row(r.days.overall, QStringLiteral("overall")));
    return t;
}

QString doseCaption(const DoseResult& d)
{
    const DoseCriterion& c = d.criterion;
    QString caption = c.preset;
    for (const DosePreset& p : dosePresets())
        if (c.preset == QLatin1String(p.name))
            caption = QString::fromLatin1(p.caption);
    caption += c.iso ? QStringLiteral(": daily exposure LEX,8h")
                     : QStringLiteral(": Lc %1 dB, q %2 dB, Lt %3 dB")
                           .arg(number(c.criterion), number(c.exchange), number(c.threshold));
    if (!d.aWeighted)
        caption += QStringLiteral(". Weighting unknown: indicative only.");
    else if (!*d.aWeighted)
        caption += QStringLiteral(". Not A-weighted: indicative only.");
    return caption;
}

TextTable doseTable(const DoseResult& d)
{
    TextTable t = pairTable();
    auto time = [](std::optional<double> s) { return s ? durationText(s) : Unknown; };
    if (d.criterion.iso) {
        t.rows = {
            {QStringLiteral("Leq"), dbText(d.leq)},
            {QStringLiteral("Measured time"), time(d.measuredSeconds)},
            {QStringLiteral("LEX,8h"), dbText(d.lex8h)},
            {QStringLiteral("Lower action 80 dB"), reached(d.lowerActionReached)},
            {QStringLiteral("Upper action 85 dB"), reached(d.upperActionReached)},
            {QStringLiteral("Limit 87 dB"), reached(d.limitReached)},
        };
    } else {
        t.rows = {
            {QStringLiteral("Dose"), percentText(d.dose)},
            {QStringLiteral("Projected 8 h dose"), percentText(d.projectedDose)},
            {QStringLiteral("TWA (8 h)"), dbText(d.twa)},
            {QStringLiteral("Lavg"), dbText(d.lavg)},
            {QStringLiteral("Measured time"), time(d.measuredSeconds)},
            {QStringLiteral("At or above Lt"), time(d.aboveThresholdSeconds)},
            {QStringLiteral("Lmax"), dbText(d.lmax)},
            {QStringLiteral("Action level 85 dB"), reached(d.actionLevelReached)},
        };
    }
    return t;
}

namespace
{

// An event with overloads: each figure is a lower bound. An overload reads above the range's top,
// so the Lmax is at least that; an event of overloads alone is bounded by the top only.
QStringList boundTexts(const NoiseEvent& e, std::optional<double> top, std::optional<double> interval)
{
    const auto bound = [](std::optional<double> v) {
        return v && std::isfinite(*v) ? QStringLiteral("≥ ") + levelText(v) : Unknown;
    };
    if (e.levels > 0) {
        const std::optional<double> lmax = top && e.lmax ? std::max(*e.lmax, *top) : e.lmax;
        return {bound(lmax), bound(e.leq), bound(e.sel)};
    }
    std::optional<double> sel;
    if (top && interval && *interval > 0 && e.overloads > 0)
        sel = *top + 10.0 * std::log10(double(e.overloads) * *interval);
    return {bound(top), bound(top), bound(sel)};
}

} // namespace

TextTable eventsTable(const AssessmentResults& r, qsizetype maxRows)
{
    TextTable t{{QStringLiteral("No."), QStringLiteral("Start"), QStringLiteral("Duration"),
                 QStringLiteral("Max time"), QStringLiteral("Lmax"), QStringLiteral("Leq"),
                 QStringLiteral("SEL"), QStringLiteral("Note")},
                {},
                {true, false, true, false, true, true, true, false}};
    if (!r.events)
        return t;
    const std::vector<NoiseEvent>& events = r.events->events;
    const qsizetype rows =
        maxRows < 0 ? qsizetype(events.size()) : std::min(maxRows, qsizetype(events.size()));
    t.rows.reserve(rows);
    for (const NoiseEvent& e : std::span(events).first(size_t(rows))) {
        const QStringList levels = e.overRange
                                       ? boundTexts(e, r.rangeTop, r.figures.interval)
                                       : QStringList{levelText(e.lmax), levelText(e.leq), levelText(e.sel)};
        t.rows.append({QString::number(e.number), clockTimeText(e.start), durationText(e.durationSeconds),
                       e.maxTime ? clockTimeText(*e.maxTime).mid(11) : Unknown, levels[0], levels[1],
                       levels[2], e.overRange ? QStringLiteral("over range: lower bounds") : QString()});
    }
    return t;
}

QString eventsCaption(const AssessmentResults& r)
{
    if (!r.events)
        return QStringLiteral("Events are unknown: the interval between records is unknown.");
    const EventSummary& e = *r.events;
    const std::int64_t count = e.count;
    return QStringLiteral(
               "%1 %2, %3 in events, %4 per hour (threshold %5 dB, minimum %6 s, continuation %7 s)")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("event") : QStringLiteral("events"),
             durationText(e.timeInEventsSeconds), rateText(e.perHour), number(e.settings.threshold),
             number(e.settings.minDurationSeconds), number(e.settings.continuationSeconds));
}

TextTable exclusionsTable(std::span<const Exclusion> exclusions)
{
    TextTable t{{QStringLiteral("Start"), QStringLiteral("End"), QStringLiteral("Reason")},
                {},
                {false, false, false}};
    for (const Exclusion& e : exclusions)
        t.rows.append({localTimeText(e.start), localTimeText(e.end), shownReason(e.reason)});
    return t;
}

QString shownReason(const QString& reason)
{
    if (reason.size() <= ShownReasonLength)
        return reason;
    return reason.left(ShownReasonLength) +
           QStringLiteral("... (%1 more characters)").arg(reason.size() - ShownReasonLength);
}

TextTable detailsTable(const AssessmentDetails& d)
{
    TextTable t{{QStringLiteral("Detail"), QStringLiteral("Value")}, {}, {false, false}};
    auto db = [](std::optional<double> v) {
        return v ? calibrationLevelText(*v) + QStringLiteral(" dB") : QString();
    };
    addPair(t, QStringLiteral("Site"), d.site);
    addPair(t, QStringLiteral("Address or coordinates"), d.address);
    addPair(t, QStringLiteral("Operator"), d.operatorName);
    addPair(t, QStringLiteral("Purpose"), d.purpose);
    addPair(t, QStringLiteral("Instrument model"), d.instrumentModel);
    addPair(t, QStringLiteral("Instrument serial number"), d.instrumentSerial);
    addPair(t, QStringLiteral("Instrument class"), d.instrumentClass);
    addPair(t, QStringLiteral("Calibrator model"), d.calibratorModel);
    addPair(t, QStringLiteral("Calibrator serial number"), d.calibratorSerial);
    addPair(t, QStringLiteral("Calibrator reference level"), db(d.calibratorReferenceLevel));
    addPair(t, QStringLiteral("Calibration check before"), db(d.calibrationBefore));
    addPair(t, QStringLiteral("Calibration check after"), db(d.calibrationAfter));
    // The drift to 0.01 dB, as it is judged: 0.55 never reads "0.5" beside "above 0.5 dB".
    if (d.calibrationBefore && d.calibrationAfter)
        addPair(t, QStringLiteral("Calibration drift"),
                QString::number(std::abs(*d.calibrationAfter - *d.calibrationBefore), 'f', 2) +
                    QStringLiteral(" dB"));
    addPair(t, QStringLiteral("Weather and conditions"), d.conditions);
    return t;
}

QString periodsCaption(const PeriodSettings& p)
{
    return QStringLiteral(
               "Day %1, evening %2, night %3 (Ldn night %4); a period below %5 % coverage is unknown")
        .arg(hhmm(p.dayStart), hhmm(p.eveningStart), hhmm(p.nightStart), hhmm(p.ldnNightStart),
             number(p.coveragePercent));
}

} // namespace slm
