#pragma once

#include "measurement/MeterLimits.h"
#include "station/AlarmLog.h"
#include "station/StationConfig.h"

#include <QObject>
#include <memory>

namespace slm::station
{

class MqttPublisher;

// One meter's limits and live events, judged on its samples and told beside its levels: every
// transition on `alert` (queued) and in the day's alarm log, each limit's state retained on
// `alert/NAME`, each event's start and end on `event` (queued), and with Home Assistant the
// limits' sensors. Without a connection (a station that only records) the alarm log alone.
class LimitPublisher : public QObject
{
    Q_OBJECT
public:
    LimitPublisher(const StationConfig& config, const MeterConfig& meter, MqttPublisher* mqtt,
                   QObject* parent = nullptr);
    ~LimitPublisher() override;

    // The limits that apply to this meter among `limits` judge the samples from now on; a limit
    // no longer among them loses its retained topics.
    void setLimits(const QList<LimitConfig>& limits, std::optional<EventSettings> events);
    void addSample(const Sample& sample);
    // Each limit's state and latest figure, retained.
    void publishStates();
    // The meter stopped: an open event ends with the records it has.
    void finish();

    const MeterLimits& judge() const { return *m_judge; }

private:
    void rebuild(double intervalSeconds);
    void publishTransition(const LimitTransition& t);
    void publishEvent(bool ended, const NoiseEvent& event);
    void publishState(const LimitMonitor& monitor);

    StationConfig m_config;
    MeterConfig m_meter;
    MqttPublisher* m_mqtt;
    AlarmLog m_alarms;
    QList<LimitConfig> m_limits;
    std::optional<EventSettings> m_events;
    std::unique_ptr<MeterLimits> m_judge;
    QList<QByteArray> m_retained; // topics this meter's limits hold on the broker
};

} // namespace slm::station
