// The download exchange against a scripted link: exact bytes sent, reply-length checks,
// the messages' cases and the bounds. The simulated meter tests cover the same over a pty.

#include "test_logger_sets.h"

#include "link/MeterLink.h"
#include "link/WaitSeconds.h"
#include "logger/MemoryDownload.h"

#include <QElapsedTimer>
#include <QtTest>
#include <deque>
#include <functional>

using namespace slm;

using namespace loggertest;

namespace
{

// A meter that answers each command from a script; a download block trickles out a few
// bytes per read, or stops after `stallAfter` bytes.
class TrickleLink : public MeterLink
{
public:
    std::function<QByteArray(const QByteArray&)> answer;
    QByteArray sent;
    QByteArray pending;
    int trickle = 1000;
    qsizetype stallAfter = -1;
    qsizetype delivered = 0;

    void setCommPort(const QString&) override {}
    bool setSettings(const QString&) override { return true; }
    bool portOpen() const override { return true; }
    bool setPortOpen(bool) override { return true; }
    void setInputLen(int) override {}
    QByteArray input() override
    {
        qsizetype n = std::min<qsizetype>(trickle, pending.size());
        if (stallAfter >= 0)
            n = std::clamp<qsizetype>(stallAfter - delivered, 0, n);
        const QByteArray out = pending.left(n);
        pending.remove(0, n);
        delivered += n;
        return out;
    }
    int inBufferCount() override { return static_cast<int>(pending.size()); }
    void output(const QByteArray& bytes) override
    {
        sent += bytes;
        pending += answer(bytes);
    }
};

class NoWait : public Waiter
{
public:
    double waited = 0;
    void waitSeconds(double s) override { waited += s; }
};

QByteArray pointerReply(int pointer)
{
    return QByteArray(1, char(pointer >> 16)) + char((pointer >> 8) & 0xff) + char(pointer & 0xff);
}

// A well-behaved meter holding `logged` in a memory of 64 K.
std::function<QByteArray(const QByteArray&)> meterWith(const QByteArray& logged)
{
    return [logged](const QByteArray& cmd) -> QByteArray {
        if (cmd == "A")
            return pointerReply(48 + int(logged.size()));
        if (cmd == "L")
            return QByteArray::fromHex("000100");
        if (cmd == "K")
            return downloadBlock(logged);
        return {};
    };
}

} // namespace

class TestLoggerExchange : public QObject
{
    Q_OBJECT

private slots:
    void listsTheSetsInOrderOfTheExchange()
    {
        TrickleLink link;
        NoWait wait;
        const QByteArray logged = makeSet(setOf(30, 1)) + makeSet(setOf(3, 5));
        link.answer = meterWith(logged);
        link.trickle = 17;
        QList<double> progress;
        int sizeK = 0;
        double freeK = -1;
        MemoryDownload download;
        QObject::connect(&download, &MemoryDownload::sizeKnown, [&](int k, double f) {
            sizeK = k;
            freeK = f;
            QCOMPARE(link.sent, QByteArray("AL")); // the window shows before "K"
        });
        QObject::connect(&download, &MemoryDownload::progress, [&](double p) { progress << p; });
        const DownloadResult r = download.run(link, wait);
        QCOMPARE(int(r.outcome), int(DownloadResult::Outcome::Listed));
        QCOMPARE(link.sent, QByteArray("ALK"));
        QCOMPARE(sizeK, 64);
        QCOMPARE(freeK, (65536.0 - 48 - logged.size()) / 1024.0);
        QCOMPARE(r.image, logged + SetMarker);
        QCOMPARE(r.sets.size(), size_t(2));
        QVERIFY(progress.size() > 5);
        QCOMPARE(progress.last(), 100.0);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    }

    void pointerCases_data()
    {
        QTest::addColumn<int>("pointer");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("below 46") << 45 << int(DownloadResult::Outcome::Error) << QByteArray("A");
        QTest::newRow("46") << 46 << int(DownloadResult::Outcome::NoData) << QByteArray("A");
        QTest::newRow("47") << 47 << int(DownloadResult::Outcome::NoData) << QByteArray("A");
        QTest::newRow("48") << 48 << int(DownloadResult::Outcome::NoData) << QByteArray("A");
        QTest::newRow("beyond the memory")
            << 65537 << int(DownloadResult::Outcome::Error) << QByteArray("AL");
        QTest::newRow("at the memory's end")
            << 65536 << int(DownloadResult::Outcome::Listed) << QByteArray("ALK");
    }

    void pointerCases()
    {
        QFETCH(int, pointer);
        QFETCH(int, outcome);
        QFETCH(QByteArray, sent);
        TrickleLink link;
        NoWait wait;
        link.answer = [pointer](const QByteArray& cmd) -> QByteArray {
            if (cmd == "A")
                return pointerReply(pointer);
            if (cmd == "L")
                return QByteArray::fromHex("000100");
            return downloadBlock(QByteArray(std::max(0, pointer - 48), '\x11'));
        };
        const DownloadResult r = MemoryDownload().run(link, wait);
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(link.sent, sent);
        if (r.outcome == DownloadResult::Outcome::Listed)
            QCOMPARE(r.freeK, 0.0); // under 60 bytes free counts as none
    }

    void wrongLengthsRepeatFromThePointer()
    {
        TrickleLink link;
        NoWait wait;
        const QByteArray logged = makeSet(setOf(3, 1));
        int pointerAsks = 0, sizeAsks = 0;
        auto good = meterWith(logged);
        link.answer = [&](const QByteArray& cmd) -> QByteArray {
            if (cmd == "A" && ++pointerAsks <= 2)
                return "\x01\x02"; // short
            if (cmd == "L" && ++sizeAsks <= 1)
                return "\x00\x01\x00\x00"; // long
            return good(cmd);
        };
        const DownloadResult r = MemoryDownload().run(link, wait);
        QCOMPARE(int(r.outcome), int(DownloadResult::Outcome::Listed));
        QCOMPARE(link.sent, QByteArray("AAALALK"));
    }

    void boundsEndTheExchange_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("pointer reply wrong for ever") << "A";
        QTest::newRow("size reply wrong for ever") << "L";
        QTest::newRow("silent after half the block") << "K";
    }

    void boundsEndTheExchange()
    {
        QFETCH(QString, fault);
        TrickleLink link;
        NoWait wait;
        const QByteArray logged = makeSet(setOf(300, 1));
        auto good = meterWith(logged);
        link.answer = [&](const QByteArray& cmd) -> QByteArray {
            if (cmd == fault.toLatin1() && fault != "K")
                return "\x00";
            return good(cmd);
        };
        if (fault == "K")
            link.stallAfter = logged.size() / 2;
        DownloadBounds bounds;
        bounds.exchangeSeconds = 0.3;
        bounds.silenceSeconds = 0.3;
        QElapsedTimer t;
        t.start();
        const DownloadResult r = MemoryDownload().run(link, wait, {}, bounds);
        QCOMPARE(int(r.outcome), int(DownloadResult::Outcome::Error));
        QVERIFY(t.elapsed() >= 300);
        QVERIFY(t.elapsed() < 3000);
    }

    void cancelStopsTheDownload()
    {
        TrickleLink link;
        NoWait wait;
        link.answer = meterWith(makeSet(setOf(3000, 1)));
        link.trickle = 10;
        int reads = 0;
        MemoryDownload download;
        const DownloadResult r = download.run(link, wait, [&] { return ++reads == 20; });
        QCOMPARE(int(r.outcome), int(DownloadResult::Outcome::Cancelled));
        QVERIFY(r.sets.empty());
    }

    void bytesBeyondTheBlockAreIgnored()
    {
        TrickleLink link;
        NoWait wait;
        const QByteArray logged = makeSet(setOf(3, 1));
        auto good = meterWith(logged);
        link.answer = [&](const QByteArray& cmd) {
            return cmd == "K" ? good(cmd) + QByteArray::fromHex("020015051403") : good(cmd);
        };
        const DownloadResult r = MemoryDownload().run(link, wait);
        QCOMPARE(r.image, logged + SetMarker);
    }
};

QTEST_GUILESS_MAIN(TestLoggerExchange)
#include "test_logger_exchange.moc"
