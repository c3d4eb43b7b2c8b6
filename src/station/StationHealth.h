#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <deque>
#include <optional>

namespace slm::station
{

// What the retained "health" topic tells about a station once a minute: enough for a dashboard
// to see a station that is up but not recording, a queue that grows or a disk that fills.
class StationHealth
{
public:
    struct MeterState {
        QString name;
        std::optional<QDateTime> lastSample;
        bool linkUp = false;
        qsizetype queued = 0;
        std::optional<QDateTime> oldestQueued; // the start of the oldest minute waiting
        qint64 freeOutputBytes = -1;
    };
    struct Gap {
        QString meter;
        QDateTime start;
        qint64 lengthSeconds = 0;
    };

    explicit StationHealth(QDateTime started) : m_started(std::move(started)) {}

    // A stretch of time without records (a write the disk refused, a meter that fell silent);
    // reported for an hour.
    void noteGap(const QString& meter, const QDateTime& start, qint64 lengthSeconds);

    // {"time", "uptime_s", "version", "free_bytes_data", "meters": {name: {"last_sample", "link",
    //  "queue", "queue_oldest_s", "free_bytes_output"}}, "gaps": [{"meter", "start", "length_s"}]}
    QByteArray payload(const QDateTime& now, const QList<MeterState>& meters, qint64 freeDataBytes);

private:
    QDateTime m_started;
    std::deque<Gap> m_gaps;
};

} // namespace slm::station
