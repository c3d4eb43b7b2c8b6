#pragma once

// A program's worth of services around the logger commands, talking to the simulated meter
// over a real pseudo-terminal.

#include "link/LinkLock.h"
#include "link/SerialMeterLink.h"
#include "link/WaitSeconds.h"
#include "logger/LoggerCommands.h"
#include "shared/Clock.h"
#include "shared/PanelState.h"
#include "shared/PanelTimers.h"
#include "shared/Services.h"
#include "slm-sim/SimMeter.h"
#include "support/ScriptedDialogs.h"

#include <QWidget>
#include <memory>

namespace loggertest
{

// The panel's timers as switches, with every change remembered.
class SwitchTimers : public PanelTimers
{
public:
    bool on = true;
    QList<bool> changes;
    void setTimersEnabled(bool enabled) override
    {
        on = enabled;
        changes << enabled;
    }
    bool livePollEnabled() const override { return on; }
    bool samplingTickEnabled() const override { return on; }
};

// The meter of most tests: no pacing unless the timing matters, its clock fixed.
inline slmsim::SimOptions quietMeter(bool pacing = false)
{
    slmsim::SimOptions o;
    o.pacing = pacing;
    o.clock = "2026-03-04 08:00:00";
    return o;
}

struct LoggerRig {
    explicit LoggerRig(slmsim::SimOptions options = quietMeter())
        : meter(options), services{link, dialogs, clock, waiter, lock}
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

    slmsim::SimMeter meter;
    SerialMeterLink link;
    ScriptedDialogs dialogs;
    FixedClock clock{QDateTime(QDate(2026, 3, 4), QTime(8, 0))};
    EventLoopWaiter waiter;
    LinkLock lock;
    Services services;
    PanelState state;
    SwitchTimers timers;
    QWidget panel;
    std::unique_ptr<LoggerCommands> commands;
};

} // namespace loggertest
