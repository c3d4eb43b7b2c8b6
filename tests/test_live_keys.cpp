// The meter keys over a scripted link: attention first, the key command after, and the bound.
#include "link/ExchangeScope.h"
#include "link/MeterCommands.h"
#include "live/MeterKeys.h"
#include "support/ScriptedLink.h"
#include "support/TestServices.h"

#include <QtTest>

using namespace slm;

using MeterCommands::Key;

namespace
{
struct Fixture : TestServices<ScriptedLink> {
    Fixture()
    {
        QObject::connect(&notices, &StatusNotices::posted, [this](const QString& s) { statuses << s; });
    }
    QStringList statuses;
    MeterKeys keys{services};
};

const QByteArray LiveFrame = QByteArray::fromHex("0203100258"
                                                 "03");
} // namespace

class TestControlKeys : public QObject
{
    Q_OBJECT
private slots:
    void everyKeyAfterAttention_data();
    void everyKeyAfterAttention();
    void attentionRetriesUntilAckIsNewest();
    void silentMeterGivesUpAfterBound();
    void pressWhileLinkBusyIsDropped();
};

void TestControlKeys::everyKeyAfterAttention_data()
{
    QTest::addColumn<int>("code");
    for (int code = 1; code <= 10; ++code)
        QTest::newRow(qPrintable(QString::number(code))) << code;
}

void TestControlKeys::everyKeyAfterAttention()
{
    QFETCH(int, code);
    Fixture f;
    f.link.respond = [](const QByteArray& w) { return w == "A" ? MeterCommands::AckFrame : QByteArray(); };
    QVERIFY(f.keys.press(static_cast<Key>(code)));
    QByteArray key("K\0\0", 3);
    key.append(static_cast<char>(code));
    QCOMPARE(f.link.writes(), (QList<QByteArray>{"A", key}));
    QVERIFY(f.statuses.isEmpty());
    QVERIFY(!f.lock.busy());
}

void TestControlKeys::attentionRetriesUntilAckIsNewest()
{
    // The meter streams frames; only the third "A" finds the acknowledgement newest.
    Fixture f;
    int asked = 0;
    f.link.respond = [&](const QByteArray& w) {
        if (w != "A")
            return QByteArray();
        ++asked;
        return asked < 3 ? MeterCommands::AckFrame + LiveFrame : LiveFrame.right(3) + MeterCommands::AckFrame;
    };
    QVERIFY(f.keys.press(Key::Down));
    QCOMPARE(f.link.writes(), (QList<QByteArray>{"A", "A", "A", QByteArray::fromHex("4b00000a")}));
}

void TestControlKeys::silentMeterGivesUpAfterBound()
{
    Fixture f;
    int ticks = 0;
    QTimer poll; // stands in for the live poll: it keeps ticking, and skips while the link is held
    int skipped = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ++ticks;
        if (f.lock.busy())
            ++skipped;
    });
    poll.start(200);
    QElapsedTimer t;
    t.start();
    QVERIFY(!f.keys.press(Key::Up));
    const qint64 ms = t.elapsed();
    QVERIFY2(ms >= 5000 && ms < 6500, qPrintable(QString::number(ms)));
    QVERIFY(ticks >= 20 && skipped == ticks);
    QCOMPARE(f.statuses, QStringList{MeterKeys::givenUpText()});
    for (const QByteArray& w : f.link.writes())
        QCOMPARE(w, QByteArray("A")); // no key command after giving up
    QVERIFY(!f.lock.busy());
    QTest::qWait(450);
    QVERIFY(ticks > skipped); // polling again
}

void TestControlKeys::pressWhileLinkBusyIsDropped()
{
    Fixture f;
    LinkLock::Hold other(f.lock);
    QVERIFY(!f.keys.press(Key::AC));
    QVERIFY(f.link.writes().isEmpty());
    QCOMPARE(f.statuses, QStringList{ExchangeScope::busyText()});
}

QTEST_MAIN(TestControlKeys)
#include "test_live_keys.moc"
