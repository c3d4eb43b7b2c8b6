#pragma once

#include "measurement/Sample.h"

#include <QObject>
#include <QString>

namespace slm::station
{

// What the meter's range byte and status byte say about a sample besides its level.
struct RangeFlags {
    bool over = false;  // over the range in force
    bool below = false; // below it
};

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
    void sampleTaken(const slm::Sample& sample, slm::station::RangeFlags flags);
    // The meter answers again (up) or fell silent / went away (down); `detail` says why.
    void linkStateChanged(bool up, const QString& detail);
};

} // namespace slm::station
