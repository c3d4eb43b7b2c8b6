#pragma once

#include "measurement/Sample.h"
#include "station/StationConfig.h"
#include "station/StationMeter.h"

#include <QObject>
#include <memory>

namespace slm::station
{

class MinuteCollector;
class MqttPublisher;

// Publishes one meter that another program records (the panel): each sample on `level`, the
// per-minute figures through the on-disk queue on `minute`, and the link on `state`, with the
// same topics and payloads as a station's meter.
class SessionPublisher : public QObject
{
    Q_OBJECT
public:
    // `config` names the station, the broker and (first meter section) the meter's name.
    SessionPublisher(StationConfig config, int intervalSeconds, QObject* parent = nullptr);
    ~SessionPublisher() override;

    // Opens the queue and starts connecting; false (after a log line) when the queue cannot be
    // used.
    bool start();
    void publishSample(const Sample& sample);
    void publishLink(bool up, const QString& port);
    // "offline" published, the queue kept for the next start.
    void finish();

private:
    StationConfig m_config;
    int m_interval;
    std::unique_ptr<MinuteCollector> m_minutes;
    MqttPublisher* m_publisher = nullptr;
    bool m_finished = false;
};

// What the shown level says of the range: over it or below it.
RangeFlags rangeFlagsOf(const Sample& sample);

} // namespace slm::station
