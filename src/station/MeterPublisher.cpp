#include "station/MeterPublisher.h"

#include "station/MqttPublisher.h"
#include "station/StationPayloads.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace slm::station
{

namespace
{
constexpr int MinuteDelayMs = 250;
constexpr int FinishTimeoutMs = 2000;
} // namespace

MeterPublisher::MeterPublisher(const StationConfig& config, const MeterConfig& meter, QObject* parent)
    : QObject(parent), m_minutes(config.broker.minuteSeconds), m_port(meter.port)
{
    const QString queue = QDir(config.data).filePath(QStringLiteral("queue/%1.queue").arg(meter.name));
    m_mqtt = new MqttPublisher(config.broker, QStringLiteral("slm-%1-%2").arg(config.id, meter.name),
                               meterTopicBase(config, meter), queue, meter.name, this);
    if (config.broker.homeAssistant)
        m_mqtt->setRetainedExtras(homeAssistantDiscovery(config, meter));
    m_minuteDelay.setSingleShot(true);
    m_minuteDelay.setInterval(MinuteDelayMs);
    connect(&m_minuteDelay, &QTimer::timeout, this, &MeterPublisher::sendMinutes);
}

MeterPublisher::~MeterPublisher()
{
    finish();
}

bool MeterPublisher::start()
{
    m_mqtt->publishState(statePayload(true, false, m_port));
    return m_mqtt->start();
}

void MeterPublisher::publishSample(const Sample& sample)
{
    if (m_finished)
        return;
    m_mqtt->publishLevel(levelPayload(sample));
    if (const std::optional<MinuteFigures> minute = m_minutes.add(sample)) {
        m_pendingMinutes << minutePayload(*minute);
        if (!m_minuteDelay.isActive())
            m_minuteDelay.start();
    }
}

void MeterPublisher::sendMinutes()
{
    for (const QByteArray& payload : std::as_const(m_pendingMinutes))
        m_mqtt->publishMinute(payload);
    m_pendingMinutes.clear();
}

void MeterPublisher::publishLink(bool up, const QString& port)
{
    if (!m_finished)
        m_mqtt->publishState(statePayload(true, up, port));
}

void MeterPublisher::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_minuteDelay.stop();
    if (const std::optional<MinuteFigures> last = m_minutes.finish())
        m_pendingMinutes << minutePayload(*last);
    sendMinutes();
    m_mqtt->finish(statePayload(false, false, QString()), FinishTimeoutMs);
}

QList<std::pair<QByteArray, QByteArray>> homeAssistantDiscovery(const StationConfig& config,
                                                                const MeterConfig& meter)
{
    const QString base = meterTopicBase(config, meter);
    const QString id = config.id + u'_' + meter.name;
    QJsonObject device{{QStringLiteral("identifiers"), QJsonArray{QStringLiteral("slm_") + id}},
                       {QStringLiteral("name"), QStringLiteral("%1 %2").arg(config.id, meter.name)},
                       {QStringLiteral("model"), QStringLiteral("sound level meter")}};
    const auto sensor = [&](const QString& key, const QString& label, const QString& leaf,
                            const QString& field) {
        QJsonObject json{{QStringLiteral("name"), label},
                         {QStringLiteral("unique_id"), QStringLiteral("slm_%1_%2").arg(id, key)},
                         {QStringLiteral("state_topic"), base + u'/' + leaf},
                         {QStringLiteral("value_template"), QStringLiteral("{{ value_json.%1 }}").arg(field)},
                         {QStringLiteral("device_class"), QStringLiteral("sound_pressure")},
                         {QStringLiteral("unit_of_measurement"), QStringLiteral("dB")},
                         {QStringLiteral("state_class"), QStringLiteral("measurement")},
                         {QStringLiteral("availability_topic"), base + QStringLiteral("/state")},
                         {QStringLiteral("availability_template"), QStringLiteral("{{ value_json.state }}")},
                         {QStringLiteral("device"), device}};
        return std::pair{QStringLiteral("homeassistant/sensor/slm_%1_%2/config").arg(id, key).toUtf8(),
                         QJsonDocument(json).toJson(QJsonDocument::Compact)};
    };
    return {sensor(QStringLiteral("level"), QStringLiteral("Level"), QStringLiteral("level"),
                   QStringLiteral("level")),
            sensor(QStringLiteral("leq"), QStringLiteral("Leq 1 min"), QStringLiteral("minute"),
                   QStringLiteral("leq"))};
}

} // namespace slm::station
