#include "AssessmentOutput.h"
#include "ClockTimes.h"

namespace slm
{

namespace
{

const QString Unknown = QStringLiteral("-");

QString cell(const QString& text, int width)
{
    return QStringLiteral("%1").arg(text, width);
}

QString yesNo(std::optional<bool> v)
{
    return v ? (*v ? QStringLiteral("reached") : QStringLiteral("not reached")) : QStringLiteral("unknown");
}

void hoursText(const std::vector<HourRow>& rows, ClockTimeTexts& times, ChunkedOutput& out)
{
    const QString& u = Unknown;
    out.add(QStringLiteral("  Hourly levels (dB; coverage in %):\n"));
    out.add(QStringLiteral("    %1%2%3%4%5%6%7%8%9%10\n")
                .arg(QStringLiteral("Start"), -27)
                .arg(cell("Leq", 7), cell("Lmax", 7), cell("Lmin", 7), cell("L10", 7), cell("L50", 7),
                     cell("L90", 7), cell("Levels", 8), cell("Coverage", 10))
                .arg(cell("Excluded", 10)));
    for (const HourRow& h : rows) {
        out.add(QStringLiteral("    %1%2%3%4%5%6%7%8%9%10\n")
                    .arg(times.text(h.start), -27)
                    .arg(cell(decimalText(h.leq, u), 7), cell(decimalText(h.lmax, u), 7),
                         cell(decimalText(h.lmin, u), 7), cell(decimalText(h.l10, u), 7),
                         cell(decimalText(h.l50, u), 7), cell(decimalText(h.l90, u), 7),
                         cell(QString::number(h.levels), 8), cell(decimalText(h.coverage, u), 10))
                    .arg(cell(QString::number(h.excluded), 10)));
    }
}

QString dayText(const DayRow& d, const QString& date)
{
    const QString& u = Unknown;
    const QString coverage = decimalText(d.day.coverage, u) + u'/' + decimalText(d.evening.coverage, u) +
                             u'/' + decimalText(d.night.coverage, u);
    return QStringLiteral("    %1%2%3%4%5%6%7%8%9\n")
        .arg(date, -12)
        .arg(cell(decimalText(d.day.leq, u), 7), cell(decimalText(d.evening.leq, u), 9),
             cell(decimalText(d.night.leq, u), 7), cell(decimalText(d.lden, u), 7),
             cell(decimalText(d.ldnDay.leq, u), 7), cell(decimalText(d.ldnNight.leq, u), 7),
             cell(decimalText(d.ldn, u), 7), cell(coverage, 20));
}

void daysText(const DayTable& table, const PeriodSettings& p, ChunkedOutput& out)
{
    out.add(
        QStringLiteral("  Day-evening-night (day %1, evening %2, night %3; Ldn night %4; a period below %5 % "
                       "coverage is unknown):\n")
            .arg(clockText(p.dayStart), clockText(p.eveningStart), clockText(p.nightStart),
                 clockText(p.ldnNightStart), QString::number(p.coveragePercent, 'g', 6)));
    out.add(QStringLiteral("    %1%2%3%4%5%6%7%8%9\n")
                .arg(QStringLiteral("Date"), -12)
                .arg(cell("Lday", 7), cell("Levening", 9), cell("Lnight", 7), cell("Lden", 7), cell("Ld", 7),
                     cell("Ln", 7), cell("Ldn", 7), cell("Coverage d/e/n", 20)));
    for (const DayRow& d : table.days)
        out.add(dayText(d, dateText(d.date)));
    out.add(dayText(table.overall, QStringLiteral("overall")));
}

void doseText(const DoseResult& d, ChunkedOutput& out)
{
    const QString& u = Unknown;
    const DoseCriterion& c = d.criterion;
    auto line = [&out](const QString& name, const QString& value) {
        out.add(QStringLiteral("    %1 %2\n").arg(name + u':', -22).arg(value));
    };
    auto db = [&u](std::optional<double> v) {
        return v ? decimalText(v, u) + QStringLiteral(" dB") : QStringLiteral("unknown");
    };
    auto pc = [&u](std::optional<double> v) {
        return v ? decimalText(v, u) + QStringLiteral(" %") : QStringLiteral("unknown");
    };
    if (c.iso) {
        out.add(QStringLiteral("  Daily exposure (iso):\n"));
        line(QStringLiteral("Leq"), db(d.leq));
        line(QStringLiteral("Measured time"), durationText(d.measuredSeconds));
        line(QStringLiteral("LEX,8h"), db(d.lex8h));
        line(QStringLiteral("Lower action 80 dB"), yesNo(d.lowerActionReached));
        line(QStringLiteral("Upper action 85 dB"), yesNo(d.upperActionReached));
        line(QStringLiteral("Limit 87 dB"), yesNo(d.limitReached));
    } else {
        out.add(QStringLiteral("  Noise dose (%1: Lc %2 dB, q %3 dB, Lt %4 dB):\n")
                    .arg(c.preset, QString::number(c.criterion, 'g', 6), QString::number(c.exchange, 'g', 6),
                         QString::number(c.threshold, 'g', 6)));
        line(QStringLiteral("Dose"), pc(d.dose));
        line(QStringLiteral("Projected 8 h dose"), pc(d.projectedDose));
        line(QStringLiteral("TWA (8 h)"), db(d.twa));
        line(QStringLiteral("Lavg"), db(d.lavg));
        line(QStringLiteral("Measured time"), durationText(d.measuredSeconds));
        line(QStringLiteral("At or above Lt"), durationText(d.aboveThresholdSeconds));
        line(QStringLiteral("Lmax"), db(d.lmax));
        line(QStringLiteral("Action level 85 dB"), yesNo(d.actionLevelReached));
    }
    if (!d.aWeighted)
        out.add(QStringLiteral("    Weighting unknown: indicative only.\n"));
    else if (!*d.aWeighted)
        out.add(QStringLiteral("    Not A-weighted: indicative only.\n"));
}

QString eventLine(const QString& number, const QString& start, const QString& end, const QString& duration,
                  const QString& maxTime, const QString& lmax, const QString& leq, const QString& sel,
                  const QString& flag)
{
    return QStringLiteral("    %1  %2  %3  %4  %5%6%7%8%9\n")
        .arg(number, 4)
        .arg(start, -25)
        .arg(end, -25)
        .arg(duration, 10)
        .arg(maxTime, -25)
        .arg(lmax, 7)
        .arg(leq, 7)
        .arg(sel, 7)
        .arg(flag);
}

void eventsText(const AssessmentOutputInput& in, ClockTimeTexts& times, ChunkedOutput& out)
{
    const QString& u = Unknown;
    if (!in.results.events) {
        out.add(QStringLiteral("  Noise events: unknown (the interval is unknown).\n"));
        return;
    }
    const EventSummary& e = *in.results.events;
    out.add(QStringLiteral("  Noise events (threshold %1 dB, minimum %2 s, continuation %3 s): %4, %5 in "
                           "events, %6 per hour\n")
                .arg(QString::number(e.settings.threshold, 'g', 6),
                     QString::number(e.settings.minDurationSeconds, 'g', 6),
                     QString::number(e.settings.continuationSeconds, 'g', 6), QString::number(e.count),
                     durationText(e.timeInEventsSeconds), decimalText(e.perHour, QStringLiteral("unknown"))));
    if (e.count > 0)
        out.add(eventLine(QStringLiteral("No."), QStringLiteral("Start"), QStringLiteral("End"),
                          QStringLiteral("Duration"), QStringLiteral("Max time"), QStringLiteral("Lmax"),
                          QStringLiteral("Leq"), QStringLiteral("SEL"), QString()));
    const double dt = in.interval.value_or(0);
    in.walkEvents([&](const NoiseEvent& n) {
        out.add(eventLine(QString::number(n.number), times.text(n.start), times.text(n.last, dt),
                          durationText(n.durationSeconds), n.maxTime ? times.text(*n.maxTime) : u,
                          decimalText(n.lmax, u), decimalText(n.leq, u), decimalText(n.sel, u),
                          n.overRange ? QStringLiteral("  over-range: levels are lower bounds") : QString()));
        return out.ok();
    });
}

} // namespace

QString decimalText(std::optional<double> v, const QString& unknown)
{
    return v && std::isfinite(*v) ? QString::number(*v, 'f', 1) : unknown;
}

bool writeAssessmentText(const AssessmentOutputInput& in, const AssessmentOptions& o, const OutputSink& write)
{
    ChunkedOutput out(write);
    ClockTimeTexts times;
    if (o.periods) {
        hoursText(in.results.hours, times, out);
        daysText(in.results.days, o.periodSettings, out);
    }
    if (o.dose)
        doseText(in.results.dose, out);
    if (o.events)
        eventsText(in, times, out);
    return out.flush();
}

} // namespace slm
