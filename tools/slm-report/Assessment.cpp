#include "Assessment.h"

#include "measurement/MeasurementReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <cmath>
#include <cstring>
#include <map>

namespace slm
{

namespace
{

// ---------------------------------------------------------------------------------------------
// Options

std::optional<int> clockSecondsOfText(const QString& text)
{
    const QTime t = QTime::fromString(text, QStringLiteral("HH:mm"));
    if (!t.isValid() || text.size() != 5)
        return std::nullopt;
    return t.msecsSinceStartOfDay() / 1000;
}

std::optional<double> numberOf(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

QString clockText(int seconds)
{
    return QStringLiteral("%1:%2")
        .arg(seconds / 3600, 2, 10, QChar(u'0'))
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'));
}

// ---------------------------------------------------------------------------------------------
// Values as the outputs write them

// JSON numbers are rounded to 0.01; unknown values are null.
QByteArray jsonValue(std::optional<double> v)
{
    if (!v || !std::isfinite(*v))
        return "null";
    double r = std::round(*v * 100.0) / 100.0;
    if (r == 0)
        r = 0; // no "-0"
    return QByteArray::number(r, 'g', 15);
}

QByteArray jsonBool(std::optional<bool> v)
{
    return v ? QByteArray(*v ? "true" : "false") : QByteArray("null");
}

QByteArray jsonText(const QString& text)
{
    // Times and names are plain ASCII: written as they are.
    bool plain = true;
    for (const QChar ch : text)
        plain = plain && ch.unicode() >= 0x20 && ch.unicode() < 0x80 && ch != u'"' && ch != u'\\';
    if (plain)
        return '"' + text.toLatin1() + '"';
    QByteArray out = "\"";
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'"' || c == u'\\')
            out += '\\' + QByteArray(1, char(c));
        else if (c < 0x20)
            out += "\\u" + QByteArray::number(int(c), 16).rightJustified(4, '0');
        else
            out += QString(ch).toUtf8();
    }
    return out + '"';
}

// An object with its keys in the order given, on one line.
QByteArray jsonObject(std::initializer_list<std::pair<const char*, QByteArray>> fields)
{
    QByteArray out = "{";
    bool first = true;
    for (const auto& [key, value] : fields) {
        out += first ? "\"" : ", \"";
        out += key;
        out += "\": ";
        out += value;
        first = false;
    }
    return out + '}';
}

// Local clock times as ISO 8601 with their offset. The offset is worked out once per clock hour
// (the clock changes on the hour): asking the time zone for each of thousands of events would cost
// more than the whole computation.
class ClockTimeTexts
{
public:
    QString text(std::int64_t clock, double plusSeconds = 0)
    {
        const std::int64_t whole = std::int64_t(std::floor(plusSeconds));
        const int ms = int(std::llround((plusSeconds - double(whole)) * 1000));
        clock += whole;
        const std::int64_t days = clock >= 0 ? clock / 86400 : -((-clock + 86399) / 86400);
        const int second = int(clock - days * 86400);
        const std::int64_t hour = days * 24 + second / 3600;
        auto found = m_offsets.find(hour);
        if (found == m_offsets.end())
            found = m_offsets.emplace(hour, offsetText(localDateTimeOf(hour * 3600).offsetFromUtc())).first;
        const QDate date = QDate(1970, 1, 1).addDays(days);
        QString t = QStringLiteral("%1-%2-%3T%4:%5:%6")
                        .arg(date.year(), 4, 10, QChar(u'0'))
                        .arg(date.month(), 2, 10, QChar(u'0'))
                        .arg(date.day(), 2, 10, QChar(u'0'))
                        .arg(second / 3600, 2, 10, QChar(u'0'))
                        .arg(second / 60 % 60, 2, 10, QChar(u'0'))
                        .arg(second % 60, 2, 10, QChar(u'0'));
        if (ms != 0)
            t += QStringLiteral(".%1").arg(ms, 3, 10, QChar(u'0'));
        return t + found->second;
    }

private:
    static QString offsetText(int seconds)
    {
        const QChar sign = seconds < 0 ? u'-' : u'+';
        seconds = std::abs(seconds);
        return sign + QStringLiteral("%1:%2")
                          .arg(seconds / 3600, 2, 10, QChar(u'0'))
                          .arg(seconds / 60 % 60, 2, 10, QChar(u'0'));
    }

    std::map<std::int64_t, QString> m_offsets;
};

QString dateText(std::int64_t days)
{
    return QDate(1970, 1, 1).addDays(days).toString(Qt::ISODate);
}

// One decimal in the text and the CSV; "-" (text) or "" (CSV) when unknown.
QString decimal(std::optional<double> v, const QString& unknown)
{
    return v && std::isfinite(*v) ? QString::number(*v, 'f', 1) : unknown;
}

QString yesNo(std::optional<bool> v)
{
    return v ? (*v ? QStringLiteral("reached") : QStringLiteral("not reached")) : QStringLiteral("unknown");
}

// ---------------------------------------------------------------------------------------------
// Tables

struct Tables {
    std::vector<HourRow> hours;
    std::optional<DayTable> days;
    std::optional<DoseResult> dose;
    std::optional<EventSummary> events;
    bool eventsWanted = false;
};

QByteArray jsonHours(const std::vector<HourRow>& rows, ClockTimeTexts& times)
{
    QByteArray out = "[";
    for (size_t i = 0; i < rows.size(); ++i) {
        const HourRow& h = rows[i];
        out += i ? ",\n    " : "\n    ";
        out += jsonObject({{"start", jsonText(times.text(h.start))},
                           {"leq", jsonValue(h.leq)},
                           {"lmax", jsonValue(h.lmax)},
                           {"lmin", jsonValue(h.lmin)},
                           {"l10", jsonValue(h.l10)},
                           {"l50", jsonValue(h.l50)},
                           {"l90", jsonValue(h.l90)},
                           {"levels", QByteArray::number(h.levels)},
                           {"coverage", jsonValue(h.coverage)},
                           {"excluded", QByteArray::number(h.excluded)}});
    }
    return out + (rows.empty() ? "]" : "\n  ]");
}

QByteArray jsonDay(const DayRow& d, bool withDate)
{
    const std::pair<const char*, QByteArray> date = {"date", jsonText(dateText(d.date))};
    const std::initializer_list<std::pair<const char*, QByteArray>> rest = {
        {"lday", jsonValue(d.day.leq)},
        {"levening", jsonValue(d.evening.leq)},
        {"lnight", jsonValue(d.night.leq)},
        {"lden", jsonValue(d.lden)},
        {"ld", jsonValue(d.ldnDay.leq)},
        {"ln", jsonValue(d.ldnNight.leq)},
        {"ldn", jsonValue(d.ldn)},
        {"coverage_day", jsonValue(d.day.coverage)},
        {"coverage_evening", jsonValue(d.evening.coverage)},
        {"coverage_night", jsonValue(d.night.coverage)}};
    QByteArray out = jsonObject(rest);
    if (withDate)
        out = "{\"date\": " + date.second + ", " + out.mid(1);
    return out;
}

QByteArray jsonDose(const DoseResult& d)
{
    const DoseCriterion& c = d.criterion;
    if (c.iso) {
        return jsonObject({{"preset", jsonText(c.preset)},
                           {"leq", jsonValue(d.leq)},
                           {"measured_s", jsonValue(d.measuredSeconds)},
                           {"lex8h", jsonValue(d.lex8h)},
                           {"lower_action", jsonBool(d.lowerActionReached)},
                           {"upper_action", jsonBool(d.upperActionReached)},
                           {"limit", jsonBool(d.limitReached)},
                           {"a_weighted", jsonBool(d.aWeighted)}});
    }
    return jsonObject({{"preset", jsonText(c.preset)},
                       {"criterion", jsonValue(c.criterion)},
                       {"exchange", jsonValue(c.exchange)},
                       {"threshold", jsonValue(c.threshold)},
                       {"dose", jsonValue(d.dose)},
                       {"projected_dose", jsonValue(d.projectedDose)},
                       {"twa", jsonValue(d.twa)},
                       {"lavg", jsonValue(d.lavg)},
                       {"measured_s", jsonValue(d.measuredSeconds)},
                       {"above_threshold_s", jsonValue(d.aboveThresholdSeconds)},
                       {"lmax", jsonValue(d.lmax)},
                       {"action_level_reached", jsonBool(d.actionLevelReached)},
                       {"a_weighted", jsonBool(d.aWeighted)}});
}

QByteArray jsonEvents(const EventSummary& s, double dt, ClockTimeTexts& times)
{
    QByteArray list = "[";
    for (size_t i = 0; i < s.events.size(); ++i) {
        const NoiseEvent& e = s.events[i];
        list += i ? ",\n      " : "\n      ";
        list += jsonObject({{"number", QByteArray::number(e.number)},
                            {"start", jsonText(times.text(e.start))},
                            {"end", jsonText(times.text(e.last, dt))},
                            {"duration_s", jsonValue(e.durationSeconds)},
                            {"max_time", e.maxTime ? jsonText(times.text(*e.maxTime)) : QByteArray("null")},
                            {"lmax", jsonValue(e.lmax)},
                            {"leq", jsonValue(e.leq)},
                            {"sel", jsonValue(e.sel)},
                            {"over_range", jsonBool(e.overRange)}});
    }
    list += s.events.empty() ? "]" : "\n    ]";
    return "{\n    \"threshold\": " + jsonValue(s.settings.threshold) +
           ",\n    \"min_duration_s\": " + jsonValue(s.settings.minDurationSeconds) +
           ",\n    \"continuation_s\": " + jsonValue(s.settings.continuationSeconds) +
           ",\n    \"count\": " + QByteArray::number(qsizetype(s.events.size())) +
           ",\n    \"time_in_events_s\": " + jsonValue(s.timeInEventsSeconds) +
           ",\n    \"per_hour\": " + jsonValue(s.perHour) + ",\n    \"list\": " + list + "\n  }";
}

QByteArray jsonFields(const Tables& t, const AssessmentOptions& o, std::optional<double> dt,
                      ClockTimeTexts& times)
{
    QByteArray out;
    if (o.periods) {
        out += ",\n  \"hours\": " + jsonHours(t.hours, times);
        QByteArray days = "[";
        for (size_t i = 0; i < t.days->days.size(); ++i)
            days += (i ? ",\n    " : "\n    ") + jsonDay(t.days->days[i], true);
        days += t.days->days.empty() ? "]" : "\n  ]";
        out += ",\n  \"days\": " + days;
        out += ",\n  \"overall\": " + jsonDay(t.days->overall, false);
    }
    if (o.dose)
        out += ",\n  \"dose\": " + jsonDose(*t.dose);
    if (o.events)
        out += ",\n  \"events\": " +
               (t.events ? jsonEvents(*t.events, dt.value_or(0), times) : QByteArray("null"));
    return out;
}

// CSV (RFC 4180): CR LF line ends; no cell of these tables holds a comma, a quote or a line break.
QByteArray csvLine(const QStringList& cells)
{
    return cells.join(u',').toUtf8() + "\r\n";
}

QByteArray csvTable(const Tables& t, AssessmentOptions::Table table, std::optional<double> dt,
                    ClockTimeTexts& times)
{
    const QString none;
    QByteArray out;
    switch (table) {
    case AssessmentOptions::Table::Hours:
        out =
            csvLine({"start", "leq", "lmax", "lmin", "l10", "l50", "l90", "levels", "coverage", "excluded"});
        for (const HourRow& h : t.hours)
            out += csvLine({times.text(h.start), decimal(h.leq, none), decimal(h.lmax, none),
                            decimal(h.lmin, none), decimal(h.l10, none), decimal(h.l50, none),
                            decimal(h.l90, none), QString::number(h.levels), decimal(h.coverage, none),
                            QString::number(h.excluded)});
        break;
    case AssessmentOptions::Table::Days: {
        out = csvLine({"date", "lday", "levening", "lnight", "lden", "ld", "ln", "ldn", "coverage_day",
                       "coverage_evening", "coverage_night"});
        auto row = [&](const DayRow& d, const QString& date) {
            return csvLine({date, decimal(d.day.leq, none), decimal(d.evening.leq, none),
                            decimal(d.night.leq, none), decimal(d.lden, none), decimal(d.ldnDay.leq, none),
                            decimal(d.ldnNight.leq, none), decimal(d.ldn, none),
                            decimal(d.day.coverage, none), decimal(d.evening.coverage, none),
                            decimal(d.night.coverage, none)});
        };
        for (const DayRow& d : t.days->days)
            out += row(d, dateText(d.date));
        out += row(t.days->overall, QStringLiteral("overall"));
        break;
    }
    case AssessmentOptions::Table::Events:
        out =
            csvLine({"number", "start", "end", "duration_s", "max_time", "lmax", "leq", "sel", "over_range"});
        if (t.events) {
            for (const NoiseEvent& e : t.events->events)
                out += csvLine(
                    {QString::number(e.number), times.text(e.start), times.text(e.last, dt.value_or(0)),
                     QString::number(e.durationSeconds, 'g', 10), e.maxTime ? times.text(*e.maxTime) : none,
                     decimal(e.lmax, none), decimal(e.leq, none), decimal(e.sel, none),
                     e.overRange ? QStringLiteral("true") : QStringLiteral("false")});
        }
        break;
    case AssessmentOptions::Table::None:
        break;
    }
    return out;
}

QString textTables(const Tables& t, const AssessmentOptions& o, std::optional<double> dt,
                   ClockTimeTexts& times)
{
    const QString u = QStringLiteral("-");
    QString s;
    auto cell = [](const QString& text, int width) { return QStringLiteral("%1").arg(text, width); };
    if (o.periods) {
        s += QStringLiteral("  Hourly levels (dB; coverage in %):\n");
        s += QStringLiteral("    %1%2%3%4%5%6%7%8%9%10\n")
                 .arg(QStringLiteral("Start"), -27)
                 .arg(cell("Leq", 7), cell("Lmax", 7), cell("Lmin", 7), cell("L10", 7), cell("L50", 7),
                      cell("L90", 7), cell("Levels", 8), cell("Coverage", 10))
                 .arg(cell("Excluded", 10));
        for (const HourRow& h : t.hours) {
            s +=
                QStringLiteral("    %1%2%3%4%5%6%7%8%9%10\n")
                    .arg(times.text(h.start), -27)
                    .arg(cell(decimal(h.leq, u), 7), cell(decimal(h.lmax, u), 7), cell(decimal(h.lmin, u), 7),
                         cell(decimal(h.l10, u), 7), cell(decimal(h.l50, u), 7), cell(decimal(h.l90, u), 7),
                         cell(QString::number(h.levels), 8), cell(decimal(h.coverage, u), 10))
                    .arg(cell(QString::number(h.excluded), 10));
        }
        const PeriodSettings& p = o.periodSettings;
        s += QStringLiteral(
                 "  Day-evening-night (day %1, evening %2, night %3; Ldn night %4; a period below %5 % "
                 "coverage is unknown):\n")
                 .arg(clockText(p.dayStart), clockText(p.eveningStart), clockText(p.nightStart),
                      clockText(p.ldnNightStart), QString::number(p.coveragePercent, 'g', 6));
        s += QStringLiteral("    %1%2%3%4%5%6%7%8%9\n")
                 .arg(QStringLiteral("Date"), -12)
                 .arg(cell("Lday", 7), cell("Levening", 9), cell("Lnight", 7), cell("Lden", 7), cell("Ld", 7),
                      cell("Ln", 7), cell("Ldn", 7), cell("Coverage d/e/n", 20));
        auto row = [&](const DayRow& d, const QString& date) {
            const QString coverage = decimal(d.day.coverage, u) + u'/' + decimal(d.evening.coverage, u) +
                                     u'/' + decimal(d.night.coverage, u);
            return QStringLiteral("    %1%2%3%4%5%6%7%8%9\n")
                .arg(date, -12)
                .arg(cell(decimal(d.day.leq, u), 7), cell(decimal(d.evening.leq, u), 9),
                     cell(decimal(d.night.leq, u), 7), cell(decimal(d.lden, u), 7),
                     cell(decimal(d.ldnDay.leq, u), 7), cell(decimal(d.ldnNight.leq, u), 7),
                     cell(decimal(d.ldn, u), 7), cell(coverage, 20));
        };
        for (const DayRow& d : t.days->days)
            s += row(d, dateText(d.date));
        s += row(t.days->overall, QStringLiteral("overall"));
    }
    if (o.dose) {
        const DoseResult& d = *t.dose;
        const DoseCriterion& c = d.criterion;
        auto line = [&s](const QString& name, const QString& value) {
            s += QStringLiteral("    %1 %2\n").arg(name + u':', -22).arg(value);
        };
        auto db = [&u](std::optional<double> v) {
            return v ? decimal(v, u) + QStringLiteral(" dB") : QStringLiteral("unknown");
        };
        auto pc = [&u](std::optional<double> v) {
            return v ? decimal(v, u) + QStringLiteral(" %") : QStringLiteral("unknown");
        };
        if (c.iso) {
            s += QStringLiteral("  Daily exposure (iso):\n");
            line(QStringLiteral("Leq"), db(d.leq));
            line(QStringLiteral("Measured time"), durationText(d.measuredSeconds));
            line(QStringLiteral("LEX,8h"), db(d.lex8h));
            line(QStringLiteral("Lower action 80 dB"), yesNo(d.lowerActionReached));
            line(QStringLiteral("Upper action 85 dB"), yesNo(d.upperActionReached));
            line(QStringLiteral("Limit 87 dB"), yesNo(d.limitReached));
        } else {
            s += QStringLiteral("  Noise dose (%1: Lc %2 dB, q %3 dB, Lt %4 dB):\n")
                     .arg(c.preset, QString::number(c.criterion, 'g', 6), QString::number(c.exchange, 'g', 6),
                          QString::number(c.threshold, 'g', 6));
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
            s += QStringLiteral("    Weighting unknown: indicative only.\n");
        else if (!*d.aWeighted)
            s += QStringLiteral("    Not A-weighted: indicative only.\n");
    }
    if (o.events) {
        if (!t.events) {
            s += QStringLiteral("  Noise events: unknown (the interval is unknown).\n");
        } else {
            const EventSummary& e = *t.events;
            s +=
                QStringLiteral("  Noise events (threshold %1 dB, minimum %2 s, continuation %3 s): %4, %5 in "
                               "events, %6 per hour\n")
                    .arg(QString::number(e.settings.threshold, 'g', 6),
                         QString::number(e.settings.minDurationSeconds, 'g', 6),
                         QString::number(e.settings.continuationSeconds, 'g', 6),
                         QString::number(e.events.size()), durationText(e.timeInEventsSeconds),
                         decimal(e.perHour, QStringLiteral("unknown")));
            auto eventLine = [&](const QString& number, const QString& start, const QString& end,
                                 const QString& duration, const QString& maxTime, const QString& lmax,
                                 const QString& leq, const QString& sel, const QString& flag) {
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
            };
            if (!e.events.empty())
                s += eventLine(QStringLiteral("No."), QStringLiteral("Start"), QStringLiteral("End"),
                               QStringLiteral("Duration"), QStringLiteral("Max time"), QStringLiteral("Lmax"),
                               QStringLiteral("Leq"), QStringLiteral("SEL"), QString());
            for (const NoiseEvent& n : e.events) {
                s += eventLine(
                    QString::number(n.number), times.text(n.start), times.text(n.last, dt.value_or(0)),
                    durationText(n.durationSeconds), n.maxTime ? times.text(*n.maxTime) : u,
                    decimal(n.lmax, u), decimal(n.leq, u), decimal(n.sel, u),
                    n.overRange ? QStringLiteral("  over-range: levels are lower bounds") : QString());
            }
        }
    }
    return s;
}

} // namespace

QStringList takeAssessmentArguments(const QStringList& arguments, AssessmentOptions& o, QString& error)
{
    QStringList rest;
    error.clear();
    for (int i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--") {
            rest << arguments.mid(i);
            break;
        }
        const QString name = a.section(u'=', 0, 0);
        // The options that take a value, as "--name value" or "--name=value".
        auto value = [&](QString& out) {
            if (a.contains(u'=')) {
                out = a.section(u'=', 1);
                return true;
            }
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("%1 needs a value.").arg(name);
                return false;
            }
            out = arguments[++i];
            return true;
        };
        QString v;
        if (name == u"--csv") {
            // "--csv" alone stays the records' CSV; "--csv TABLE" prints a table.
            const QString next = a.contains(u'=') ? a.section(u'=', 1) : arguments.value(i + 1);
            const AssessmentOptions::Table table = next == u"hours"    ? AssessmentOptions::Table::Hours
                                                   : next == u"days"   ? AssessmentOptions::Table::Days
                                                   : next == u"events" ? AssessmentOptions::Table::Events
                                                                       : AssessmentOptions::Table::None;
            if (table == AssessmentOptions::Table::None) {
                if (a.contains(u'='))
                    error = QStringLiteral("--csv takes hours, days or events, not \"%1\".").arg(next);
                else
                    rest << a;
                continue;
            }
            o.csvTable = table;
            if (!a.contains(u'='))
                ++i;
        } else if (a == u"--periods") {
            o.periods = true;
        } else if (name == u"--day" || name == u"--evening" || name == u"--night") {
            if (!value(v))
                break;
            const std::optional<int> at = clockSecondsOfText(v);
            if (!at) {
                error = QStringLiteral("%1 takes a time HH:MM (00:00 to 23:59), not \"%2\".").arg(name, v);
                break;
            }
            (name == u"--day"       ? o.periodSettings.dayStart
             : name == u"--evening" ? o.periodSettings.eveningStart
                                    : o.periodSettings.nightStart) = *at;
        } else if (name == u"--coverage") {
            if (!value(v))
                break;
            const std::optional<double> c = numberOf(QString(v).remove(u'%'));
            if (!c || *c < 0 || *c > 100) {
                error = QStringLiteral("--coverage takes a percentage from 0 to 100, not \"%1\".").arg(v);
                break;
            }
            o.periodSettings.coveragePercent = *c;
        } else if (name == u"--dose") {
            if (!value(v))
                break;
            o.dose = doseCriterionOf(v);
            if (!o.dose)
                error =
                    QStringLiteral("--dose takes osha-pel, osha-hc, niosh, iso or LC,Q,LT (three numbers, Q "
                                   "above 0), not \"%1\".")
                        .arg(v);
        } else if (name == u"--events") {
            if (!value(v))
                break;
            const QStringList parts = v.split(u',');
            EventSettings e;
            const char* const what[] = {"threshold", "minimum duration", "continuation"};
            if (parts.size() > 3) {
                error = QStringLiteral("--events takes THRESHOLD[,MIN_S[,CONT_S]], not \"%1\".").arg(v);
                break;
            }
            double* fields[] = {&e.threshold, &e.minDurationSeconds, &e.continuationSeconds};
            for (int k = 0; k < parts.size(); ++k) {
                const std::optional<double> n = numberOf(parts[k]);
                if (!n || (k > 0 && *n < 0)) {
                    error =
                        QStringLiteral("--events: the %1 \"%2\" is not %3.")
                            .arg(QString::fromLatin1(what[k]), parts[k],
                                 k == 0 ? QStringLiteral("a number") : QStringLiteral("a number of seconds"));
                    break;
                }
                *fields[k] = *n;
            }
            o.events = e;
        } else if (name == u"--exclusions") {
            if (!value(v))
                break;
            if (v.isEmpty())
                error = QStringLiteral("--exclusions needs a file.");
            o.exclusionsFile = v;
        } else if (a == u"--no-exclusions") {
            o.noExclusions = true;
        } else {
            rest << a;
        }
    }
    if (error.isEmpty() && o.noExclusions && !o.exclusionsFile.isEmpty())
        error = QStringLiteral("--exclusions and --no-exclusions cannot be given together.");
    if (error.isEmpty()) {
        const QString fault = o.periodSettings.fault();
        if (!fault.isEmpty())
            error = QStringLiteral("the periods are out of order: %1").arg(fault);
    }
    if (error.isEmpty() && o.csvTable == AssessmentOptions::Table::Events && !o.events)
        error = QStringLiteral("--csv events needs --events THRESHOLD.");
    return rest;
}

QString checkAssessmentOptions(const AssessmentOptions& o, const ReportOptions& report)
{
    if (o.csvTable == AssessmentOptions::Table::None || report.help || !report.error.isEmpty())
        return {};
    if (report.output == ReportOptions::Output::Json)
        return QStringLiteral("--json and --csv cannot be given together.");
    if (report.output == ReportOptions::Output::Csv)
        return QStringLiteral("--csv is given twice.");
    if (report.output == ReportOptions::Output::Pdf)
        return QStringLiteral("--pdf and --csv cannot be given together.");
    if (report.files.size() != 1)
        return QStringLiteral("--csv takes exactly one file.");
    return {};
}

QString assessmentSynopsisText()
{
    return QStringLiteral("    slm-report [--periods [--day HH:MM] [--evening HH:MM] [--night HH:MM]\n"
                          "               [--coverage PERCENT]] [--dose PRESET|LC,Q,LT]\n"
                          "               [--events THRESHOLD[,MIN_S[,CONT_S]]]\n"
                          "               [--exclusions FILE | --no-exclusions] [--json] FILE...\n"
                          "    slm-report --csv hours|days|events [assessment options] FILE\n");
}

QString assessmentDescriptionText()
{
    return QStringLiteral(
        "ASSESSMENTS\n"
        "    Times are the records' local clock times; a period [a, b) holds a record when\n"
        "    a <= t < b, and dt is the interval. Figures print with one decimal; JSON numbers\n"
        "    are rounded to 0.01, times are ISO 8601 with their UTC offset, durations in seconds\n"
        "    and coverage in %.\n"
        "\n"
        "    Exclusions: spans [start, end) with a reason, kept in FILE.assessment.json beside\n"
        "    the record file; a record inside one is left out of every figure (Leq, SEL, Lmax,\n"
        "    Lmin, Ln, the tables, the dose and the events) and counted apart as excluded.\n"
        "    Where the clock is set back, a span covers its clock times in both passes.\n"
        "\n"
        "    Hourly table: one row per clock hour holding records, with the Leq, Lmax, Lmin and\n"
        "    L10, L50, L90 (the Ln table's 0.1 dB rule) of its records not excluded, the number\n"
        "    of levels, the coverage (levels x dt / 3600 s) and the number excluded.\n"
        "\n"
        "    Day-evening-night: one row per day D whose periods hold a record (a record before\n"
        "    the day's start belongs to the day before): Lday over [D 07:00, D 19:00), Levening\n"
        "    over [D 19:00, D 23:00), Lnight over [D 23:00, D+1 07:00); Lden = 10 lg((12 x\n"
        "    10^(Lday/10) + 4 x 10^((Levening+5)/10) + 8 x 10^((Lnight+10)/10)) / 24), the weights\n"
        "    being the periods' lengths in hours; Ldn = 10 lg((15 x 10^(Ld/10) + 9 x\n"
        "    10^((Ln+10)/10)) / 24) over the day [day start, 22:00) and the night [22:00, day\n"
        "    start). A period whose coverage (levels x dt over its clock length) is below the\n"
        "    threshold is unknown, and so is every Lden or Ldn it is part of. The overall row\n"
        "    takes each period's Leq over all its records of all days, whatever their coverage.\n"
        "\n"
        "    Noise dose: a level L >= Lt contributes dt / T(L), T(L) = 8 h / 2^((L - Lc) / q);\n"
        "    the dose D is 100 % x the sum. TWA = Lc + k lg(D / 100 %) with k = 16.61 for q = 5,\n"
        "    10 for q = 3 and q / lg 2 otherwise; Lavg = Lc + k lg(D / 100 % x 8 h / Tm) over the\n"
        "    measured time Tm = levels x dt; the projected dose is D x 8 h / Tm; the 85 dB action\n"
        "    level is reached when the TWA is 85 dB or more. iso: LEX,8h = Leq + 10 lg(Tm / 8 h)\n"
        "    against the action values 80 and 85 dB and the limit 87 dB. Figures of a file that\n"
        "    is not A-weighted (or does not say) are flagged as indicative only.\n"
        "\n"
        "    Noise events: a record is above when it is a level >= the threshold or an overload\n"
        "    (\"L\"). Two above records are one event when the later one's time is at most dt + C\n"
        "    after the earlier one's and no paused or excluded record lies between them. An\n"
        "    event runs from its first above record to its last + dt and is kept when it lasts\n"
        "    at least the minimum; its Lmax, Leq and SEL = Leq + 10 lg(n x dt / 1 s) are over\n"
        "    the n levels from its first to its last above record (bridged levels included),\n"
        "    flagged over-range (lower bounds) when an overload lies inside. Events per hour are\n"
        "    counted over the measured time.\n"
        "\n");
}

QString assessmentOptionsText()
{
    return QStringLiteral(
        "    --periods\n"
        "        The hourly table and the day-evening-night table with its overall row; in\n"
        "        --json the keys hours, days and overall.\n"
        "    --day HH:MM, --evening HH:MM, --night HH:MM\n"
        "        Where the day, evening and night start (07:00, 19:00, 23:00); day < evening <=\n"
        "        night, and the day starts before 22:00.\n"
        "    --coverage PERCENT\n"
        "        The coverage a period needs for its level to count (50).\n"
        "    --dose PRESET|LC,Q,LT\n"
        "        Noise dose by osha-pel (90, 5, 90), osha-hc (90, 5, 80), niosh (85, 3, 80), a\n"
        "        criterion level, exchange rate and threshold of your own, or iso (LEX,8h).\n"
        "    --events THRESHOLD[,MIN_S[,CONT_S]]\n"
        "        Noise events above THRESHOLD dB lasting at least MIN_S seconds (0), bridging\n"
        "        gaps of up to CONT_S seconds (0).\n"
        "    --exclusions FILE\n"
        "        The assessment file whose exclusions apply (to every FILE given); by default\n"
        "        each record file's own FILE.assessment.json when there is one.\n"
        "    --no-exclusions\n"
        "        Leave every record in.\n"
        "    --csv hours|days|events\n"
        "        That table of one file as CSV (RFC 4180), the days table ending with its\n"
        "        overall row.\n");
}

QList<QByteArray> takeAssessmentArguments(const QList<QByteArray>& arguments, AssessmentOptions& o,
                                          QString& error)
{
    QStringList texts;
    for (const QByteArray& a : arguments)
        texts << QFile::decodeName(a);
    const QStringList restTexts = takeAssessmentArguments(texts, o, error);
    // What is left is the arguments in their order less the assessment options: matched in turn.
    QList<QByteArray> rest;
    qsizetype at = 0;
    for (const QString& kept : restTexts) {
        while (at < texts.size() && texts[at] != kept)
            ++at;
        if (at < texts.size())
            rest << arguments[at++];
    }
    return rest;
}

RecordSamplesOfFile readRecordSamplesOfFile(const QByteArray& encodedPath)
{
    RecordSamplesOfFile r;
    const QString path = QFile::decodeName(encodedPath);
    QString openError;
    const std::unique_ptr<QFile> in = openRecordInput(encodedPath, openError);
    if (!in) {
        r.error =
            QStringLiteral("%1: cannot open the file: %2").arg(QDir::toNativeSeparators(path), openError);
        return r;
    }
    // About 28 bytes a record line: one allocation for the usual file (a pipe has no size).
    r.samples.reserve(size_t(std::max<qint64>(0, in->size() / 28 + 16)));
    MeasurementReader reader(*in);
    StepCounter steps;
    if (reader.readHeader()) {
        r.kind = reader.kind();
        r.header = reader.headerLines();
        r.interval = reader.header().interval();
        QByteArrayView fields[3];
        // Records of one hour share "yyyy/mm/dd hh": the calendar is worked out once per hour.
        char hourText[13] = {};
        std::int64_t hourBase = RecordSample::NoTime;
        auto digit = [](char c) { return c >= '0' && c <= '9'; };
        while (reader.nextRecord(fields)) {
            const QByteArrayView t = fields[1];
            if (hourBase != RecordSample::NoTime && t.size() == 19 &&
                std::memcmp(t.data(), hourText, 13) == 0 && t[13] == ':' && t[16] == ':' && digit(t[14]) &&
                digit(t[15]) && digit(t[17]) && digit(t[18]) && t[14] <= '5' && t[17] <= '5') {
                RecordSample sample = parseRecordSample({}, fields[2]);
                sample.time =
                    hourBase + ((t[14] - '0') * 10 + (t[15] - '0')) * 60 + (t[17] - '0') * 10 + (t[18] - '0');
                r.samples.push_back(sample);
            } else {
                r.samples.push_back(parseRecordSample(t, fields[2]));
                const std::int64_t time = r.samples.back().time;
                hourBase = time == RecordSample::NoTime ? time : time - time % 3600;
                if (hourBase != RecordSample::NoTime && time < 0)
                    hourBase = RecordSample::NoTime; // before 1970: left to the general reader
                if (hourBase != RecordSample::NoTime)
                    std::memcpy(hourText, t.data(), 13);
            }
            if (!r.interval)
                steps.add(fields[1]);
        }
    }
    if (!reader.error().isEmpty())
        r.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reader.error());
    if (!r.interval)
        r.interval = steps.mostCommonStep();
    return r;
}

bool needsAssessment(const QByteArray& encodedPath, const AssessmentOptions& o)
{
    const QString path = QFile::decodeName(encodedPath);
    if (o.anyTable() || !o.exclusionsFile.isEmpty())
        return true;
    return !o.noExclusions && QFileInfo::exists(assessmentFilePath(path));
}

AssessedFile assessFile(const QByteArray& encodedPath, LnResolution resolution, const AssessmentOptions& o,
                        const std::optional<AssessmentFile>& exclusions, ReportOptions::Output output)
{
    const QString path = QFile::decodeName(encodedPath);
    AssessedFile a;
    FileReport& r = a.report;
    r.path = path;
    AssessmentFile own;
    if (!exclusions && !o.noExclusions) {
        AssessmentFileRead read = readAssessmentFile(assessmentFilePath(path));
        if (!read.error.isEmpty()) {
            r.error = read.error;
            return a;
        }
        own = std::move(read.file);
    }
    RecordSamplesOfFile file = readRecordSamplesOfFile(encodedPath);
    if (!file.error.isEmpty()) {
        r.error = file.error;
        return a;
    }
    r.kind = file.kind;
    r.header = file.header;
    const std::vector<Exclusion> spans = (exclusions ? *exclusions : own).spans();
    const std::vector<ClockSpan> clock = exclusionClockSpans(spans);
    const ExclusionMask mask(file.samples, clock);
    r.figures = figuresOfSamples(file.samples, file.interval, mask, resolution);
    r.excluded = mask.count();

    Tables t;
    const bool hours = o.periods || o.csvTable == AssessmentOptions::Table::Hours;
    const bool days = o.periods || o.csvTable == AssessmentOptions::Table::Days;
    if (hours)
        t.hours = hourlyTable(file.samples, file.interval, mask);
    if (days)
        t.days = dayEveningNightTable(file.samples, file.interval, mask, o.periodSettings);
    if (o.dose) {
        std::optional<bool> aWeighted;
        if (file.kind != RecordFileKind::List)
            aWeighted =
                recordHeaderOf(file.kind, file.header).text(HeaderField::FreqWeighting).trimmed() == u"A";
        t.dose = noiseDose(file.samples, file.interval, mask, *o.dose, aWeighted);
    }
    if (o.events)
        t.events = noiseEvents(file.samples, file.interval, mask, *o.events);
    if (o.csvTable != AssessmentOptions::Table::None) {
        ClockTimeTexts times;
        a.csv = csvTable(t, o.csvTable, file.interval, times);
        return a;
    }
    ClockTimeTexts times;
    if (output == ReportOptions::Output::Json)
        r.assessmentJson = jsonFields(t, o, file.interval, times);
    else
        r.assessmentText = textTables(t, o, file.interval, times);
    return a;
}

CommandLine parseCommandLine(int argc, char** argv)
{
    CommandLine c;
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    QString assessmentError;
    const QList<QByteArray> rest = takeAssessmentArguments(arguments, c.assessment, assessmentError);
    c.report = parseReportArguments(rest);
    // The assessment options' own faults come first: the rest of the line was not read past them.
    if (!c.report.help && !assessmentError.isEmpty())
        c.report.error = assessmentError;
    else if (!c.report.help && c.report.error.isEmpty())
        c.report.error = checkAssessmentOptions(c.assessment, c.report);
    return c;
}

QString readExclusionsOption(const AssessmentOptions& options, std::optional<AssessmentFile>& exclusions)
{
    exclusions.reset();
    if (options.exclusionsFile.isEmpty())
        return {};
    AssessmentFileRead read = readAssessmentFile(options.exclusionsFile);
    if (!read.exists)
        read.error = QStringLiteral("%1: no such file.").arg(options.exclusionsFile);
    if (!read.error.isEmpty())
        return read.error;
    exclusions = std::move(read.file);
    return {};
}

} // namespace slm
