#include "support/SimPanelRig.h"

using namespace slm;

namespace
{
slmsim::SimOptions meterOptions(const SimPanelOptions& options, const QTemporaryDir& dir)
{
    slmsim::SimOptions sim = options.sim;
    if (options.viaLink)
        sim.linkPath = (dir.path() + QStringLiteral("/meter")).toStdString();
    return sim;
}
} // namespace

SimPanelRig::SimPanelRig(SimPanelOptions o)
    : options(std::move(o)), meter(meterOptions(options, dir)),
      fixedClock(options.fixedTime.value_or(QDateTime(QDate(2026, 1, 1), QTime(12, 0)))),
      services{link,   dialogs, options.fixedTime ? static_cast<Clock&>(fixedClock) : systemClock,
               waiter, lock,    notices}
{
}

SimPanelRig::~SimPanelRig()
{
    // The windows go first, then the port, and the meter last, so nothing reads a closed pty.
    wiring.reset();
    panel.reset();
    session.reset();
    link.setPortOpen(false);
    meter.stop();
}

bool SimPanelRig::start()
{
    if (!meter.start())
        return false;
    state.PortName = options.viaLink ? QString::fromStdString(meterOptions(options, dir).linkPath)
                                     : QString::fromStdString(meter.ptyPath());
    state.PortLabel = QStringLiteral("SIM");
    session = std::make_unique<MeterSession>(services, state);
    panel = std::make_unique<Panel>(state);
    if (options.wiring)
        wiring = std::make_unique<PanelWiring>(*panel, *session, services, state);
    else
        showSessionOnPanel(*session, *panel, services);
    return true;
}

bool SimPanelRig::startUp()
{
    panel->moveToScreenCorner();
    return startSession(*session, dialogs, panel.get());
}
