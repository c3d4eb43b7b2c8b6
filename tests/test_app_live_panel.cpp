// The panel against the simulated meter over a real pseudo-terminal.
#include "live/LcdDigits.h"
#include "shared/ClickableLabel.h"
#include "support/SimPanelRig.h"
#include "support/TestServices.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

using namespace slm;

namespace
{
SimPanelOptions panelOn(const slmsim::SimOptions& sim, bool viaLink)
{
    SimPanelOptions o;
    o.sim = sim;
    o.viaLink = viaLink;
    return o;
}

// The panel against a started meter; the QVERIFY ends the test when the meter cannot start.
struct Rig : SimPanelRig {
    explicit Rig(const slmsim::SimOptions& sim, bool viaLink = false) : SimPanelRig(panelOn(sim, viaLink))
    {
        QVERIFY(start());
    }
};

slmsim::SimOptions holding(double level)
{
    slmsim::SimOptions o;
    o.level = level;
    return o;
}
} // namespace

class LiveSimTest : public QObject
{
    Q_OBJECT
private slots:
    void levelReachesThePanelAndThePollSendsNothing()
    {
        Rig rig(holding(63.4));
        QVERIFY(rig.startUp());
        QCOMPARE(rig.com(), QStringLiteral("SIM"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.value(), QStringLiteral("63.4"), 3000);
        QCOMPARE(rig.panel->widgets().shownLCD->text(), QStringLiteral("63.4"));
        rig.meter.setLevel(71.2);
        QTRY_COMPARE_WITH_TIMEOUT(rig.value(), QStringLiteral("71.2"), 3000);
        QTest::qWait(1000);
        QCOMPARE(rig.meter.receivedBytes(), std::string());
        QCOMPARE(rig.meter.protocolErrors(), 0);
        rig.panel->close();
    }

    void silentMeterGivesNoComAndTheLinkComesBack()
    {
        Rig rig(holding(55.0));
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.value(), QStringLiteral("55.0"), 3000);
        rig.meter.setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("No COM"), 3000);
        QCOMPARE(rig.value(), QString());
        QVERIFY(!rig.session->samplingTickEnabled());
        rig.meter.setSilent(false);
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("SIM"), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.value(), QStringLiteral("55.0"), 3000);
        QVERIFY(rig.session->samplingTickEnabled());
        rig.panel->close();
    }

    void vanishedAdapterGivesNoComAndIsOpenedAgain()
    {
        Rig rig(holding(48.8), true);
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.value(), QStringLiteral("48.8"), 3000);
        rig.meter.closeTerminal();
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("No COM"), 3000);
        QTest::qWait(700); // stays lost, and keeps running, while the device is away
        QCOMPARE(rig.com(), QStringLiteral("No COM"));
        QVERIFY(rig.meter.reopenTerminal());
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("SIM"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.value(), QStringLiteral("48.8"), 3000);
        rig.panel->close();
    }

    void lineNoiseIsNeverTakenForAReading()
    {
        Rig rig(holding(60.0));
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.value(), QStringLiteral("60.0"), 3000);
        rig.meter.sendGarbage(10.0);
        QTest::qWait(300); // frames already on the line before the noise
        const int before = rig.session->liveMeter().decodedFrames();
        // Stop looking well before the noise ends.
        QTest::qWait(8000);
        QCOMPARE(rig.session->liveMeter().decodedFrames(), before);
        QTRY_COMPARE_WITH_TIMEOUT(rig.value(), QStringLiteral("60.0"), 4000);
        rig.panel->close();
    }

    void portThatCannotBeOpenedEndsTheStartUp()
    {
        TestServices<SerialMeterLink> platform;
        ScriptedDialogs& dialogs = platform.dialogs;
        Services& services = platform.services;
        PanelState state;
        state.PortName = QStringLiteral("/dev/no-such-meter");
        MeterSession session(services, state);
        QVERIFY(!startSession(session, dialogs, nullptr));
        QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral("No device found, try again!")});
        QVERIFY(!session.livePollEnabled());

        PanelState unchosen; // a text that matched no port
        MeterSession second(services, unchosen);
        QVERIFY(!startSession(second, dialogs, nullptr));
        QCOMPARE(dialogs.messages.size(), 2);
    }

    void portWithoutAMeterShowsNoCom()
    {
        slmsim::SimOptions o;
        o.silent = true;
        Rig rig(o);
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("No COM"), 3000);
        QVERIFY(rig.dialogs.messages.isEmpty());
        rig.panel->close();
    }
};

QTEST_MAIN(LiveSimTest)
#include "test_app_live_panel.moc"
