#pragma once

#include "app/PanelWiring.h"
#include "link/LinkLock.h"
#include "link/SerialMeterLink.h"
#include "link/WaitSeconds.h"
#include "live/Panel.h"
#include "meter/MeterSession.h"
#include "shared/ClickableLabel.h"
#include "shared/Clock.h"
#include "shared/PanelState.h"
#include "shared/Services.h"
#include "shared/StatusNotices.h"
#include "slm-sim/SimMeter.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QDateTime>
#include <QTemporaryDir>
#include <memory>
#include <optional>

using namespace slm;

struct SimPanelOptions {
    slmsim::SimOptions sim;
    // The panel opens a symbolic link to the pty, as to an adapter that can vanish and come back.
    bool viaLink = false;
    // Also the graphs, the list and the recorder around the panel.
    bool wiring = false;
    // The program's clock stands at this time; without it the system clock runs.
    std::optional<QDateTime> fixedTime;
};

// The panel against the simulated meter over a real pseudo-terminal, with scripted dialogs.
// start() starts the meter and builds the session and the panel on port "SIM"; showing it and
// starting the session (startUp()) stay with the test.
struct SimPanelRig {
    explicit SimPanelRig(SimPanelOptions options = {});
    ~SimPanelRig();
    SimPanelRig(const SimPanelRig&) = delete;
    SimPanelRig& operator=(const SimPanelRig&) = delete;

    // False when the meter did not start (meter.lastError() says why).
    bool start();
    // The program's start-up: the panel to the screen's corner, the port opened, the timers on.
    bool startUp();
    QString value() const { return panel->widgets().lblValue->text(); }
    QString com() const { return panel->widgets().lblCOM->text(); }
    // The panel's toolbar button of this key ("Save", "Open", ... "Refresh").
    QAction* tool(const char* key) const
    {
        return panel->widgets().toolButtons.value(QString::fromLatin1(key));
    }

    const SimPanelOptions options;
    QTemporaryDir dir; // for the symbolic link and the test's own files
    slmsim::SimMeter meter;
    SerialMeterLink link;
    ScriptedDialogs dialogs;
    FixedClock fixedClock;
    SystemClock systemClock;
    EventLoopWaiter waiter;
    LinkLock lock;
    StatusNotices notices;
    Services services;
    PanelState state;
    std::unique_ptr<MeterSession> session;
    std::unique_ptr<Panel> panel;
    std::unique_ptr<PanelWiring> wiring;
};
