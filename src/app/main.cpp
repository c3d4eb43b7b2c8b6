#include "app/PanelCommandLine.h"
#include "app/PanelPublishing.h"
#include "app/PanelWiring.h"
#include "app/RecoveryOffer.h"
#include "link/LinkLock.h"
#include "link/PortNames.h"
#include "link/SerialMeterLink.h"
#include "link/SimulatorProcess.h"
#include "link/WaitSeconds.h"
#include "live/Panel.h"
#include "meter/MeterSession.h"
#include "port/PortWindow.h"
#include "recording/Recorder.h"
#include "shared/Clock.h"
#include "shared/Dialogs.h"
#include "shared/PanelState.h"
#include "shared/Services.h"
#include "shared/StatusNotices.h"

#include <QApplication>
#include <memory>

using namespace slm;

int main(int argc, char** argv)
{
    // Before the window system starts: "--help" and "--version" need no display.
    if (const std::optional<int> status = answerPanelCommandLine(argc, argv))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("slm-panel"));
    QApplication::setOrganizationName(QStringLiteral("slm-panel"));

    QtDialogs dialogs;
    SystemClock clock;
    EventLoopWaiter waiter;
    SerialMeterLink link;
    LinkLock linkLock;
    StatusNotices notices;
    // The desk serves every window; the line is the meter's, and goes with its session.
    const Desk desk{dialogs, clock};
    const MeterLine line{link, linkLock, waiter, notices};
    Services services = Services::of(line, desk);

    // Before anything else: a recording that a crash or a power cut interrupted.
    offerInterruptedRecording(dialogs, Recorder::defaultWorkingFolder());

    PortWindow port(dialogs);
    if (port.exec() != QDialog::Accepted)
        return 0;

    auto state = std::make_unique<PanelState>();
    const PortChoice choice = resolvePortChoice(port.chosenText());
    state->ComPortNumber = choice.comNumber;
    state->PortName = choice.device;
    state->PortLabel = choice.label;
    SimulatorProcess simulator;
    if (choice.kind == PortChoice::Kind::Simulated)
        state->PortName = simulator.start();

    MeterSession session(line, clock, MeterPort{state->PortName, state->PortLabel});
    Panel panel(*state);
    PanelWiring wiring(panel, session, services, *state);
    QObject::connect(&panel, &Panel::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    panel.show();
    panel.moveToScreenCorner();
    if (!startSession(session, dialogs, &panel))
        return 1;
    // A broker named in the settings receives the meter's samples as a station's would.
    startPanelPublishing(QApplication::arguments().mid(1), session, dialogs, &panel, &session,
                         &wiring.limits());
    return app.exec();
}
