#include "station/MeterPublisher.h"

#include "station/LimitPublisher.h"
#include "station/MqttPublisher.h"
#include "station/StationLog.h"
#include "station/StationPayloads.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    : QObject(parent), m_name(meter.name),
      m_energy(QDir(config.data).filePath(QStringLiteral("energy/%1.json").arg(meter.name))),
      m_minutes(config.broker.minuteSeconds), m_port(meter.port)
{
    const QString queue = QDir(config.data).filePath(QStringLiteral("queue/%1.queue").arg(meter.name));
    m_mqtt = new MqttPublisher(config.broker, QStringLiteral("slm-%1-%2").arg(config.id, meter.name),
                               meterTopicBase(config, meter), queue, meter.name, this);
    if (config.broker.homeAssistant)
        m_mqtt->setRetainedExtras(homeAssistantDiscovery(config, meter));
    m_limits = new LimitPublisher(config, meter, m_mqtt, this);
    m_limits->setLimits(config.limits, meter.events);
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
    QString error;
    if (!m_energy.load(error)) {
        // Kept for whoever wants it back; the totals count again from zero.
        const QString aside = m_energy.path() + QDateTime::currentDateTime().toString(
                                                    QStringLiteral(".'unread'-yyyyMMdd-HHmmss"));
        QFile::rename(m_energy.path(), aside);
        logEvent(
            m_name,
            QStringLiteral("%1; it is kept as %2 and the totals start again from zero").arg(error, aside));
        m_energy = EnergyTotals(m_energy.path());
    }
    QDir().mkpath(QFileInfo(m_energy.path()).absolutePath());
    m_mqtt->publishState(statePayload(true, false, m_port));
    return m_mqtt->start();
}

void MeterPublisher::setLimits(const QList<LimitConfig>& limits, std::optional<EventSettings> events)
{
    m_limits->setLimits(limits, events);
}

void MeterPublisher::queueMinute(const MinuteFigures& minute)
{
    const MinuteEnergy energy = minuteEnergy(minute.figures, double(minute.last.interval));
    QString error;
    if (!m_energy.add(energy, error))
        logEvent(m_name, error);
    m_pendingMinutes << withEnergy(minutePayload(minute), energy, m_energy);
    // The rolling figures go out with each minute too.
    m_limits->publishStates();
}

void MeterPublisher::publishSample(const Sample& sample)
{
    if (m_finished)
        return;
    m_mqtt->publishLevel(levelPayload(sample));
    m_limits->addSample(sample);
    if (const std::optional<MinuteFigures> minute = m_minutes.add(sample)) {
        queueMinute(*minute);
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
    m_limits->finish();
    if (const std::optional<MinuteFigures> last = m_minutes.finish())
        queueMinute(*last);
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
