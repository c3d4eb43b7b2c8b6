#pragma once

#include "measurement/RecordFileFormat.h"
#include "measurement/Sample.h"

#include <QObject>

namespace slm
{

// The PC sampling of one meter: the reading as it stands, the sampling interval the toolbar
// sets and its countdown. At each sampling tick every subscriber gets the reading of that tick
// (the maxima follow every tick) and, when the countdown fires, the sample taken.
class Sampling : public QObject
{
    Q_OBJECT
public:
    explicit Sampling(QObject* parent = nullptr);

    // The newest reading, with the interval in force; its time is not used.
    const Sample& reading() const { return m_reading; }
    void setReading(const Sample& reading);

    // Seconds between samples (1 .. 86400).
    int interval() const { return m_interval; }
    // A real-time file's header with the settings in force: the interval, weightings and range
    // (no maximum yet, "XXX" for the running Leq and SEL).
    RealTimeHeader realTimeHeader() const;
    // A new interval counts from now: the first sample comes a full interval later.
    void setInterval(int seconds);
    // Ticks since the last sample; a sample is taken when it reaches the interval.
    int countdown() const { return m_countdown; }
    void restartCountdown() { m_countdown = 0; }

    // One sampling tick at `now`.
    void tick(const QDateTime& now);

signals:
    // Every tick, with the reading stamped with the tick's time.
    void ticked(const Sample& reading);
    // The ticks whose countdown fires, after `ticked`.
    void sampleTaken(const Sample& sample);

private:
    Sample m_reading;
    int m_interval = 1;
    int m_countdown = 0;
};

} // namespace slm
