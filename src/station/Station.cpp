#include "station/Station.h"

#include "station/FrameMeter.h"
#include "station/HealthReporter.h"
#include "station/MqttPublisher.h"
#include "station/StationLog.h"
#include "station/StationPayloads.h"
#include "station/StationRecording.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace slm::station
{

// Owns the meters' recordings and lives on the writer thread.
class RecordingWriter : public QObject
{
public:
    std::vector<std::unique_ptr<StationRecording>> recordings;
    void add(size_t meter, const Sample& sample) { recordings[meter]->add(sample); }
    void closeAll()
    {
        for (const auto& recording : recordings)
            recording->close();
    }
};

struct Station::Meter {
    size_t index = 0;
    MeterConfig config;
    StationMeter* meter = nullptr;
    std::unique_ptr<MinuteCollector> minutes;
    MqttPublisher* publisher = nullptr;
    QList<QByteArray> pendingMinutes;
};

Station::Station(StationConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)),
      m_clock(m_config.clockStart ? StationClock(*m_config.clockStart) : StationClock())
{
    m_factory = [](const MeterConfig& meter, const StationClock& clock, QObject* owner) -> StationMeter* {
        return new FrameMeter(meter.name, meter.port, meter.simulatorArguments, meter.interval, clock, owner);
    };
}

Station::~Station()
{
    stop();
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

bool Station::start()
{
    for (const MeterConfig& config : m_config.meters)
        StationRecording::recoverInterrupted(config.name, config.output);

    m_writer = new RecordingWriter;
    for (const MeterConfig& config : m_config.meters)
        m_writer->recordings.push_back(
            std::make_unique<StationRecording>(config.name, config.output, config.rotation, config.interval));
    m_writerThread = new QThread(this);
    m_writer->moveToThread(m_writerThread);
    m_writerThread->start();

    for (const MeterConfig& config : m_config.meters) {
        auto meter = std::make_unique<Meter>();
        meter->index = m_meters.size();
        meter->config = config;
        meter->minutes = std::make_unique<MinuteCollector>(m_config.broker.minuteSeconds, config.interval);
        if (!m_config.broker.host.isEmpty()) {
            const QString queue =
                QDir(m_config.data).filePath(QStringLiteral("queue/%1.queue").arg(config.name));
            meter->publisher =
                new MqttPublisher(m_config.broker, QStringLiteral("slm-%1-%2").arg(m_config.id, config.name),
                                  meterTopicBase(m_config, config), queue, config.name, this);
            if (m_config.broker.homeAssistant)
                meter->publisher->setRetainedExtras(homeAssistantDiscovery(m_config, config));
            meter->publisher->publishState(statePayload(true, false, config.port));
            if (!meter->publisher->start())
                return false;
        }
        meter->meter = m_factory(config, m_clock, this);
        Meter* raw = meter.get();
        connect(raw->meter, &StationMeter::sampleTaken, this,
                [this, raw](const Sample& sample, RangeFlags flags) { onSample(*raw, sample, flags); });
        connect(raw->meter, &StationMeter::linkStateChanged, this,
                [this, raw](bool up, const QString&) { onLink(*raw, up); });
        m_meters.push_back(std::move(meter));
    }
    m_health = new HealthReporter(m_config, m_clock, this);
    for (const auto& meter : m_meters)
        m_health->watch(meter->config, meter->meter, meter->publisher);
    m_health->start();
    logEvent(QStringLiteral("station"), QStringLiteral("%1 started with %2 %3")
                                            .arg(m_config.id)
                                            .arg(m_meters.size())
                                            .arg(m_meters.size() == 1 ? "meter" : "meters"));
    for (const auto& meter : m_meters)
        meter->meter->start();
    return true;
}

void Station::onSample(Meter& meter, const Sample& sample, RangeFlags flags)
{
    if (meter.publisher)
        meter.publisher->publishLevel(levelPayload(sample, flags, meter.config.interval));
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer, index = meter.index, sample] { writer->add(index, sample); },
        Qt::QueuedConnection);
    const std::optional<MinuteFigures> minute = meter.minutes->add(sample, flags);
    if (meter.publisher && minute) {
        // Queued a moment later: the queue hands each message to the disk, and the other meters'
        // samples of this second go out first.
        meter.pendingMinutes << minutePayload(*minute);
        if (!m_minutesScheduled)
            QTimer::singleShot(250, this, &Station::sendMinutes);
        m_minutesScheduled = true;
    }
}

void Station::sendMinutes()
{
    m_minutesScheduled = false;
    for (const auto& meter : m_meters) {
        for (const QByteArray& payload : meter->pendingMinutes)
            meter->publisher->publishMinute(payload);
        meter->pendingMinutes.clear();
    }
}

void Station::onLink(Meter& meter, bool up)
{
    if (meter.publisher)
        meter.publisher->publishState(statePayload(true, up, shownPort(meter)));
}

QString Station::shownPort(const Meter& meter) const
{
    // A device that is missing has no terminal yet: the state names the one configured.
    const QString port = meter.meter->portText();
    return port.isEmpty() ? meter.config.port : port;
}

void Station::noteGap(const QString& meter, const QDateTime& start, qint64 lengthSeconds)
{
    if (m_health)
        m_health->noteGap(meter, start, lengthSeconds);
}

void Station::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    for (const auto& meter : m_meters)
        if (meter->meter)
            meter->meter->stop();
    if (m_writer) {
        QMetaObject::invokeMethod(
            m_writer, [writer = m_writer] { writer->closeAll(); }, Qt::BlockingQueuedConnection);
        m_writerThread->quit();
        m_writerThread->wait();
        delete m_writer;
        m_writer = nullptr;
    }
    sendMinutes();
    for (const auto& meter : m_meters)
        if (meter->publisher)
            meter->publisher->finish(statePayload(false, false, QString()), 2000);
    logEvent(QStringLiteral("station"), QStringLiteral("%1 stopped").arg(m_config.id));
}

} // namespace slm::station
