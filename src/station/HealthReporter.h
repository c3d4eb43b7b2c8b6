#pragma once

#include "station/StationClock.h"
#include "station/StationConfig.h"
#include "station/StationHealth.h"

#include <QObject>
#include <QTimer>

namespace slm::station
{

class MqttPublisher;
class StationMeter;

// Publishes the station's health, retained, on "<prefix>/<id>/health" once a minute (and once
// soon after the start) through the first meter's connection.
class HealthReporter : public QObject
{
    Q_OBJECT
public:
    HealthReporter(const StationConfig& config, const StationClock& clock, QObject* parent = nullptr);

    // `publisher` may be null (a station that only records).
    void watch(const MeterConfig& config, StationMeter* meter, MqttPublisher* publisher);
    void start();
    void noteGap(const QString& meter, const QDateTime& start, qint64 lengthSeconds);
    // The payload as it would go out now.
    QByteArray payload();

private:
    struct Watched {
        MeterConfig config;
        StationMeter* meter = nullptr;
        MqttPublisher* publisher = nullptr;
        std::optional<QDateTime> lastSample;
    };
    void publish();

    const StationConfig& m_config;
    const StationClock& m_clock;
    StationHealth m_health;
    QList<Watched> m_meters;
    QTimer m_timer;
};

} // namespace slm::station
