#include "station/StationHealth.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#ifndef SLM_VERSION
#define SLM_VERSION "unknown"
#endif

namespace slm::station
{

namespace
{

QJsonValue utc(const std::optional<QDateTime>& time)
{
    if (!time || !time->isValid())
        return QJsonValue::Null;
    return time->toUTC().toString(Qt::ISODate);
}

QJsonValue bytes(qint64 n)
{
    return n < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(double(n));
}

} // namespace

void StationHealth::noteGap(const QString& meter, const QDateTime& start, qint64 lengthSeconds)
{
    m_gaps.push_back({meter, start, lengthSeconds});
}

QByteArray StationHealth::payload(const QDateTime& now, const QList<MeterState>& meters, qint64 freeDataBytes)
{
    while (!m_gaps.empty() && m_gaps.front().start.addSecs(m_gaps.front().lengthSeconds).secsTo(now) > 3600)
        m_gaps.pop_front();
    QJsonObject perMeter;
    double queued = 0; // all meters together, flat for exporters that read one key
    for (const MeterState& m : meters) {
        queued += double(m.queued);
        QJsonValue age = QJsonValue::Null;
        if (m.oldestQueued && m.oldestQueued->isValid())
            age = double(std::max<qint64>(0, m.oldestQueued->secsTo(now)));
        perMeter.insert(m.name, QJsonObject{{QStringLiteral("last_sample"), utc(m.lastSample)},
                                            {QStringLiteral("link"), m.linkUp ? "up" : "down"},
                                            {QStringLiteral("queue"), double(m.queued)},
                                            {QStringLiteral("queue_oldest_s"), age},
                                            {QStringLiteral("free_bytes_output"), bytes(m.freeOutputBytes)}});
    }
    QJsonArray gaps;
    for (const Gap& g : m_gaps)
        gaps.append(QJsonObject{{QStringLiteral("meter"), g.meter},
                                {QStringLiteral("start"), utc(g.start)},
                                {QStringLiteral("length_s"), double(g.lengthSeconds)}});
    const QJsonObject json{{QStringLiteral("time"), utc(now)},
                           {QStringLiteral("uptime_s"), double(m_started.secsTo(now))},
                           {QStringLiteral("version"), QStringLiteral(SLM_VERSION)},
                           {QStringLiteral("free_bytes_data"), bytes(freeDataBytes)},
                           {QStringLiteral("queue_length"), queued},
                           {QStringLiteral("meters"), perMeter},
                           {QStringLiteral("gaps"), gaps}};
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

} // namespace slm::station
