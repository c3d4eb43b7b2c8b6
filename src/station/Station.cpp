#include "station/Station.h"

#include "station/FrameMeter.h"
#include "station/HealthReporter.h"
#include "station/LimitPublisher.h"
#include "station/MeterPublisher.h"
#include "station/StationLog.h"
#include "station/StationRecording.h"

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
    MeterPublisher* publisher = nullptr;
    LimitPublisher* limits = nullptr; // without a broker: the alarm log alone
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

bool Station::start()
{
    for (const MeterConfig& config : m_config.meters)
        StationRecording::recoverInterrupted(config.name, config.output);

    m_writer = new RecordingWriter;
    for (const MeterConfig& config : m_config.meters) {
        auto recording =
            std::make_unique<StationRecording>(config.name, config.output, config.rotation, config.interval);
        // Told on the writer's thread; the health topic hears of it on this one.
        recording->setGapEnded([this, name = config.name](const RecordingGap& gap) {
            QMetaObject::invokeMethod(
                this, [this, name, gap] { noteGap(name, gap.start, gap.seconds()); }, Qt::QueuedConnection);
        });
        m_writer->recordings.push_back(std::move(recording));
    }
    m_writerThread = new QThread(this);
    m_writer->moveToThread(m_writerThread);
    m_writerThread->start();

    for (const MeterConfig& config : m_config.meters) {
        auto meter = std::make_unique<Meter>();
        meter->index = m_meters.size();
        meter->config = config;
        if (!m_config.broker.host.isEmpty()) {
            meter->publisher = new MeterPublisher(m_config, config, this);
            if (!meter->publisher->start())
                return false;
        } else if (!m_config.limits.isEmpty()) {
            meter->limits = new LimitPublisher(m_config, config, nullptr, this);
            meter->limits->setLimits(m_config.limits, config.events);
        }
        meter->meter = m_factory(config, m_clock, this);
        Meter* raw = meter.get();
        // The writer's thread records each sample, the publisher sends it: neither waits for the other.
        connect(raw->meter, &StationMeter::sampleTaken, this,
                [this, raw](const Sample& sample) { record(*raw, sample); });
        if (raw->limits)
            connect(raw->meter, &StationMeter::sampleTaken, raw->limits, &LimitPublisher::addSample);
        if (raw->publisher) {
            connect(raw->meter, &StationMeter::sampleTaken, raw->publisher, &MeterPublisher::publishSample);
            connect(
                raw->meter, &StationMeter::linkStateChanged, raw->publisher,
                [this, raw](bool up, const QString&) { raw->publisher->publishLink(up, shownPort(*raw)); });
        }
        m_meters.push_back(std::move(meter));
    }
    m_health = new HealthReporter(m_config, m_clock, this);
    for (const auto& meter : m_meters)
        m_health->watch(meter->config, meter->meter, meter->publisher ? meter->publisher->mqtt() : nullptr);
    m_health->start();
    logEvent(QStringLiteral("station"), QStringLiteral("%1 started with %2 %3")
                                            .arg(m_config.id)
                                            .arg(m_meters.size())
                                            .arg(m_meters.size() == 1 ? "meter" : "meters"));
    for (const auto& meter : m_meters)
        meter->meter->start();
    return true;
}

void Station::record(const Meter& meter, const Sample& sample)
{
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer, index = meter.index, sample] { writer->add(index, sample); },
        Qt::QueuedConnection);
}

QString Station::shownPort(const Meter& meter) const
{
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
    // Each publisher sends its last minute, partial, then "offline".
    for (const auto& meter : m_meters) {
        if (meter->publisher)
            meter->publisher->finish();
        if (meter->limits)
            meter->limits->finish();
    }
    logEvent(QStringLiteral("station"), QStringLiteral("%1 stopped").arg(m_config.id));
}

} // namespace slm::station
