#include "AssessmentOutput.h"
#include "ClockTimes.h"
#include "Json.h"
#include "StandardsOutput.h"

namespace slm
{

namespace
{

using json::rounded;

QByteArray integer(std::int64_t n)
{
    return QByteArray::number(qlonglong(n));
}
QByteArray optionalInteger(std::optional<std::int64_t> n)
{
    return n ? integer(*n) : QByteArray("null");
}

template <class Row, class Write>
QByteArray array(const std::vector<Row>& rows, Write write, const char* indent)
{
    QByteArray out = "[";
    for (size_t i = 0; i < rows.size(); ++i)
        out += QByteArray(i ? ",\n" : "\n") + indent + write(rows[i]);
    return out + (rows.empty() ? QByteArray("]") : QByteArray("\n") + QByteArray(indent).chopped(2) + "]");
}

QByteArray sourceJson(const LevelSource& s)
{
    switch (s.kind) {
    case LevelSource::Kind::Number:
        return json::text(QStringLiteral("number"));
    case LevelSource::Kind::Records:
        return json::text(QStringLiteral("file"));
    case LevelSource::Kind::Span:
        return json::text(QStringLiteral("span"));
    case LevelSource::Kind::None:
        break;
    }
    return "null";
}

QByteArray levelJson(const std::optional<SourceLevel>& l, const LevelSource& s)
{
    if (!l)
        return "null";
    return json::object({{"leq", rounded(l->leq)},
                         {"source", sourceJson(s)},
                         {"given", json::text(s.given)},
                         {"levels", integer(l->levels)},
                         {"coverage", rounded(l->coverage)}});
}

const char* caseKey(ResidualCase c)
{
    return c == ResidualCase::Negligible  ? "negligible"
           : c == ResidualCase::Corrected ? "corrected"
                                          : "bounded";
}

QByteArray residualJson(const StandardsOfFile& s)
{
    const ResidualCorrection& c = *s.results.residual;
    return json::object({{"ambient", levelJson(s.results.ambient, s.inputs.ambient)},
                         {"residual", levelJson(s.results.residualLevel, s.inputs.residual)},
                         {"margin", rounded(c.margin)},
                         {"specific", rounded(c.specific)},
                         {"bounded", json::boolean(c.kind == ResidualCase::Bounded)},
                         {"case", json::text(QString::fromLatin1(caseKey(c.kind)))},
                         {"case_text", json::text(residualCaseText(c.kind))}});
}

QByteArray ratingJson(const StandardsOfFile& s)
{
    const RatingOutcome& o = *s.results.rating;
    const RatingResult& x = o.result;
    const CharacterCorrections& k = o.input.corrections;
    return json::object(
        {{"specific", rounded(o.input.specific)},
         {"specific_from", s.results.specific ? levelJson(s.results.specific, s.inputs.specific)
                                              : json::text(QStringLiteral("residual correction"))},
         {"specific_bounded", json::boolean(o.specificBounded)},
         {"tr_s", rounded(o.input.referenceSeconds)},
         {"night", json::boolean(o.night)},
         {"on_time_s", rounded(o.input.onTimeSeconds.value_or(o.input.referenceSeconds))},
         {"on_time_correction", rounded(x.onTimeAdjustment)},
         {"tonal", integer(k.tonal)},
         {"impulsive", integer(k.impulsive)},
         {"other", integer(k.other)},
         {"intermittency", integer(k.intermittency)},
         {"corrections", integer(k.total())},
         {"rating", rounded(x.rating)},
         {"rating_rounded", integer(x.ratingRounded)},
         {"background", rounded(o.input.background)},
         {"background_from", json::text(o.backgroundGiven ? QStringLiteral("given")
                                        : o.night         ? QStringLiteral("night median")
                                                          : QStringLiteral("day median"))},
         {"background_rounded", integer(x.backgroundRounded)},
         {"excess", rounded(x.excess)},
         {"excess_rounded", integer(x.excessRounded)},
         {"indication", json::text(x.indication)}});
}

QByteArray distributionJson(const BackgroundDistribution& d)
{
    QByteArray classes = "[";
    bool first = true;
    for (const auto& [n, count] : d.classes) {
        classes += (first ? "" : ", ") + json::object({{"class", integer(n)}, {"count", integer(count)}});
        first = false;
    }
    classes += "]";
    return json::object({{"counted", integer(std::int64_t(d.values.size()))},
                         {"median", rounded(d.median)},
                         {"mode", d.mode ? integer(*d.mode) : QByteArray("null")},
                         {"classes", classes}});
}

QByteArray backgroundJson(const BackgroundTable& b, ClockTimeTexts& times)
{
    const auto row = [&](const HourRow& h) {
        return json::object({{"start", json::text(times.text(h.start))},
                             {"l90", rounded(h.l90)},
                             {"coverage", rounded(h.coverage)}});
    };
    return "{\n    \"interval_s\": " + integer(b.intervalSeconds) +
           ",\n    \"coverage_threshold\": " + rounded(b.coveragePercent) +
           ",\n    \"day\": " + distributionJson(b.day) + ",\n    \"night\": " + distributionJson(b.night) +
           ",\n    \"rows\": " + array(b.intervals, row, "      ") + "\n  }";
}

QByteArray limitsJson(const LimitReplay& r, ClockTimeTexts& times)
{
    const auto transition = [&](const LimitTransition& t) {
        return json::object({{"time", json::text(times.text(t.time))},
                             {"limit", json::text(t.limit)},
                             {"state", json::text(limitStateText(t.state))},
                             {"previous", json::text(limitStateText(t.previous))},
                             {"figure", rounded(t.figure)},
                             {"threshold", rounded(t.threshold)},
                             {"since", json::text(times.text(t.since))},
                             {"window_s", integer(t.windowSeconds)},
                             {"reason", t.reason.isEmpty() ? QByteArray("null") : json::text(t.reason)}});
    };
    const auto limit = [](const LimitReplaySummary& l) {
        return json::object(
            {{"limit", json::text(l.config.name)},
             {"figure", json::text(limitFigureText(l.config.figure))},
             {"window_s",
              l.config.figure == LimitFigure::Level ? QByteArray("null") : integer(l.config.windowSeconds)},
             {"level", rounded(l.config.level)},
             {"warning", rounded(l.config.warning)},
             {"warning_s", rounded(l.warningSeconds)},
             {"alarm_s", rounded(l.alarmSeconds)},
             {"alarms", integer(l.alarms)},
             {"periods_judged", optionalInteger(l.judged)},
             {"periods_exceeded", optionalInteger(l.exceeded)},
             {"final_state", json::text(limitStateText(l.finalState))}});
    };
    return "{\n    \"limits\": " + array(r.limits, limit, "      ") +
           ",\n    \"transitions\": " + array(r.transitions, transition, "      ") + "\n  }";
}

QByteArray abcJson(const AbcOutcome& a)
{
    QByteArray thresholds = "[";
    for (int p = 0; p < AbcPeriodCount; ++p) {
        const std::optional<AbcThreshold>& t = a.thresholds[size_t(p)];
        thresholds +=
            QByteArray(p ? ",\n      " : "\n      ") +
            json::object({{"period", json::text(abcPeriodName(AbcPeriod(p)))},
                          {"ambient", rounded(a.ambient[size_t(p)])},
                          {"rounded", t ? integer(t->rounded) : QByteArray("null")},
                          {"category", t ? json::text(abcCategoryName(t->category)) : QByteArray("null")},
                          {"threshold", t ? rounded(t->threshold) : QByteArray("null")}});
    }
    thresholds += "\n    ]";
    const auto row = [&](const AbcRow& r) {
        const bool known = a.thresholds[size_t(r.period)].has_value();
        return json::object(
            {{"date", json::text(dateText(r.date))},
             {"period", json::text(abcPeriodName(r.period))},
             {"total", rounded(r.total)},
             {"levels", integer(r.levels)},
             {"coverage", rounded(r.coverage)},
             {"threshold", known ? rounded(r.threshold.threshold) : QByteArray("null")},
             {"site", r.site ? rounded(r.site->specific) : QByteArray("null")},
             {"site_bounded",
              r.site ? json::boolean(r.site->kind == ResidualCase::Bounded) : QByteArray("null")},
             {"case", r.site ? json::text(QString::fromLatin1(caseKey(r.site->kind))) : QByteArray("null")},
             {"verdict", r.verdict ? json::text(abcVerdictText(*r.verdict)) : QByteArray("null")}});
    };
    return "{\n    \"thresholds\": " + thresholds + ",\n    \"rows\": " + array(a.rows, row, "      ") +
           "\n  }";
}

QByteArray rblJson(const RblTable& b, double coverage)
{
    const auto row = [](const AblRow& r) {
        return json::object({{"date", json::text(dateText(r.date))},
                             {"period", json::text(rblPeriodName(r.period))},
                             {"intervals", integer(r.intervals)},
                             {"valid", integer(r.valid)},
                             {"counts", json::boolean(r.counts)},
                             {"abl", rounded(r.abl)}});
    };
    const auto rbl = [](const RblResult& r) {
        return json::object({{"valid_days", integer(r.validDays)},
                             {"median", rounded(r.median)},
                             {"rbl", rounded(r.rbl)},
                             {"raised", json::boolean(r.raised)},
                             {"intrusiveness", rounded(r.intrusiveness)},
                             {"few_days", json::boolean(r.fewDays)}});
    };
    return "{\n    \"coverage_threshold\": " + rounded(coverage) + ",\n    \"day\": " + rbl(b.day) +
           ",\n    \"evening\": " + rbl(b.evening) + ",\n    \"night\": " + rbl(b.night) +
           ",\n    \"rows\": " + array(b.days, row, "      ") + "\n  }";
}

QByteArray cnelJson(const CnelTable& c, double coverage)
{
    const auto day = [](const CnelDay& d) {
        return json::object({{"date", json::text(dateText(d.date))},
                             {"lday", rounded(d.day.leq)},
                             {"levening", rounded(d.evening.leq)},
                             {"lnight", rounded(d.night.leq)},
                             {"coverage_day", rounded(d.day.coverage)},
                             {"coverage_evening", rounded(d.evening.coverage)},
                             {"coverage_night", rounded(d.night.coverage)},
                             {"cnel", rounded(d.cnel)}});
    };
    return "{\n    \"coverage_threshold\": " + rounded(coverage) +
           ",\n    \"overall\": " + rounded(c.overall) + ",\n    \"days\": " + array(c.days, day, "      ") +
           "\n  }";
}

QByteArray numbers(const std::vector<double>& v)
{
    QByteArray out = "[";
    for (size_t i = 0; i < v.size(); ++i)
        out += (i ? ", " : "") + rounded(v[i]);
    return out + "]";
}

QByteArray nAboveJson(const StandardsOfFile& s)
{
    if (!s.results.nAbove)
        return "null";
    const NAboveTable& n = *s.results.nAbove;
    const auto counts = [](const std::vector<int>& c) {
        QByteArray out = "[";
        for (size_t i = 0; i < c.size(); ++i)
            out += (i ? ", " : "") + integer(c[i]);
        return out + "]";
    };
    const auto night = [&](const NightCount& c) {
        return json::object({{"date", json::text(dateText(c.date))}, {"counts", counts(c.counts)}});
    };
    return "{\n    \"thresholds\": " + numbers(n.thresholds) +
           ",\n    \"min_duration_s\": " + rounded(s.inputs.eventRule.minDurationSeconds) +
           ",\n    \"continuation_s\": " + rounded(s.inputs.eventRule.continuationSeconds) +
           ",\n    \"totals\": " + counts(n.totals) +
           ",\n    \"nights\": " + array(n.nights, night, "      ") + "\n  }";
}

} // namespace

bool writeStandardsJson(const StandardsOfFile& s, const OutputSink& write)
{
    ChunkedOutput out(write);
    ClockTimeTexts times;
    const StandardsResults& r = s.results;
    const StandardsInputs& in = s.inputs;
    const double coverage = in.periods.coveragePercent;
    if (r.intervals) {
        out.add(",\n  \"intervals\": {\n    \"interval_s\": " + integer(r.intervalSeconds) +
                ",\n    \"rows\": [");
        for (size_t i = 0; i < r.intervals->size(); ++i)
            out.add((i ? ",\n      " : "\n      ") + hourRowJson((*r.intervals)[i], times));
        out.add(QByteArray(r.intervals->empty() ? "]\n  }" : "\n    ]\n  }"));
    }
    if (in.limits)
        out.add(",\n  \"limits\": " + (r.limits ? limitsJson(*r.limits, times) : QByteArray("null")));
    if (r.background)
        out.add(",\n  \"background\": " + backgroundJson(*r.background, times));
    if (r.residual)
        out.add(",\n  \"residual\": " + residualJson(s));
    if (r.rating)
        out.add(",\n  \"rating\": " + ratingJson(s));
    if (r.abc)
        out.add(",\n  \"abc\": " + abcJson(*r.abc));
    if (r.rbl)
        out.add(",\n  \"rbl\": " + rblJson(*r.rbl, coverage));
    if (r.cnel)
        out.add(",\n  \"cnel\": " + cnelJson(*r.cnel, coverage));
    if (!in.nAbove.empty())
        out.add(",\n  \"n_above\": " + nAboveJson(s));
    return out.flush();
}

} // namespace slm
