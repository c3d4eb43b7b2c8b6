#include "station/StationPayloads.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace slm::station
{

namespace
{

// One decimal as the lists and the report program write it, so a figure reads the same here
// and there.
QJsonValue levelValue(std::optional<double> level)
{
    if (!level || !std::isfinite(*level))
        return QJsonValue(QJsonValue::Null);
    return QString::number(*level, 'f', 1).toDouble();
}

QString isoUtc(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODate);
}

void putSettings(QJsonObject& json, const Sample& sample)
{
    json.insert(QStringLiteral("weighting"), frequencyWeightingText(sample.frequencyWeighting));
    const QString time = timeWeightingText(sample.timeWeighting);
    json.insert(QStringLiteral("time_weighting"),
                time.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(time));
    json.insert(QStringLiteral("range"), levelRangeText(sample.range));
    json.insert(QStringLiteral("interval_s"), sample.interval);
}

} // namespace

std::optional<QString> sampleFlag(const Sample& sample)
{
    if (!sample.time.isValid())
        return QStringLiteral("not-level");
    if (sample.marked)
        return QStringLiteral("paused");
    if (sample.overRange)
        return QStringLiteral("over");
    if (sample.belowRange)
        return QStringLiteral("below-range");
    return std::nullopt;
}

QByteArray levelPayload(const Sample& sample)
{
    const std::optional<QString> flag = sampleFlag(sample);
    QJsonObject json;
    json.insert(QStringLiteral("time"), isoUtc(sample.time));
    // A paused meter shows a held reading: it is no level of this second.
    const bool level = !flag || *flag == u"over" || *flag == u"below-range";
    json.insert(QStringLiteral("level"),
                levelValue(level ? std::optional<double>(sample.level()) : std::nullopt));
    json.insert(QStringLiteral("flag"), flag ? QJsonValue(*flag) : QJsonValue(QJsonValue::Null));
    putSettings(json, sample);
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

QByteArray minutePayload(const MinuteFigures& minute)
{
    const LevelFigures& f = minute.figures;
    QJsonObject json;
    json.insert(QStringLiteral("time"), isoUtc(minute.start));
    json.insert(QStringLiteral("period_s"), minute.periodSeconds);
    json.insert(QStringLiteral("leq"), levelValue(f.leq));
    json.insert(QStringLiteral("lmax"), levelValue(f.lmax));
    json.insert(QStringLiteral("lmin"), levelValue(f.lmin));
    for (const int p : {10, 50, 90, 95})
        json.insert(QStringLiteral("l%1").arg(p), levelValue(minute.percentile(p)));
    json.insert(QStringLiteral("levels"), qint64(f.levels));
    json.insert(QStringLiteral("paused"), qint64(f.paused));
    json.insert(QStringLiteral("other"), qint64(f.other));
    json.insert(QStringLiteral("below_range"), qint64(minute.belowRange));
    json.insert(QStringLiteral("over_range"), qint64(minute.overRange));
    json.insert(QStringLiteral("coverage"), levelValue(minute.coverage()));
    json.insert(QStringLiteral("partial"), minute.partial);
    putSettings(json, minute.last);
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

} // namespace slm::station
