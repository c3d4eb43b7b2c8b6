#include "measurement/StandardsChoice.h"

#include "measurement/StandardsTables.h"

#include <QDate>
#include <QJsonArray>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace slm
{

namespace
{

const char* const CorrectionKeys[] = {"tonal", "impulsive", "other", "intermittency"};

ChosenCorrection StandardsChoice::*correctionField(int k)
{
    static ChosenCorrection StandardsChoice::*const fields[] = {
        &StandardsChoice::tonal, &StandardsChoice::impulsive, &StandardsChoice::other,
        &StandardsChoice::intermittency};
    return fields[k];
}

bool isLevel(double v)
{
    return std::isfinite(v) && v >= 0 && v <= 200;
}

// "2026-03-02T10:00:00" of the records' clock, and back.
QString clockJsonText(std::int64_t clock)
{
    const std::int64_t days = clock >= 0 ? clock / 86400 : -((-clock + 86399) / 86400);
    const int s = int(clock - days * 86400);
    return QDate(1970, 1, 1).addDays(days).toString(Qt::ISODate) + u'T' +
           QTime(0, 0).addSecs(s).toString(QStringLiteral("HH:mm:ss"));
}

QJsonValue levelJson(const ChosenLevel& l)
{
    if (l.kind == ChosenLevel::Kind::Number)
        return l.number;
    return QJsonObject{{"start", clockJsonText(l.span.start)}, {"end", clockJsonText(l.span.end)}};
}

bool levelOfJson(const QJsonValue& v, ChosenLevel& out)
{
    if (v.isDouble() && isLevel(v.toDouble())) {
        out = {ChosenLevel::Kind::Number, v.toDouble(), {}};
        return true;
    }
    const QJsonObject o = v.toObject();
    const std::optional<std::int64_t> start = clockOfText(o.value(u"start").toString());
    const std::optional<std::int64_t> end = clockOfText(o.value(u"end").toString());
    if (!v.isObject() || !start || !end || *end <= *start)
        return false;
    out = {ChosenLevel::Kind::Span, 0, {*start, *end}};
    return true;
}

QJsonArray numbersJson(std::span<const double> values)
{
    QJsonArray a;
    for (double v : values)
        a.append(v);
    return a;
}

} // namespace

std::optional<std::int64_t> clockOfText(const QString& text)
{
    const QString t = QString(text.trimmed()).replace(u' ', u'T');
    const QStringList parts = t.split(u'T');
    if (parts.size() != 2 || parts[0].size() != 10)
        return std::nullopt;
    const QDate date = QDate::fromString(parts[0], Qt::ISODate);
    QTime time = QTime::fromString(parts[1], QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(parts[1], QStringLiteral("HH:mm"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDate(1970, 1, 1).daysTo(date) * 86400 + time.msecsSinceStartOfDay() / 1000;
}

bool StandardsChoice::any() const
{
    return intervalSeconds || backgroundSeconds || ambient.present() || residual.present() || rating ||
           abcAmbient || rbl || cnel || !nAbove.empty() || !limits.trimmed().isEmpty();
}

QJsonObject standardsJson(const StandardsChoice& c)
{
    QJsonObject o = c.unknownKeys;
    const auto put = [&](const char* key, const auto& value) { o.insert(QLatin1String(key), value); };
    if (c.intervalSeconds)
        put("intervals_s", qint64(*c.intervalSeconds));
    if (c.backgroundSeconds)
        put("background_s", qint64(*c.backgroundSeconds));
    if (c.ambient.present())
        put("ambient", levelJson(c.ambient));
    if (c.residual.present())
        put("residual", levelJson(c.residual));
    if (c.rating)
        put("rating", true);
    if (c.specific.present())
        put("specific", levelJson(c.specific));
    if (c.referenceSeconds)
        put("tr_s", qint64(*c.referenceSeconds));
    if (c.onTimeSeconds)
        put("on_time_s", qint64(*c.onTimeSeconds));
    for (int k = 0; k < 4; ++k) {
        const ChosenCorrection& x = c.*correctionField(k);
        if (x == ChosenCorrection{})
            continue;
        QJsonObject j = x.unknownKeys;
        j.insert(u"db", x.db);
        if (!x.reason.isEmpty())
            j.insert(u"reason", x.reason);
        put(CorrectionKeys[k], j);
    }
    if (c.backgroundLevel)
        put("background_level", *c.backgroundLevel);
    if (c.abcAmbient)
        put("abc", numbersJson(*c.abcAmbient));
    if (c.rbl)
        put("rbl", true);
    if (c.cnel)
        put("cnel", true);
    if (!c.nAbove.empty())
        put("n_above", numbersJson(c.nAbove));
    if (!c.limits.isEmpty())
        put("limits", c.limits);
    return o;
}

StandardsChoice standardsOfJson(const QJsonObject& object, QString& error)
{
    StandardsChoice c;
    QJsonObject rest = object;
    error.clear();
    const auto fail = [&](const char* key, const QString& what) {
        if (error.isEmpty())
            error = QStringLiteral("\"standards\": \"%1\" %2").arg(QLatin1String(key), what);
    };
    // The value of a known key, taken out of the unknown ones.
    const auto take = [&](const char* key) { return rest.take(QLatin1String(key)); };
    const auto seconds = [&](const char* key, std::initializer_list<std::int64_t> allowed,
                             std::optional<std::int64_t>& out) {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return;
        const double s = v.toDouble(-1);
        const bool listed =
            allowed.size() == 0 || std::find(allowed.begin(), allowed.end(), s) != allowed.end();
        if (!v.isDouble() || s <= 0 || s != std::floor(s) || s > 7 * 86400 || !listed)
            return fail(key, QStringLiteral("is not a duration in seconds it takes."));
        out = std::int64_t(s);
    };
    const auto flag = [&](const char* key, bool& out) {
        const QJsonValue v = take(key);
        if (!v.isUndefined() && !v.isBool())
            return fail(key, QStringLiteral("is not true or false."));
        out = v.toBool();
    };
    const auto level = [&](const char* key, ChosenLevel& out) {
        const QJsonValue v = take(key);
        if (!v.isUndefined() && !levelOfJson(v, out))
            fail(key, QStringLiteral("is neither a level from 0 to 200 dB nor a span {\"start\", \"end\"}."));
    };
    const auto levels = [&](const char* key) -> std::optional<std::vector<double>> {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return std::nullopt;
        std::vector<double> out;
        for (const QJsonValue& x : v.toArray()) {
            if (!x.isDouble() || !isLevel(x.toDouble()))
                break;
            out.push_back(x.toDouble());
        }
        if (!v.isArray() || qsizetype(out.size()) != v.toArray().size() || out.empty()) {
            fail(key, QStringLiteral("is not a list of levels from 0 to 200 dB."));
            return std::nullopt;
        }
        return out;
    };
    seconds("intervals_s", {300, 900, 1800, 3600}, c.intervalSeconds);
    seconds("background_s", {900, 3600}, c.backgroundSeconds);
    level("ambient", c.ambient);
    level("residual", c.residual);
    flag("rating", c.rating);
    level("specific", c.specific);
    seconds("tr_s", {}, c.referenceSeconds);
    seconds("on_time_s", {}, c.onTimeSeconds);
    for (int k = 0; k < 4; ++k) {
        const QJsonValue v = take(CorrectionKeys[k]);
        if (v.isUndefined())
            continue;
        QJsonObject j = v.toObject();
        ChosenCorrection& x = c.*correctionField(k);
        x.db = j.take(u"db").toInt(-1);
        const QJsonValue reason = j.take(u"reason");
        x.reason = reason.toString();
        x.unknownKeys = j;
        CharacterCorrections alone;
        alone.*(std::array{&CharacterCorrections::tonal, &CharacterCorrections::impulsive,
                           &CharacterCorrections::other, &CharacterCorrections::intermittency}[size_t(k)]) =
            x.db;
        if (!v.isObject() || !alone.fault().isEmpty())
            fail(CorrectionKeys[k],
                 QStringLiteral("is not {\"db\": N, \"reason\": \"...\"}: %1").arg(alone.fault()));
        else if (!reason.isUndefined() && !reason.isString())
            fail(CorrectionKeys[k], QStringLiteral("has a \"reason\" that is not a text."));
    }
    const QJsonValue background = take("background_level");
    if (!background.isUndefined()) {
        if (!background.isDouble() || !isLevel(background.toDouble()))
            fail("background_level", QStringLiteral("is not a level from 0 to 200 dB."));
        else
            c.backgroundLevel = background.toDouble();
    }
    if (const std::optional<std::vector<double>> abc = levels("abc")) {
        if (abc->size() != 3)
            fail("abc", QStringLiteral("is not three levels: day, evening and weekend, night."));
        else
            c.abcAmbient = std::array<double, 3>{(*abc)[0], (*abc)[1], (*abc)[2]};
    }
    flag("rbl", c.rbl);
    flag("cnel", c.cnel);
    if (const std::optional<std::vector<double>> n = levels("n_above"))
        c.nAbove = *n;
    const QJsonValue limits = take("limits");
    if (!limits.isUndefined() && !limits.isString())
        fail("limits", QStringLiteral("is not a text of [limitN] sections."));
    c.limits = limits.toString();
    c.unknownKeys = rest;
    return error.isEmpty() ? c : StandardsChoice{};
}

QString chosenLevelText(const ChosenLevel& l)
{
    switch (l.kind) {
    case ChosenLevel::Kind::None:
        break;
    case ChosenLevel::Kind::Number:
        return QString::number(l.number, 'g', 6);
    case ChosenLevel::Kind::Span:
        return standardsClockText(l.span.start) + u'/' + standardsClockText(l.span.end);
    }
    return {};
}

std::optional<ChosenLevel> chosenLevelOf(const QString& text, QString& error)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return ChosenLevel{};
    bool number = false;
    const double v = t.toDouble(&number);
    if (number) {
        if (isLevel(v))
            return ChosenLevel{ChosenLevel::Kind::Number, v, {}};
        error = QStringLiteral("a level from 0 to 200 dB is expected, not \"%1\".").arg(t);
        return std::nullopt;
    }
    const QStringList ends = t.split(u'/');
    const std::optional<std::int64_t> from = ends.size() == 2 ? clockOfText(ends[0]) : std::nullopt;
    const std::optional<std::int64_t> to = ends.size() == 2 ? clockOfText(ends[1]) : std::nullopt;
    if (!from || !to) {
        error = QStringLiteral("a level in dB or a span START/END of this file (yyyy-mm-dd hh:mm) is "
                               "expected, not \"%1\".")
                    .arg(t);
        return std::nullopt;
    }
    if (*to <= *from) {
        error = QStringLiteral("the span \"%1\" ends before it starts.").arg(t);
        return std::nullopt;
    }
    return ChosenLevel{ChosenLevel::Kind::Span, 0, {*from, *to}};
}

QString durationInputText(std::int64_t s)
{
    if (s % 3600 == 0)
        return QStringLiteral("%1h").arg(s / 3600);
    if (s % 60 == 0)
        return QStringLiteral("%1min").arg(s / 60);
    return QStringLiteral("%1s").arg(s);
}

QString levelListText(std::span<const double> levels)
{
    QStringList parts;
    for (double v : levels)
        parts << QString::number(v, 'g', 6);
    return parts.join(QStringLiteral(", "));
}

std::optional<std::vector<double>> levelListOf(const QString& text)
{
    std::vector<double> out;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const double v = part.trimmed().toDouble(&ok);
        if (!ok || !isLevel(v))
            return std::nullopt;
        out.push_back(v);
    }
    return out;
}

std::optional<QList<LimitConfig>> limitsOfText(const QString& text, QString& error)
{
    std::optional<QList<LimitConfig>> limits = readLimits(iniKeys(text), error);
    if (limits && limits->isEmpty()) {
        error = QStringLiteral("no [limitN] section.");
        return std::nullopt;
    }
    return limits;
}

} // namespace slm
