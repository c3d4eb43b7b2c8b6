// Clicks and closes that land inside another handler's wait: the live poll's, a key's
// attention, the download's last read, the link recovery.

#include "test_logger_sets.h"

#include "app/PanelWiring.h"
#include "link/ExchangeScope.h"
#include "link/LinkLock.h"
#include "link/SerialMeterLink.h"
#include "link/WaitSeconds.h"
#include "live/MeterKeys.h"
#include "live/Panel.h"
#include "logger/LoggerCommands.h"
#include "logger/MemoryWindow.h"
#include "meter/MeterSession.h"
#include "settings/Setup.h"
#include "settings/ToolbarCommands.h"
#include "shared/ClickableLabel.h"
#include "shared/Clock.h"
#include "shared/PanelState.h"
#include "shared/PanelTimers.h"
#include "shared/Services.h"
#include "shared/StatusNotices.h"
#include "slm-sim/SimMeter.h"
#include "support/CountingPanelTimers.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedLink.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace slm;

namespace
{

struct SimRig {
    SimRig()
    {
        slmsim::SimOptions o;
        o.level = 61.0;
        meter = std::make_unique<slmsim::SimMeter>(o);
        if (!meter->start())
            qFatal("simulated meter did not start");
        state.PortName = QString::fromStdString(meter->ptyPath());
        state.PortLabel = QStringLiteral("SIM");
        session = std::make_unique<MeterSession>(services, state);
        panel = std::make_unique<Panel>(state);
        showSessionOnPanel(*session, *panel, services);
    }
    bool startUp() { return startSession(*session, dialogs, panel.get()); }
    QString com() const { return panel->widgets().lblCOM->text(); }

    std::unique_ptr<slmsim::SimMeter> meter;
    ScriptedDialogs dialogs;
    SystemClock clock;
    EventLoopWaiter waiter;
    SerialMeterLink link;
    LinkLock lock;
    StatusNotices notices;
    Services services{link, dialogs, clock, waiter, lock, notices};
    PanelState state;
    std::unique_ptr<MeterSession> session;
    std::unique_ptr<Panel> panel;
};

// Runs action once, right after the next live frame was decoded: between two frames.
void betweenFrames(SimRig& rig, const std::function<void()>& action)
{
    bool done = false;
    const int frames = rig.session->liveMeter().decodedFrames();
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!done && rig.session->liveMeter().decodedFrames() != frames) {
            done = true;
            action();
        }
    });
    probe.start();
    QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
}

// A wait that runs a test's step instead of sleeping (events still run).
class StepWaiter : public Waiter
{
public:
    std::function<void()> onWait;
    void waitSeconds(double) override
    {
        QCoreApplication::processEvents();
        if (onWait)
            onWait();
    }
};

// The logger commands over a scripted link, without a panel.
struct LoggerRig {
    ScriptedLink link;
    ScriptedDialogs dialogs;
    FixedClock clock;
    StepWaiter waiter;
    LinkLock lock;
    StatusNotices notices;
    Services services{link, dialogs, clock, waiter, lock, notices};
    PanelState state;
    CountingPanelTimers timers;
    QWidget panel;
    LoggerCommands commands{services, state, timers, &panel};
};

} // namespace

class TestReviewRaces : public QObject
{
    Q_OBJECT

private slots:
    // Frames are taken as they arrive; a key or a toolbar command clicked between two of them
    // is sent, and the frames are taken again afterwards.
    void clicksBetweenFramesAreSent()
    {
        SimRig rig;
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel->widgets().lblValue->text(), QStringLiteral("61.0"), 3000);
        QStringList statuses;
        QObject::connect(&rig.notices, &StatusNotices::posted, [&](const QString& s) { statuses << s; });
        MeterKeys keys(rig.services);
        ToolbarCommands toolbar(rig.services, rig.state, *rig.session, rig.session->sampling(),
                                rig.panel.get());

        rig.meter->clearLog();
        bool pressed = false;
        betweenFrames(rig, [&] { pressed = keys.press(MeterCommands::Key::Down); });
        QVERIFY(pressed);
        betweenFrames(rig, [&] { toolbar.run(QStringLiteral("AC")); });
        QCOMPARE(statuses, QStringList());
        const std::string sent = rig.meter->receivedBytes();
        QVERIFY(sent.find(std::string("K\0\0\x0a", 4)) != std::string::npos);
        QCOMPARE(sent.back(), 'G');
        QCOMPARE(rig.meter->protocolErrors(), 0);
        QVERIFY(rig.session->livePollEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel->widgets().boardLevel->text(), QStringLiteral("40-100"), 3000);
        QCOMPARE(rig.com(), QStringLiteral("SIM"));
        rig.panel->close();
    }

    // A command that switches the timers back on while the meter is lost leaves the sampling
    // tick off: it would list (and record) the last reading as if it were live.
    void timersOnDuringTheRecoveryKeepTheSamplingTickOff()
    {
        SimRig rig;
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel->widgets().lblValue->text(), QStringLiteral("61.0"), 3000);
        rig.meter->setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("No COM"), 3000);
        QVERIFY(!rig.session->samplingTickEnabled());
        rig.session->setTimersEnabled(false);
        rig.session->setTimersEnabled(true);
        QVERIFY(rig.session->livePollEnabled());
        QVERIFY(!rig.session->samplingTickEnabled());
        rig.meter->setSilent(false);
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("SIM"), 3000);
        QVERIFY(rig.session->samplingTickEnabled());
        rig.panel->close();
    }

    // Closing the panel closes the clock window, whose unload switches the panel's timers on:
    // they stay off, the program is ending.
    void closingThePanelWithTheClockWindowOpenLeavesTheTimersOff()
    {
        SimRig rig;
        QVERIFY(rig.startUp());
        auto* clock = new Setup(rig.services, *rig.session, rig.panel.get());
        clock->show();
        rig.panel->close();
        QVERIFY(!clock->isVisible());
        QVERIFY(!rig.session->livePollEnabled());
        QVERIFY(!rig.session->samplingTickEnabled());
    }

    // The user closes the "Data Logger" window while the last bytes of the block come in:
    // "Memory" works again afterwards.
    void memoryWindowClosedDuringTheLastRead()
    {
        const QByteArray logged = loggertest::makeSet(loggertest::setOf(3, 7));
        const int pointer = 48 + logged.size();
        LoggerRig r;
        ScriptedLink& link = r.link;
        link.respond = [&](const QByteArray& w) -> QByteArray {
            if (w == "A")
                return QByteArray("\x00\x00", 2) + char(pointer);
            if (w == "L")
                return QByteArray("\x00\x01\x00", 3);
            return {};
        };
        ScriptedDialogs& dialogs = r.dialogs;
        StepWaiter& waiter = r.waiter;
        PanelState& state = r.state;
        CountingPanelTimers& timers = r.timers;
        LoggerCommands& commands = r.commands;
        waiter.onWait = [&] {
            if (link.written().endsWith('K') && commands.memoryWindow() &&
                commands.memoryWindow()->isVisible()) {
                commands.memoryWindow()->close();
                link.feed(char(0x02) + logged + char(0x03));
            }
        };
        commands.memory();
        QVERIFY(!commands.memoryFormOpen());
        QVERIFY(timers.livePollEnabled());
        QVERIFY(dialogs.messages.isEmpty());

        waiter.onWait = nullptr;
        link.clearWrites();
        link.respond = [&](const QByteArray& w) -> QByteArray {
            return w == "A" ? QByteArray(3, '\0') : QByteArray();
        };
        commands.memory(); // pointer 0: tried, and answered
        QCOMPARE(link.written(), QByteArray("A"));
    }

    // A key press still waiting for its acknowledgement holds the link: "Memory" and "Erase"
    // clicked then send nothing and say so, and leave the timers as they were.
    void memoryAndEraseWhileAKeyHoldsTheLink()
    {
        LoggerRig r;
        ScriptedLink& link = r.link;
        ScriptedDialogs& dialogs = r.dialogs;
        PanelState& state = r.state;
        CountingPanelTimers& timers = r.timers;
        LoggerCommands& commands = r.commands;
        QStringList statuses;
        QObject::connect(&r.notices, &StatusNotices::posted, [&](const QString& s) { statuses << s; });
        dialogs.confirmAnswers << true;
        {
            LinkLock::Hold keyWaiting(r.lock);
            commands.memory();
            commands.erase();
        }
        QCOMPARE(link.written(), QByteArray());
        QVERIFY(!commands.memoryFormOpen());
        QVERIFY(timers.livePollEnabled());
        QCOMPARE(statuses, (QStringList{ExchangeScope::busyText(), ExchangeScope::busyText()}));
    }
};

QTEST_MAIN(TestReviewRaces)
#include "test_app_races.moc"
