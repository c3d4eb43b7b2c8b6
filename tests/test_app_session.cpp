// The meter session on its own, against the simulated meter: what it announces over a start, a
// lost link and the meter's return.
#include "support/SimPanelRig.h"

#include <QSignalSpy>
#include <QtTest>

using namespace slm;

class TestMeterSession : public QObject
{
    Q_OBJECT
private slots:
    // One loss is announced once, however long the meter stays away; no sampling tick runs
    // meanwhile, and both come back with the meter.
    void aLostLinkIsAnnouncedOnceAndTheTickWaitsForTheMeter()
    {
        SimPanelOptions o;
        o.sim.level = 58.0;
        SimPanelRig rig(o);
        QVERIFY(rig.start());
        MeterSession& session = *rig.session;
        QSignalSpy labels(&session, &MeterSession::comLabelChanged);
        QSignalSpy lost(&session, &MeterSession::linkLost);
        QSignalSpy ticks(&session, &MeterSession::samplingTick);
        QSignalSpy frames(&session, &MeterSession::readingDecoded);
        QVERIFY(rig.startUp());
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() >= 2, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 1, 3000);

        rig.meter.setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("No COM"), 3000);
        QVERIFY(session.recovering());
        QVERIFY(rig.value().isEmpty()); // the last level is not left standing
        const int ticksWhileLost = ticks.count();
        QTest::qWait(2500);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(ticks.count(), ticksWhileLost);
        QVERIFY(!session.samplingTickEnabled());

        rig.meter.setSilent(false);
        QTRY_COMPARE_WITH_TIMEOUT(rig.com(), QStringLiteral("SIM"), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() > ticksWhileLost, 3000);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(labels.count(), 3);
        QCOMPARE(labels.at(0).at(0).toString(), QStringLiteral("SIM"));
        QCOMPARE(labels.at(1).at(0).toString(), QStringLiteral("No COM"));
        QCOMPARE(labels.at(2).at(0).toString(), QStringLiteral("SIM"));
        rig.panel->close();
    }

    // The end of the program: timers off for good, the listeners told before the waits end.
    void shutDownStopsTheTimersForGood()
    {
        SimPanelRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.startUp());
        bool waitsRunningAtTheEnd = false;
        connect(rig.session.get(), &MeterSession::aboutToEnd, this,
                [&] { waitsRunningAtTheEnd = !rig.waiter.cancelled(); });
        rig.panel->close();
        QVERIFY(waitsRunningAtTheEnd);
        QVERIFY(rig.waiter.cancelled());
        rig.session->setTimersEnabled(true);
        QVERIFY(!rig.session->livePollEnabled());
        QVERIFY(!rig.session->samplingTickEnabled());
    }
};

QTEST_MAIN(TestMeterSession)
#include "test_app_session.moc"
