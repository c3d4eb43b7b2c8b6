// The timed-start period: its parse with the wrap of each field, and the CmdL dialog loop.
#include "link/LinkLock.h"
#include "link/WaitSeconds.h"
#include "live/TimedStart.h"
#include "shared/Clock.h"
#include "shared/Services.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedLink.h"

#include "shared/StatusNotices.h"

#include <QtTest>

using namespace slm;

class TestControlTimedStart : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void textWithoutColonIsRefused();
    void dialogAsksAgainAfterInvalidTextAndStores();
    void emptyAnswerChangesNothing();
    void twoConfirmationsRestoreArmed();
};

void TestControlTimedStart::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("s");
    QTest::addColumn<double>("total");
    QTest::newRow("default") << "00:00:10" << 0 << 0 << 10 << 10.0;
    QTest::newRow("single digits") << "1:2:3" << 1 << 2 << 3 << 3723.0;
    QTest::newRow("wraps") << "25:61:70" << 1 << 1 << 10 << 3670.0;
    QTest::newRow("one colon: no minutes") << "12:34" << 12 << 0 << 34 << 43234.0;
    QTest::newRow("zero") << "0:0:0" << 0 << 0 << 0 << 0.0;
    QTest::newRow("last two digits, then wrap") << "123:175:299" << 23 << 15 << 29 << 83729.0;
    QTest::newRow("seconds are two characters") << "0:0:345" << 0 << 0 << 34 << 34.0;
    QTest::newRow("empty fields are 0") << "::" << 0 << 0 << 0 << 0.0;
    QTest::newRow("text after a number ignored") << "2h:5m:7s" << 2 << 5 << 7 << 7507.0;
    QTest::newRow("negative field is 0") << "-3:-1:5" << 0 << 0 << 5 << 5.0;
}

void TestControlTimedStart::parse()
{
    QFETCH(QString, text);
    QFETCH(int, h);
    QFETCH(int, m);
    QFETCH(int, s);
    QFETCH(double, total);
    const auto p = parseTimedStart(text);
    QVERIFY(p.has_value());
    QCOMPARE(p->hours, h);
    QCOMPARE(p->minutes, m);
    QCOMPARE(p->seconds, s);
    QCOMPARE(p->totalSeconds(), total);
}

void TestControlTimedStart::textWithoutColonIsRefused()
{
    QVERIFY(!parseTimedStart(QStringLiteral("1234")).has_value());
    QVERIFY(!parseTimedStart(QStringLiteral("00.00.10")).has_value());
}

namespace
{
struct Fixture {
    ScriptedLink link;
    ScriptedDialogs dialogs;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(1, 2, 3, 900))};
    EventLoopWaiter waiter;
    LinkLock lock;
    StatusNotices notices;
    Services services{link, dialogs, clock, waiter, lock, notices};
    TimedStartState timedStart;
};
} // namespace

void TestControlTimedStart::dialogAsksAgainAfterInvalidTextAndStores()
{
    Fixture f;
    f.timedStart.elapsed1 = 7;
    f.timedStart.elapsed2 = 9;
    f.dialogs.inputAnswers << QStringLiteral("1234") << QStringLiteral("1:2:3");
    QVERIFY(askTimedStart(f.services, f.timedStart, nullptr));

    QCOMPARE(f.dialogs.inputPrompts.size(), 2);
    for (const QString& asked : f.dialogs.inputPrompts)
        QCOMPARE(asked,
                 QStringLiteral("Set up the willing time period|"
                                "Set up the willing time period to launch. \r\n (hh:nn:ss) |00:00:10"));
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages[0].text, QStringLiteral("Invalid, comply with the data format properly\r\n"));
    QCOMPARE(f.dialogs.messages[0].icon, Dialogs::Icon::Critical);

    QCOMPARE(f.timedStart.periodSeconds, 3723.0);
    QCOMPARE(f.timedStart.elapsed1, 0);
    QCOMPARE(f.timedStart.elapsed2, 0);
    QCOMPARE(f.timedStart.beginSecond, 3723.0f); // 01:02:03.9, fraction dropped
    QVERIFY(f.timedStart.armed);
    QVERIFY(f.link.writes().isEmpty());
}

void TestControlTimedStart::emptyAnswerChangesNothing()
{
    Fixture f;
    f.timedStart.periodSeconds = 55;
    f.timedStart.elapsed1 = 4;
    QVERIFY(!askTimedStart(f.services, f.timedStart, nullptr));
    QCOMPARE(f.dialogs.inputPrompts.size(), 1);
    QCOMPARE(f.timedStart.periodSeconds, 55.0);
    QCOMPARE(f.timedStart.elapsed1, 4);
    QVERIFY(!f.timedStart.armed);
}

void TestControlTimedStart::twoConfirmationsRestoreArmed()
{
    Fixture f;
    f.dialogs.inputAnswers << QStringLiteral("0:0:0") << QStringLiteral("00:00:10");
    QVERIFY(askTimedStart(f.services, f.timedStart, nullptr));
    QVERIFY(f.timedStart.armed);
    QCOMPARE(f.timedStart.periodSeconds, 0.0);
    QVERIFY(askTimedStart(f.services, f.timedStart, nullptr));
    QVERIFY(!f.timedStart.armed);
    QCOMPARE(f.timedStart.periodSeconds, 10.0);
}

QTEST_MAIN(TestControlTimedStart)
#include "test_live_timedstart.moc"
