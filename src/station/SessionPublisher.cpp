#include "station/SessionPublisher.h"

#include "station/MqttPublisher.h"
#include "station/Station.h"
#include "station/StationPayloads.h"

#include <QDir>

namespace slm::station
{

RangeFlags rangeFlagsOf(const Sample& sample)
{
    return RangeFlags{sample.shown == Sample::Shown::Over, sample.shown == Sample::Shown::BelowRange};
}

SessionPublisher::SessionPublisher(StationConfig config, int intervalSeconds, QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_interval(intervalSeconds),
      m_minutes(std::make_unique<MinuteCollector>(m_config.broker.minuteSeconds, intervalSeconds))
{
}

SessionPublisher::~SessionPublisher()
{
    finish();
}

bool SessionPublisher::start()
{
    if (m_config.meters.isEmpty() || m_config.broker.host.isEmpty())
        return false;
    const MeterConfig& meter = m_config.meters.first();
    const QString queue = QDir(m_config.data).filePath(QStringLiteral("queue/%1.queue").arg(meter.name));
    m_publisher = new MqttPublisher(m_config.broker, QStringLiteral("slm-%1-%2").arg(m_config.id, meter.name),
                                    meterTopicBase(m_config, meter), queue, meter.name, this);
    if (m_config.broker.homeAssistant)
        m_publisher->setRetainedExtras(homeAssistantDiscovery(m_config, meter));
    m_publisher->publishState(statePayload(true, false, QString()));
    return m_publisher->start();
}

void SessionPublisher::publishSample(const Sample& sample)
{
    if (!m_publisher || m_finished)
        return;
    const RangeFlags flags = rangeFlagsOf(sample);
    m_publisher->publishLevel(levelPayload(sample, flags, m_interval));
    if (const std::optional<MinuteFigures> minute = m_minutes->add(sample, flags))
        m_publisher->publishMinute(minutePayload(*minute));
}

void SessionPublisher::publishLink(bool up, const QString& port)
{
    if (m_publisher && !m_finished)
        m_publisher->publishState(statePayload(true, up, port));
}

void SessionPublisher::finish()
{
    if (!m_publisher || m_finished)
        return;
    m_finished = true;
    m_publisher->finish(statePayload(false, false, QString()), 2000);
}

} // namespace slm::station
