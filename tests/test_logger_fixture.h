#pragma once

// A program's worth of services around the logger commands, talking to the simulated meter
// over a real pseudo-terminal.

#include "link/SerialMeterLink.h"
#include "logger/LoggerCommands.h"
#include "shared/PanelState.h"
#include "slm-sim/SimMeter.h"
#include "support/CountingPanelTimers.h"
#include "support/TestServices.h"

#include <QWidget>
#include <memory>

using namespace slm;

namespace loggertest
{

// The meter of most tests: no pacing unless the timing matters, its clock fixed.
inline slmsim::SimOptions quietMeter(bool pacing = false)
{
    slmsim::SimOptions o;
    o.pacing = pacing;
    o.clock = "2026-03-04 08:00:00";
    return o;
}

struct LoggerRig : TestServices<SerialMeterLink> {
    explicit LoggerRig(slmsim::SimOptions options = quietMeter())
        : TestServices(QDateTime(QDate(2026, 3, 4), QTime(8, 0))), meter(options)
    {
        panel.setObjectName(QStringLiteral("Panel"));
        panel.setGeometry(10, 10, 400, 300);
        panel.show();
        if (!meter.start())
            qFatal("simulated meter: %s", meter.lastError().c_str());
        link.setCommPort(QString::fromStdString(meter.ptyPath()));
        link.setSettings(QStringLiteral("38400,n,8,1"));
        if (!link.setPortOpen(true))
            qFatal("cannot open %s", meter.ptyPath().c_str());
        commands = std::make_unique<LoggerCommands>(services, state, timers, &panel);
        // Whatever the meter said while the port opened is not part of the test.
        waiter.waitSeconds(0.05);
        link.flush();
        meter.clearLog();
    }
    ~LoggerRig()
    {
        // The windows go first, then the port, and the meter last.
        commands.reset();
        link.setPortOpen(false);
    }

    slmsim::SimMeter meter;
    PanelState state;
    CountingPanelTimers timers;
    QWidget panel;
    std::unique_ptr<LoggerCommands> commands;
};

} // namespace loggertest
