// Cutting logger memory into sets and reading one set, without a meter.

#include "test_logger_sets.h"

#include "logger/LoggerMemory.h"
#include "logger/SetDecode.h"
#include "support/RunTests.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace slm;

using namespace loggertest;

namespace
{

std::vector<DataSet> scanLogged(const QByteArray& logged)
{
    return scanLoggerImage(loggerImageFromBlock(downloadBlock(logged)), logged.size());
}

QByteArray demoMemory()
{
    SetSpec paused = setOf(600, 2);
    for (int i = 200; i < 260; ++i)
        paused.records[i] |= 0x8000;
    return makeSet(setOf(30, 1)) + makeSet(paused) + makeSet(setOf(3, 5));
}

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<char>(rng.bounded(256));
    return b;
}

} // namespace

class TestLoggerScan : public QObject
{
    Q_OBJECT

private slots:
    void oneSetOfThreeRecords()
    {
        const QByteArray logged = makeSet(setOf(3, 7));
        QCOMPARE(logged.size(), 64);
        const auto sets = scanLogged(logged);
        QCOMPARE(sets.size(), size_t(1));
        QCOMPARE(sets[0].interval, 7);
        QCOMPARE(sets[0].recordCount, 3);
        QCOMPARE(sets[0].bytes, logged);
    }

    void setsBackToBackEndAtTheEndMark()
    {
        const QByteArray logged = demoMemory();
        const auto sets = scanLogged(logged);
        QCOMPARE(sets.size(), size_t(3));
        QCOMPARE(sets[0].recordCount, 30);
        QCOMPARE(sets[1].recordCount, 600);
        QCOMPARE(sets[1].interval, 2);
        QCOMPARE(sets[2].recordCount, 3);
        QCOMPARE(sets[2].interval, 5);
        QCOMPARE(sets[0].bytes + sets[1].bytes + sets[2].bytes, logged);
    }

    void intervalIsBigEndian()
    {
        const auto sets = scanLogged(makeSet(setOf(2, 0x0102)));
        QCOMPARE(sets.at(0).interval, 258);
    }

    void moreThan255SetsAreAllListed()
    {
        QByteArray logged;
        for (int i = 0; i < 300; ++i)
            logged += makeSet(setOf(1 + i % 4, 1 + i % 9));
        const auto sets = scanLogged(logged);
        QCOMPARE(sets.size(), size_t(300));
        QCOMPARE(sets[299].recordCount, 1 + 299 % 4);
    }

    void damagedMemoryListsTheIntactSets_data()
    {
        QTest::addColumn<QByteArray>("logged");
        QTest::addColumn<QList<int>>("counts");
        const QByteArray a = makeSet(setOf(30, 1)), b = makeSet(setOf(12, 2)), c = makeSet(setOf(3, 5));

        QByteArray firstBroken = a + b + c;
        firstBroken[2] = 'x';
        QTest::newRow("first marker broken") << firstBroken << QList<int>{12, 3};
        QByteArray middleBroken = a + b + c;
        middleBroken[a.size() + 1] = 0;
        QTest::newRow("middle marker broken") << middleBroken << QList<int>{30, 3};
        QByteArray middleWiped = a + b + c;
        middleWiped.replace(a.size(), 4, QByteArray(4, '\xff'));
        QTest::newRow("middle marker wiped") << middleWiped << QList<int>{30, 3};
        QTest::newRow("random bytes before") << randomBytes(37, 1) + a + c << QList<int>{30, 3};
        QTest::newRow("random bytes between, odd") << a + randomBytes(33, 2) + b + c << QList<int>{30, 12, 3};
        QTest::newRow("random bytes between, even")
            << a + randomBytes(40, 3) + b + c << QList<int>{30, 12, 3};
        QTest::newRow("last set cut short, odd") << a + b + c.left(c.size() - 1) << QList<int>{30, 12};
        QTest::newRow("last set cut short, even") << a + b + b.left(b.size() - 10) << QList<int>{30, 12};
        QTest::newRow("last set only a marker") << a + SetMarker << QList<int>{30};
        QTest::newRow("random bytes only") << randomBytes(5000, 4) << QList<int>{};
        QTest::newRow("markers only") << SetMarker.repeated(200) << QList<int>{};
        QTest::newRow("one byte") << QByteArray(1, '\0') << QList<int>{};
        QTest::newRow("nothing") << QByteArray() << QList<int>{};
    }

    void damagedMemoryListsTheIntactSets()
    {
        QFETCH(QByteArray, logged);
        QFETCH(QList<int>, counts);
        const auto sets = scanLogged(logged);
        QList<int> found;
        for (const DataSet& s : sets) {
            QCOMPARE(s.bytes.size(), 2 * s.recordCount + SetOverhead);
            found << s.recordCount;
        }
        QCOMPARE(found, counts);
    }

    void markerAmongTheRecordsDoesNotCutTheSet()
    {
        SetSpec s = setOf(40, 1);
        s.records[10] = 0x0055; // 8.5 dB, then the paused 1075.2 dB word: the marker's bytes
        s.records[11] = 0xAA00;
        const auto sets = scanLogged(makeSet(s) + makeSet(setOf(3, 5)));
        QCOMPARE(sets.size(), size_t(2));
        QCOMPARE(sets[0].recordCount, 40);
    }

    void randomMemoryNeverHangsOrReadsOutside()
    {
        // Memory full of markers and near-markers at every alignment.
        for (quint32 seed = 10; seed < 40; ++seed) {
            QRandomGenerator rng(seed);
            QByteArray logged;
            while (logged.size() < 20000) {
                switch (rng.bounded(4)) {
                case 0:
                    logged += SetMarker;
                    break;
                case 1:
                    logged += makeSet(setOf(1 + rng.bounded(50), 1));
                    break;
                case 2:
                    logged += randomBytes(rng.bounded(1, 9), seed);
                    break;
                default:
                    logged += makeSet(setOf(5, 1)).left(rng.bounded(1, 70));
                    break;
                }
            }
            for (const DataSet& s : scanLogged(logged))
                QVERIFY(s.recordCount >= 1);
        }
    }
};

class TestSetDecode : public QObject
{
    Q_OBJECT

private slots:
    void recordsAndFields()
    {
        SetSpec s = setOf(3, 5);
        s.status = 0x60 | 0x01; // AA, SLOW
        s.range = 0x00;         // 80-140
        s.records = {1300, 0x8000 | 655, 7};
        s.maxWord = 1300;
        s.peakWord = 0x8000 | 1410;
        const DataSet set = scanLogged(makeSet(s)).at(0);
        const SetDecoder d(set, LiveReading{}, 2026);
        QCOMPARE(d.startText(), QStringLiteral("2013/01/17 08:30:00"));
        const RecordRow r2 = d.record(2);
        QCOMPARE(r2.number, QStringLiteral("2"));
        QCOMPARE(r2.dateTime, QStringLiteral("2013/01/17 08:30:05"));
        QCOMPARE(r2.level, QStringLiteral("65.5*"));
        QCOMPARE(d.record(1).level, QStringLiteral("130.0"));
        QCOMPARE(d.record(3).level, QStringLiteral(".7"));
        const SetFields f = d.fields();
        QCOMPARE(f.freqWeight, QStringLiteral("20-200Hz Filter"));
        QCOMPARE(f.timeWeight, QStringLiteral("SLOW"));
        QCOMPARE(f.levelRange, QStringLiteral("80-140"));
        QCOMPARE(f.maxDb, QStringLiteral("130.0"));
        QCOMPARE(f.maxTime, QStringLiteral("2013/01/17 08:30:01"));
        QCOMPARE(f.peakDb, QStringLiteral("141.0*"));
        QCOMPARE(f.peakTime, QStringLiteral("2013/01/17 08:30:02"));
    }

    void timesRunAcrossMidnightAndMonthEnds_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("expected");
        QTest::newRow("next day") << QDateTime(QDate(2013, 5, 6), QTime(23, 59, 58)) << 5 << 2
                                  << "2013/05/07 00:00:03";
        QTest::newRow("month end") << QDateTime(QDate(2013, 4, 30), QTime(23, 59, 0)) << 60 << 3
                                   << "2013/05/01 00:01:00";
        QTest::newRow("leap day") << QDateTime(QDate(2012, 2, 28), QTime(23, 0, 0)) << 3600 << 2
                                  << "2012/02/29 00:00:00";
        QTest::newRow("year end") << QDateTime(QDate(2013, 12, 31), QTime(23, 59, 59)) << 1 << 2
                                  << "2014/01/01 00:00:00";
        // Every second counts once, whatever the PC's daylight-saving rules.
        QTest::newRow("spring forward")
            << QDateTime(QDate(2013, 3, 31), QTime(1, 59, 59)) << 1 << 2 << "2013/03/31 02:00:00";
    }

    void timesRunAcrossMidnightAndMonthEnds()
    {
        QFETCH(QDateTime, start);
        QFETCH(int, interval);
        QFETCH(int, record);
        QFETCH(QString, expected);
        SetSpec s = setOf(3, interval);
        s.start = start;
        const DataSet set = scanLogged(makeSet(s)).at(0);
        QCOMPARE(SetDecoder(set, LiveReading{}, 2026).record(record).dateTime, expected);
    }

    void centuryComesFromThePcYear()
    {
        const DataSet set = scanLogged(makeSet(setOf(3, 1))).at(0); // year byte 0x13
        QCOMPARE(SetDecoder(set, LiveReading{}, 2026).startText().left(4), QStringLiteral("2013"));
        QCOMPARE(SetDecoder(set, LiveReading{}, 2126).record(1).dateTime.left(4), QStringLiteral("2113"));
    }

    void unusedRangeIndexKeepsThePanelsRange()
    {
        SetSpec s = setOf(3, 1);
        s.range = 0x86;
        const DataSet set = scanLogged(makeSet(s)).at(0);
        LiveReading panel;
        panel.RangeLow = 30;
        panel.RangeHigh = 90;
        QCOMPARE(SetDecoder(set, panel, 2026).fields().levelRange, QStringLiteral("30-90"));
    }

    void maximumTimeShowsItsBcdDigitsAsTheyAre()
    {
        QByteArray bytes = makeSet(setOf(3, 1));
        const int maxAt = 2 * 3 + 8 + 12;
        bytes[maxAt] = 0x5a; // not a BCD second
        const DataSet set{bytes, 1, 3};
        QCOMPARE(SetDecoder(set, LiveReading{}, 2026).fields().maxTime,
                 QStringLiteral("2013/01/17 08:30:5A"));
    }
};

int main(int argc, char** argv)
{
    return runTests<TestLoggerScan, TestSetDecode>(argc, argv);
}

#include "test_logger_scan.moc"
