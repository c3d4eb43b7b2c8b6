#include "AssessmentOutput.h"
#include "ClockTimes.h"

namespace slm
{

namespace
{

// CSV (RFC 4180): CR LF line ends; no cell of these tables holds a comma, a quote or a line break.
QByteArray csvLine(const QStringList& cells)
{
    return cells.join(u',').toUtf8() + "\r\n";
}

QByteArray dayLine(const DayRow& d, const QString& date)
{
    const QString none;
    return csvLine({date, decimalText(d.day.leq, none), decimalText(d.evening.leq, none),
                    decimalText(d.night.leq, none), decimalText(d.lden, none),
                    decimalText(d.ldnDay.leq, none), decimalText(d.ldnNight.leq, none),
                    decimalText(d.ldn, none), decimalText(d.day.coverage, none),
                    decimalText(d.evening.coverage, none), decimalText(d.night.coverage, none)});
}

} // namespace

bool writeAssessmentCsv(const AssessmentOutputInput& in, AssessmentOptions::Table table,
                        const OutputSink& write)
{
    const QString none;
    ChunkedOutput out(write);
    ClockTimeTexts times;
    const AssessmentResults& r = in.results;
    switch (table) {
    case AssessmentOptions::Table::Hours:
        out.add(
            csvLine({"start", "leq", "lmax", "lmin", "l10", "l50", "l90", "levels", "coverage", "excluded"}));
        for (const HourRow& h : r.hours)
            out.add(csvLine({times.text(h.start), decimalText(h.leq, none), decimalText(h.lmax, none),
                             decimalText(h.lmin, none), decimalText(h.l10, none), decimalText(h.l50, none),
                             decimalText(h.l90, none), QString::number(h.levels),
                             decimalText(h.coverage, none), QString::number(h.excluded)}));
        break;
    case AssessmentOptions::Table::Days:
        out.add(csvLine({"date", "lday", "levening", "lnight", "lden", "ld", "ln", "ldn", "coverage_day",
                         "coverage_evening", "coverage_night"}));
        for (const DayRow& d : r.days.days)
            out.add(dayLine(d, dateText(d.date)));
        out.add(dayLine(r.days.overall, QStringLiteral("overall")));
        break;
    case AssessmentOptions::Table::Events: {
        out.add(csvLine(
            {"number", "start", "end", "duration_s", "max_time", "lmax", "leq", "sel", "over_range"}));
        if (!r.events)
            break;
        const double dt = in.interval.value_or(0);
        in.walkEvents([&](const NoiseEvent& e) {
            out.add(csvLine({QString::number(e.number), times.text(e.start), times.text(e.last, dt),
                             QString::number(e.durationSeconds, 'g', 10),
                             e.maxTime ? times.text(*e.maxTime) : none, decimalText(e.lmax, none),
                             decimalText(e.leq, none), decimalText(e.sel, none),
                             e.overRange ? QStringLiteral("true") : QStringLiteral("false")}));
            return out.ok();
        });
        break;
    }
    case AssessmentOptions::Table::None:
    case AssessmentOptions::Table::Standards: // written by the standards' own writer
        break;
    }
    return out.flush();
}

} // namespace slm
