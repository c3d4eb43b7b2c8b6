#include "AssessmentOutput.h"
#include "ClockTimes.h"
#include "Json.h"

namespace slm
{

QByteArray hourRowJson(const HourRow& h, ClockTimeTexts& times)
{
    using json::rounded;
    return json::object({{"start", json::text(times.text(h.start))},
                         {"leq", rounded(h.leq)},
                         {"lmax", rounded(h.lmax)},
                         {"lmin", rounded(h.lmin)},
                         {"l10", rounded(h.l10)},
                         {"l50", rounded(h.l50)},
                         {"l90", rounded(h.l90)},
                         {"levels", QByteArray::number(h.levels)},
                         {"coverage", rounded(h.coverage)},
                         {"excluded", QByteArray::number(h.excluded)}});
}

namespace
{

using json::rounded;

void hoursJson(const std::vector<HourRow>& rows, ClockTimeTexts& times, ChunkedOutput& out)
{
    out.add(QByteArray("["));
    for (size_t i = 0; i < rows.size(); ++i) {
        const HourRow& h = rows[i];
        out.add(QByteArray(i ? ",\n    " : "\n    ") + hourRowJson(h, times));
    }
    out.add(QByteArray(rows.empty() ? "]" : "\n  ]"));
}

QByteArray dayJson(const DayRow& d, bool withDate)
{
    QByteArray out = json::object({{"lday", rounded(d.day.leq)},
                                   {"levening", rounded(d.evening.leq)},
                                   {"lnight", rounded(d.night.leq)},
                                   {"lden", rounded(d.lden)},
                                   {"ld", rounded(d.ldnDay.leq)},
                                   {"ln", rounded(d.ldnNight.leq)},
                                   {"ldn", rounded(d.ldn)},
                                   {"coverage_day", rounded(d.day.coverage)},
                                   {"coverage_evening", rounded(d.evening.coverage)},
                                   {"coverage_night", rounded(d.night.coverage)}});
    if (withDate)
        out = "{\"date\": " + json::text(dateText(d.date)) + ", " + out.mid(1);
    return out;
}

QByteArray doseJson(const DoseResult& d)
{
    const DoseCriterion& c = d.criterion;
    if (c.iso) {
        return json::object({{"preset", json::text(c.preset)},
                             {"leq", rounded(d.leq)},
                             {"measured_s", rounded(d.measuredSeconds)},
                             {"lex8h", rounded(d.lex8h)},
                             {"lower_action", json::boolean(d.lowerActionReached)},
                             {"upper_action", json::boolean(d.upperActionReached)},
                             {"limit", json::boolean(d.limitReached)},
                             {"a_weighted", json::boolean(d.aWeighted)}});
    }
    return json::object({{"preset", json::text(c.preset)},
                         {"criterion", rounded(c.criterion)},
                         {"exchange", rounded(c.exchange)},
                         {"threshold", rounded(c.threshold)},
                         {"dose", rounded(d.dose)},
                         {"projected_dose", rounded(d.projectedDose)},
                         {"twa", rounded(d.twa)},
                         {"lavg", rounded(d.lavg)},
                         {"measured_s", rounded(d.measuredSeconds)},
                         {"above_threshold_s", rounded(d.aboveThresholdSeconds)},
                         {"lmax", rounded(d.lmax)},
                         {"action_level_reached", json::boolean(d.actionLevelReached)},
                         {"a_weighted", json::boolean(d.aWeighted)}});
}

QByteArray eventJson(const NoiseEvent& e, double dt, ClockTimeTexts& times)
{
    return json::object({{"number", QByteArray::number(e.number)},
                         {"start", json::text(times.text(e.start))},
                         {"end", json::text(times.text(e.last, dt))},
                         {"duration_s", rounded(e.durationSeconds)},
                         {"max_time", e.maxTime ? json::text(times.text(*e.maxTime)) : QByteArray("null")},
                         {"lmax", rounded(e.lmax)},
                         {"leq", rounded(e.leq)},
                         {"sel", rounded(e.sel)},
                         {"over_range", json::boolean(e.overRange)}});
}

void eventsJson(const AssessmentOutputInput& in, ClockTimeTexts& times, ChunkedOutput& out)
{
    const EventSummary& s = *in.results.events;
    out.add("{\n    \"threshold\": " + rounded(s.settings.threshold) +
            ",\n    \"min_duration_s\": " + rounded(s.settings.minDurationSeconds) +
            ",\n    \"continuation_s\": " + rounded(s.settings.continuationSeconds) + ",\n    \"count\": " +
            QByteArray::number(s.count) + ",\n    \"time_in_events_s\": " + rounded(s.timeInEventsSeconds) +
            ",\n    \"per_hour\": " + rounded(s.perHour) + ",\n    \"list\": [");
    const double dt = in.interval.value_or(0);
    bool first = true;
    in.walkEvents([&](const NoiseEvent& e) {
        out.add((first ? "\n      " : ",\n      ") + eventJson(e, dt, times));
        first = false;
        return out.ok();
    });
    out.add(QByteArray(first ? "]" : "\n    ]") + "\n  }");
}

} // namespace

bool writeAssessmentJson(const AssessmentOutputInput& in, const AssessmentOptions& o, const OutputSink& write)
{
    ChunkedOutput out(write);
    ClockTimeTexts times;
    const AssessmentResults& r = in.results;
    if (o.periods) {
        out.add(QByteArray(",\n  \"hours\": "));
        hoursJson(r.hours, times, out);
        QByteArray days = "[";
        for (size_t i = 0; i < r.days.days.size(); ++i)
            days += (i ? ",\n    " : "\n    ") + dayJson(r.days.days[i], true);
        days += r.days.days.empty() ? "]" : "\n  ]";
        out.add(",\n  \"days\": " + days);
        out.add(",\n  \"overall\": " + dayJson(r.days.overall, false));
    }
    if (o.dose)
        out.add(",\n  \"dose\": " + doseJson(r.dose));
    if (o.events) {
        out.add(QByteArray(",\n  \"events\": "));
        if (r.events)
            eventsJson(in, times, out);
        else
            out.add(QByteArray("null"));
    }
    return out.flush();
}

} // namespace slm
