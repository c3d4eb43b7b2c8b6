#include "measurement/LimitConfig.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace slm
{

namespace
{

const QStringList& weekdayNames()
{
    static const QStringList names{QStringLiteral("mon"), QStringLiteral("tue"), QStringLiteral("wed"),
                                   QStringLiteral("thu"), QStringLiteral("fri"), QStringLiteral("sat"),
                                   QStringLiteral("sun")};
    return names;
}

// A value without the comment an INI line may carry after it ("75  ; the alarm level").
QString valueOf(const QMap<QString, QString>& keys, const QString& key)
{
    QString v = keys.value(key);
    static const QRegularExpression comment(QStringLiteral("\\s;.*$"));
    v.remove(comment);
    return v.trimmed();
}

// "HH:MM" as seconds of the day; "24:00" is the day's end.
std::optional<int> clockSeconds(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int h = m.captured(1).toInt();
    const int min = m.captured(2).toInt();
    if (min > 59 || h > 24 || (h == 24 && min != 0))
        return std::nullopt;
    return h * 3600 + min * 60;
}

std::optional<std::uint8_t> weekdaysOf(const QString& text)
{
    if (text == u"daily" || text == u"all")
        return std::uint8_t(0x7f);
    const QStringList ends = text.split(u'-');
    if (ends.size() > 2)
        return std::nullopt;
    const int first = int(weekdayNames().indexOf(ends.front()));
    const int last = int(weekdayNames().indexOf(ends.back()));
    if (first < 0 || last < 0)
        return std::nullopt;
    std::uint8_t bits = 0;
    for (int d = first;; d = (d + 1) % 7) { // "fri-mon" wraps over the weekend
        bits |= std::uint8_t(1u << d);
        if (d == last)
            break;
    }
    return bits;
}

// Reads one key of a section; every reader reports "[section] key: ..." when the text is not usable.
struct SectionReader {
    const QMap<QString, QString>& keys;
    QString section;
    QString& error;

    QString text(const QString& key) const { return valueOf(keys, section + u'/' + key); }
    bool fail(const QString& key, const QString& what) const
    {
        error = QStringLiteral("[%1] %2 %3, not \"%4\"").arg(section, key, what, text(key));
        return false;
    }
    bool number(const QString& key, double low, double high, double& out, bool required = false) const
    {
        const QString t = text(key);
        if (t.isEmpty()) {
            if (required)
                error = QStringLiteral("[%1] %2 is missing").arg(section, key);
            return !required;
        }
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < low || v > high)
            return fail(key, QStringLiteral("must be a number from %1 to %2").arg(low).arg(high));
        out = v;
        return true;
    }
    bool duration(const QString& key, int low, int high, int& out) const
    {
        const QString t = text(key);
        if (t.isEmpty())
            return true;
        const std::optional<int> s = durationSeconds(t);
        if (!s || *s < low || *s > high)
            return fail(key,
                        QStringLiteral("must be a duration from %1 s to %2 s (\"90s\", \"15min\", \"1h\")")
                            .arg(low)
                            .arg(high));
        out = *s;
        return true;
    }
};

} // namespace

QString limitFigureText(LimitFigure figure)
{
    switch (figure) {
    case LimitFigure::RollingLeq:
        return QStringLiteral("leq");
    case LimitFigure::PeriodLeq:
        return QStringLiteral("leq-period");
    case LimitFigure::Level:
        return QStringLiteral("level");
    }
    return {};
}

bool LimitSchedule::contains(std::int64_t civil) const
{
    if (always)
        return true;
    const std::int64_t days = civil >= 0 ? civil / 86400 : (civil - 86399) / 86400;
    const int second = int(civil - days * 86400);
    const int weekday = int(((days + 3) % 7 + 7) % 7); // 1970-01-01 was a Thursday
    const int yesterday = (weekday + 6) % 7;
    for (const Span& s : spans) {
        if ((s.weekdays >> weekday & 1) && second >= s.startSecond && second < s.endSecond)
            return true;
        if ((s.weekdays >> yesterday & 1) && second + 86400 >= s.startSecond && second + 86400 < s.endSecond)
            return true;
    }
    return false;
}

QMap<QString, QString> iniKeys(const QString& text)
{
    QMap<QString, QString> keys;
    QString section;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && !section.isEmpty())
            keys.insert(section + u'/' + line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return keys;
}

std::optional<int> durationSeconds(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)\\s*(s|min|h|d)?$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const QString unit = m.captured(2);
    const qint64 factor = unit == u"min" ? 60 : unit == u"h" ? 3600 : unit == u"d" ? 86400 : 1;
    bool ok = false;
    const qint64 n = m.captured(1).toLongLong(&ok);
    if (!ok || n > 10 * 365 * 86400LL / factor)
        return std::nullopt;
    return int(n * factor);
}

std::optional<LimitSchedule> readLimitSchedule(const QString& text, QString& error)
{
    LimitSchedule schedule;
    if (text.trimmed().isEmpty())
        return schedule;
    schedule.always = false;
    for (const QString& part : text.split(u',')) {
        const QStringList words = part.trimmed().toLower().split(u' ', Qt::SkipEmptyParts);
        const std::optional<std::uint8_t> days = words.isEmpty() ? std::nullopt : weekdaysOf(words[0]);
        if (!days || words.size() > 2) {
            error = QStringLiteral("\"%1\" is not DAYS [HH:MM-HH:MM | -] (days mon..sun, \"mon-fri\")")
                        .arg(part.trimmed());
            return std::nullopt;
        }
        if (words.size() == 2 && words[1] == u"-")
            continue; // said outright: not on these days
        LimitSchedule::Span span;
        span.weekdays = *days;
        if (words.size() == 2) {
            const QStringList ends = words[1].split(u'-');
            const int from = ends.size() == 2 ? clockSeconds(ends[0]).value_or(-1) : -1;
            const int to = ends.size() == 2 ? clockSeconds(ends[1]).value_or(-1) : -1;
            if (from < 0 || to < 0 || from == to || from >= 86400) {
                error = QStringLiteral("\"%1\" is not a time span HH:MM-HH:MM").arg(words[1]);
                return std::nullopt;
            }
            span.startSecond = from;
            span.endSecond = to > from ? to : to + 86400;
        }
        schedule.spans.append(span);
    }
    return schedule;
}

std::optional<QList<LimitConfig>> readLimits(const QMap<QString, QString>& keys, QString& error)
{
    QList<std::pair<int, QString>> sections;
    static const QRegularExpression limitSection(QStringLiteral("^(limit(\\d+))/"));
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        const QRegularExpressionMatch m = limitSection.match(it.key());
        const std::pair<int, QString> s{m.captured(2).toInt(), m.captured(1)};
        if (m.hasMatch() && !sections.contains(s))
            sections.append(s);
    }
    std::sort(sections.begin(), sections.end());

    QList<LimitConfig> limits;
    for (const auto& [number, section] : sections) {
        const SectionReader r{keys, section, error};
        LimitConfig l;
        l.section = section;
        l.name = r.text(QStringLiteral("name"));
        if (l.name.isEmpty())
            l.name = section;
        static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_.-]+$"));
        if (!allowed.match(l.name).hasMatch()) {
            r.fail(QStringLiteral("name"), QStringLiteral("must be letters, digits, \"_\", \".\" or \"-\""));
            return std::nullopt;
        }
        for (const LimitConfig& other : limits)
            if (other.name == l.name) {
                error = QStringLiteral("[%1] name: two limits are named \"%2\"").arg(section, l.name);
                return std::nullopt;
            }
        for (const QString& m : r.text(QStringLiteral("meters")).split(u',', Qt::SkipEmptyParts))
            l.meters.append(m.trimmed());

        const QString figure = r.text(QStringLiteral("figure"));
        if (figure.isEmpty() || figure == u"leq")
            l.figure = LimitFigure::RollingLeq;
        else if (figure == u"leq-period")
            l.figure = LimitFigure::PeriodLeq;
        else if (figure == u"level")
            l.figure = LimitFigure::Level;
        else {
            r.fail(QStringLiteral("figure"), QStringLiteral("must be leq, leq-period or level"));
            return std::nullopt;
        }
        const int lowest = l.figure == LimitFigure::PeriodLeq ? 300 : 1;
        double warning = -1;
        if (!r.duration(QStringLiteral("window"), lowest, 86400, l.windowSeconds) ||
            !r.number(QStringLiteral("level"), 0, 200, l.level, true) ||
            !r.number(QStringLiteral("warning"), 0, 200, warning) ||
            !r.number(QStringLiteral("min_duration"), 0, 86400, l.minDurationSeconds) ||
            !r.number(QStringLiteral("hysteresis"), 0, 50, l.hysteresis) ||
            !r.number(QStringLiteral("min_coverage"), 0, 100, l.minCoveragePercent))
            return std::nullopt;
        if (warning >= 0) {
            if (warning > l.level) {
                r.fail(QStringLiteral("warning"), QStringLiteral("must not be above the level"));
                return std::nullopt;
            }
            l.warning = warning;
        }
        QString why;
        const std::optional<LimitSchedule> when = readLimitSchedule(r.text(QStringLiteral("when")), why);
        if (!when) {
            error = QStringLiteral("[%1] when: %2").arg(section, why);
            return std::nullopt;
        }
        l.when = *when;
        limits.append(l);
    }
    return limits;
}

std::optional<EventSettings> readLiveEvents(const QMap<QString, QString>& keys, const QString& meter,
                                            QString& error)
{
    const QString own = QStringLiteral("events.") + meter;
    const auto present = [&](const QString& section) {
        const QString at = section + u'/';
        return std::any_of(keys.keyBegin(), keys.keyEnd(),
                           [&](const QString& k) { return k.startsWith(at); });
    };
    const QString section = present(own) ? own : QStringLiteral("events");
    if (!present(section))
        return std::nullopt;
    const SectionReader r{keys, section, error};
    EventSettings s;
    if (!r.number(QStringLiteral("threshold"), 0, 200, s.threshold, true) ||
        !r.number(QStringLiteral("min_duration"), 0, 86400, s.minDurationSeconds) ||
        !r.number(QStringLiteral("continuation"), 0, 86400, s.continuationSeconds))
        return std::nullopt;
    return s;
}

} // namespace slm
