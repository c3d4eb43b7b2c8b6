#include "station/StationPayloads.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <cmath>

namespace slm::station
{

namespace
{

QJsonValue levelValue(std::optional<double> level)
{
    if (!level)
        return QJsonValue(QJsonValue::Null);
    return std::round(*level * 10) / 10;
}

QString isoUtc(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODate);
}

void putSettings(QJsonObject& json, const Sample& sample, int intervalSeconds)
{
    json.insert(QStringLiteral("weighting"), frequencyWeightingText(sample.frequencyWeighting));
    const QString time = timeWeightingText(sample.timeWeighting);
    json.insert(QStringLiteral("time_weighting"),
                time.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(time));
    json.insert(QStringLiteral("range"), levelRangeText(sample.range));
    json.insert(QStringLiteral("interval_s"), intervalSeconds);
}

// The record text the list figures would read for the sample: its marks decide where it counts.
QString figureText(const Sample& sample, RangeFlags flags)
{
    const std::optional<QString> flag = sampleFlag(sample, flags);
    if (!flag)
        return sampleLevelText(sample);
    if (*flag == u"paused")
        return sampleLevelText(sample);
    if (*flag == u"below-range")
        return QStringLiteral("-");
    if (*flag == u"over")
        return QStringLiteral("OL");
    return {};
}

} // namespace

std::optional<QString> sampleFlag(const Sample& sample, RangeFlags flags)
{
    if (!sample.time.isValid())
        return QStringLiteral("not-level");
    if (sample.marked)
        return QStringLiteral("paused");
    if (flags.over)
        return QStringLiteral("over");
    if (flags.below)
        return QStringLiteral("below-range");
    return std::nullopt;
}

QByteArray levelPayload(const Sample& sample, RangeFlags flags, int intervalSeconds)
{
    const std::optional<QString> flag = sampleFlag(sample, flags);
    QJsonObject json;
    json.insert(QStringLiteral("time"), isoUtc(sample.time));
    // A paused meter shows a held reading: it is no level of this second.
    const bool level = !flag || *flag == u"over" || *flag == u"below-range";
    json.insert(QStringLiteral("level"),
                levelValue(level ? std::optional<double>(sample.level()) : std::nullopt));
    json.insert(QStringLiteral("flag"), flag ? QJsonValue(*flag) : QJsonValue(QJsonValue::Null));
    putSettings(json, sample, intervalSeconds);
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

QByteArray minutePayload(const MinuteFigures& minute)
{
    const LevelFigures& f = minute.figures;
    const auto percentile = [&](int p) -> std::optional<double> {
        bool ok = false;
        const double value = f.percentile(p).toDouble(&ok);
        return ok ? std::optional<double>(value) : std::nullopt;
    };
    QJsonObject json;
    json.insert(QStringLiteral("time"), isoUtc(minute.start));
    json.insert(QStringLiteral("period_s"), minute.periodSeconds);
    json.insert(QStringLiteral("leq"), levelValue(f.leq));
    json.insert(QStringLiteral("lmax"), levelValue(f.lmax));
    json.insert(QStringLiteral("lmin"), levelValue(f.lmin));
    json.insert(QStringLiteral("l10"), levelValue(percentile(10)));
    json.insert(QStringLiteral("l90"), levelValue(percentile(90)));
    json.insert(QStringLiteral("levels"), qint64(f.levels));
    json.insert(QStringLiteral("paused"), qint64(f.paused));
    json.insert(QStringLiteral("other"), qint64(f.other));
    putSettings(json, minute.last, minute.intervalSeconds);
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

QByteArray statePayload(bool online, bool linkUp, const QString& port)
{
    QJsonObject json;
    json.insert(QStringLiteral("state"), online ? QStringLiteral("online") : QStringLiteral("offline"));
    if (online) {
        json.insert(QStringLiteral("link"), linkUp ? QStringLiteral("up") : QStringLiteral("down"));
        json.insert(QStringLiteral("port"), port);
    }
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

MinuteCollector::MinuteCollector(int periodSeconds, int intervalSeconds)
    : m_period(periodSeconds), m_interval(intervalSeconds)
{
}

std::optional<MinuteFigures> MinuteCollector::add(const Sample& sample, RangeFlags flags)
{
    const qint64 secs = sample.time.toSecsSinceEpoch();
    const qint64 start = secs - (((secs % m_period) + m_period) % m_period);
    std::optional<MinuteFigures> done;
    if (m_periodStart >= 0 && start != m_periodStart) {
        MinuteFigures minute;
        minute.start = QDateTime::fromSecsSinceEpoch(m_periodStart, QTimeZone::utc());
        minute.periodSeconds = m_period;
        minute.figures = m_counter.finish(double(m_interval));
        minute.last = m_last;
        minute.intervalSeconds = m_interval;
        done = minute;
        m_counter = LevelFigureCounter();
    }
    m_periodStart = start;
    m_counter.add(figureText(sample, flags));
    m_last = sample;
    return done;
}

} // namespace slm::station
