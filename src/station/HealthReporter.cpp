#include "station/HealthReporter.h"

#include "station/MqttPublisher.h"
#include "station/StationFiles.h"
#include "station/StationMeter.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace slm::station
{

namespace
{
// The first report waits for the meters' first samples.
constexpr int FirstReportMs = 5000;
constexpr int ReportMs = 60000;
} // namespace

HealthReporter::HealthReporter(const StationConfig& config, const StationClock& clock, QObject* parent)
    : QObject(parent), m_config(config), m_clock(clock), m_health(clock.now())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        publish();
        m_timer.start(ReportMs);
    });
}

void HealthReporter::watch(const MeterConfig& config, StationMeter* meter, MqttPublisher* publisher)
{
    const qsizetype index = m_meters.size();
    m_meters.append({config, meter, publisher, std::nullopt});
    connect(meter, &StationMeter::sampleTaken, this,
            [this, index](const Sample& sample) { m_meters[index].lastSample = sample.time; });
}

void HealthReporter::start()
{
    m_timer.start(FirstReportMs);
}

void HealthReporter::noteGap(const QString& meter, const QDateTime& start, qint64 lengthSeconds)
{
    m_health.noteGap(meter, start, lengthSeconds);
}

QByteArray HealthReporter::payload()
{
    QList<StationHealth::MeterState> states;
    for (const Watched& w : m_meters) {
        StationHealth::MeterState s;
        s.name = w.config.name;
        s.lastSample = w.lastSample;
        s.linkUp = w.meter->linkUp();
        s.freeOutputBytes = freeBytes(w.config.output);
        if (w.publisher) {
            const MessageQueue& queue = w.publisher->queue();
            s.queued = queue.size();
            if (queue.size() > 0) {
                const QJsonObject oldest = QJsonDocument::fromJson(queue.messages().front().payload).object();
                s.oldestQueued =
                    QDateTime::fromString(oldest.value(QStringLiteral("time")).toString(), Qt::ISODate);
            }
        }
        states << s;
    }
    return m_health.payload(m_clock.now(), states, freeBytes(m_config.data));
}

void HealthReporter::publish()
{
    if (m_meters.isEmpty() || !m_meters.first().publisher)
        return;
    QStringList levels;
    if (!m_config.broker.prefix.isEmpty())
        levels << m_config.broker.prefix;
    levels << m_config.id << QStringLiteral("health");
    m_meters.first().publisher->publishRetainedMessage(levels.join(u'/').toUtf8(), payload());
}

} // namespace slm::station
