#pragma once

#include "measurement/Sample.h"
#include "station/EnergyTotals.h"
#include "station/MinuteCollector.h"
#include "station/StationConfig.h"

#include <QObject>
#include <QTimer>

namespace slm::station
{

class LimitPublisher;
class MqttPublisher;

// Publishes one meter, whoever takes its samples (a station's meter or the panel's session):
// each sample on `level`, the figures of each minute through the on-disk queue on `minute` with
// the meter's energy totals, the link on `state`, and what its limits and live events say. Everything it
// publishes comes from the samples themselves: the interval, the weightings and the range flags in force when
// each was taken.
class MeterPublisher : public QObject
{
    Q_OBJECT
public:
    // `config` names the station and the broker, `meter` the topics and the queue's file; the
    // configuration's limits and the meter's event rule judge its samples.
    MeterPublisher(const StationConfig& config, const MeterConfig& meter, QObject* parent = nullptr);
    ~MeterPublisher() override;

    // Opens the queue and starts connecting; false (after a log line) when the queue cannot be
    // used.
    bool start();
    // A subscriber of the meter's sampleTaken(const Sample&).
    void publishSample(const Sample& sample);
    void publishLink(bool up, const QString& port);
    // The minute under way (partial), then "offline"; the queue kept for the next start.
    void finish();
    // The connection, for the station's health topic.
    MqttPublisher* mqtt() const { return m_mqtt; }
    // Other limits from now on (the panel's, set in its window).
    void setLimits(const QList<LimitConfig>& limits, std::optional<EventSettings> events);
    const LimitPublisher& limits() const { return *m_limits; }
    const EnergyTotals& energy() const { return m_energy; }

private:
    void sendMinutes();
    void queueMinute(const MinuteFigures& minute);

    MqttPublisher* m_mqtt = nullptr;
    LimitPublisher* m_limits = nullptr;
    QString m_name;
    EnergyTotals m_energy;
    MinuteCollector m_minutes;
    // Minutes are queued a moment after the sample that closed them: the queue hands each
    // message to the disk, and the other meters' samples of this second go out first.
    QList<QByteArray> m_pendingMinutes;
    QTimer m_minuteDelay;
    QString m_port; // as configured, named while the link is down
    bool m_finished = false;
};

// The retained Home Assistant sensor configurations of one meter (its level and its minute Leq).
QList<std::pair<QByteArray, QByteArray>> homeAssistantDiscovery(const StationConfig& config,
                                                                const MeterConfig& meter);

} // namespace slm::station
