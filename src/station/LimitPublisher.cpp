#include "station/LimitPublisher.h"

#include "station/LimitPayloads.h"
#include "station/MqttPublisher.h"
#include "station/StationLog.h"

#include <cmath>

namespace slm::station
{

namespace
{

QString dbText(std::optional<double> v)
{
    return v ? QStringLiteral("%1 dB").arg(*v, 0, 'f', 1) : QStringLiteral("no figure");
}

} // namespace

LimitPublisher::LimitPublisher(const StationConfig& config, const MeterConfig& meter, MqttPublisher* mqtt,
                               QObject* parent)
    : QObject(parent), m_config(config), m_meter(meter), m_mqtt(mqtt), m_alarms(config.data)
{
    rebuild(meter.interval);
}

LimitPublisher::~LimitPublisher() = default;

void LimitPublisher::setLimits(const QList<LimitConfig>& limits, std::optional<EventSettings> events)
{
    m_limits.clear();
    for (const LimitConfig& l : limits)
        if (l.appliesTo(m_meter.name))
            m_limits.append(l);
    m_events = events;
    rebuild(m_judge->intervalSeconds());
    if (!m_mqtt)
        return;

    QList<QByteArray> now;
    for (const LimitConfig& l : std::as_const(m_limits))
        now << m_mqtt->topic(alertStateTopic(l.name)).toUtf8();
    QList<std::pair<QByteArray, QByteArray>> discovery;
    if (m_config.broker.homeAssistant)
        discovery = limitDiscovery(m_config, m_meter, m_limits);
    for (const auto& [topic, payload] : std::as_const(discovery))
        now << topic;
    // An empty retained message takes a limit that is gone off the broker.
    for (const QByteArray& topic : std::as_const(m_retained))
        if (!now.contains(topic))
            m_mqtt->publishRetainedMessage(topic, QByteArray());
    m_retained = now;
    for (const auto& [topic, payload] : std::as_const(discovery))
        m_mqtt->publishRetainedMessage(topic, payload);
    publishStates();
}

void LimitPublisher::rebuild(double interval)
{
    m_judge = std::make_unique<MeterLimits>(m_meter.name, m_limits, m_events, interval);
    connect(m_judge.get(), &MeterLimits::transition, this, &LimitPublisher::publishTransition);
    connect(m_judge.get(), &MeterLimits::eventStarted, this,
            [this](const NoiseEvent& e) { publishEvent(false, e); });
    connect(m_judge.get(), &MeterLimits::eventEnded, this,
            [this](const NoiseEvent& e) { publishEvent(true, e); });
}

void LimitPublisher::addSample(const Sample& sample)
{
    if (m_limits.isEmpty() && !m_events)
        return;
    // A new interval starts the figures again: a rolling window does not mix two rates.
    if (sample.interval > 0 && double(sample.interval) != m_judge->intervalSeconds()) {
        m_judge->finish();
        rebuild(sample.interval);
        publishStates();
    }
    m_judge->addSample(sample);
}

void LimitPublisher::publishTransition(const LimitTransition& t)
{
    QString line = QStringLiteral("limit %1: %2 (%3").arg(t.limit, limitStateText(t.state), dbText(t.figure));
    if (t.threshold)
        line += QStringLiteral(", threshold %1").arg(dbText(t.threshold));
    if (!t.reason.isEmpty())
        line += QStringLiteral(", ") + t.reason;
    logEvent(m_meter.name, line + u')');
    QString error;
    if (!m_alarms.append(m_meter.name, t, error))
        logEvent(m_meter.name, error);
    if (!m_mqtt)
        return;
    m_mqtt->publishQueued(QStringLiteral("alert"), alertPayload(t));
    for (const LimitMonitor& m : m_judge->monitors())
        if (m.config().name == t.limit)
            publishState(m);
}

void LimitPublisher::publishEvent(bool ended, const NoiseEvent& event)
{
    if (m_mqtt)
        m_mqtt->publishQueued(
            QStringLiteral("event"),
            eventPayload(ended ? EventPhase::End : EventPhase::Start, event, m_judge->intervalSeconds()));
}

void LimitPublisher::publishState(const LimitMonitor& monitor)
{
    m_mqtt->publishRetainedMessage(m_mqtt->topic(alertStateTopic(monitor.config().name)).toUtf8(),
                                   alertStatePayload(monitor));
}

void LimitPublisher::publishStates()
{
    if (!m_mqtt)
        return;
    for (const LimitMonitor& m : m_judge->monitors())
        publishState(m);
}

void LimitPublisher::finish()
{
    m_judge->finish();
    publishStates();
}

} // namespace slm::station
