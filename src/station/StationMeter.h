#pragma once

#include "measurement/Sample.h"

#include <QObject>
#include <QString>

namespace slm::station
{

// One meter as the station sees it: a sample at each sampling tick, and whether the meter
// answers. The station records and publishes what it emits and never talks to the link itself.
class StationMeter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~StationMeter() override = default;

    // Opens the link and starts the ticks; a link that cannot be opened yet is retried.
    virtual void start() = 0;
    // Stops the ticks and closes the link.
    virtual void stop() = 0;
    virtual bool linkUp() const = 0;
    // Where it is: the device, or the simulated meter's terminal.
    virtual QString portText() const = 0;

signals:
    // The sample of one tick, with the frame's range flags and the interval.
    void sampleTaken(const slm::Sample& sample);
    // The meter answers again (up) or fell silent / went away (down); `detail` says why.
    void linkStateChanged(bool up, const QString& detail);
};

} // namespace slm::station
