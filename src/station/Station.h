#pragma once

#include "station/StationClock.h"
#include "station/StationConfig.h"
#include "station/StationMeter.h"

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <vector>

namespace slm::station
{

class HealthReporter;
class RecordingWriter;

// The station: per meter its link, its recording and its publisher, each a subscriber of the
// meter's samples. Recording
// never waits for the broker; the broker never waits for the recording.
class Station : public QObject
{
    Q_OBJECT
public:
    // Makes the meter of one configuration section; the station's default starts the meter on
    // its port or the simulated meter (FrameMeter).
    using MeterFactory =
        std::function<StationMeter*(const MeterConfig&, const StationClock&, QObject* parent)>;

    explicit Station(StationConfig config, QObject* parent = nullptr);
    ~Station() override;

    void setMeterFactory(MeterFactory factory) { m_factory = std::move(factory); }
    // Saves interrupted files, then opens the queues and starts every meter. False when a
    // meter's queue cannot be used.
    bool start();
    // Every file completed and closed, "offline" published, every connection closed.
    void stop();

    const StationClock& clock() const { return m_clock; }
    // A stretch without records (a write the disk refused): on the health topic for an hour.
    void noteGap(const QString& meter, const QDateTime& start, qint64 lengthSeconds);

private:
    struct Meter;
    void record(const Meter& meter, const Sample& sample);
    // A meter whose device is missing has no terminal yet: its state names the one configured.
    QString shownPort(const Meter& meter) const;

    StationConfig m_config;
    StationClock m_clock;
    MeterFactory m_factory;
    std::vector<std::unique_ptr<Meter>> m_meters;
    // The record files are written (and handed to the disk) on a thread of their own, so a slow
    // disk never holds back the samples the broker waits for.
    QThread* m_writerThread = nullptr;
    RecordingWriter* m_writer = nullptr;
    HealthReporter* m_health = nullptr;
    bool m_stopped = false;
};

} // namespace slm::station
