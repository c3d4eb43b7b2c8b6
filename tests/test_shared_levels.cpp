// The level arithmetic: which texts are levels, Leq and SEL by hand-computable cases, the energy
// sum of a full list, the interval of a list from its times, the panel's running values, and the
// computed percentiles agreeing with the Ln table.
#include "measurement/MeasurementFigures.h"
#include "measurement/RecordListModel.h"

#include <QtTest>
#include <cmath>

using namespace slm;

namespace
{

LevelFigures figuresOf(const QStringList& levels, std::optional<double> interval)
{
    LevelFigureCounter counter;
    for (const QString& t : levels)
        counter.add(QStringView(t));
    return counter.finish(interval);
}

// A list with one record a second from 2026/01/17 23:59:50 on, across midnight.
void fill(RecordListModel& list, const QStringList& levels, int stepSeconds = 1)
{
    const QDateTime start(QDate(2026, 1, 17), QTime(23, 59, 50));
    for (int i = 0; i < levels.size(); ++i)
        list.append(QString::number(i + 1),
                    start.addSecs(qint64(i) * stepSeconds).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                    levels[i]);
}

} // namespace

class TestSharedLevels : public QObject
{
    Q_OBJECT
private slots:
    void textsAreLevelsOnlyWithoutMarks_data();
    void textsAreLevelsOnlyWithoutMarks();
    void leqOfSixtyAndSeventyIs67Point4();
    void tenRecordsOfSixtyAtOneSecondGiveSel70();
    void marksAndTextsAreLeftOutAndCounted();
    void fullListAt140DbNeitherOverflowsNorDropsQuietRecords();
    void listIntervalComesFromItsTimes();
    void unknownIntervalLeavesSelUnknown();
    void computedPercentilesAreTheTablesOwn();
    void runningLevelsStartAfresh();
    void textsOfTheFigures();
};

void TestSharedLevels::textsAreLevelsOnlyWithoutMarks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("value");
    const int level = int(LevelTextKind::Level);
    QTest::newRow("plain") << "65.3" << level << 65.3;
    QTest::newRow("blanks before") << "  70.4" << level << 70.4;
    QTest::newRow("unit after") << "88.8dB" << level << 88.8;
    QTest::newRow("point first") << ".5" << level << 0.5;
    QTest::newRow("whole") << "140" << level << 140.0;
    QTest::newRow("two decimals") << "65.25" << level << 65.25;
    QTest::newRow("paused") << "65.3*" << int(LevelTextKind::Paused) << 0.0;
    QTest::newRow("paused before all") << "--*" << int(LevelTextKind::Paused) << 0.0;
    QTest::newRow("below range") << "- - -" << int(LevelTextKind::BelowRange) << 0.0;
    QTest::newRow("dashes") << "--" << int(LevelTextKind::BelowRange) << 0.0;
    QTest::newRow("negative") << "-12" << int(LevelTextKind::BelowRange) << 0.0;
    QTest::newRow("overload") << "OL" << int(LevelTextKind::Over) << 0.0;
    QTest::newRow("not computed") << "XXX" << int(LevelTextKind::NotLevel) << 0.0;
    QTest::newRow("empty") << "" << int(LevelTextKind::NotLevel) << 0.0;
    QTest::newRow("sign") << "+65" << int(LevelTextKind::NotLevel) << 0.0;
    QTest::newRow("lone point") << "." << int(LevelTextKind::NotLevel) << 0.0;
}

void TestSharedLevels::textsAreLevelsOnlyWithoutMarks()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(double, value);
    // The text as the windows hold it and as the list's bytes: the same answer.
    const QByteArray utf8 = text.toUtf8();
    for (const LevelText& t : {readLevelText(QStringView(text)), readLevelText(QByteArrayView(utf8))}) {
        QCOMPARE(int(t.kind), kind);
        if (kind == int(LevelTextKind::Level))
            QCOMPARE(t.value, value);
    }
}

void TestSharedLevels::leqOfSixtyAndSeventyIs67Point4()
{
    const LevelFigures f = figuresOf({"60.0", "70.0"}, 1.0);
    QVERIFY(f.leq);
    // 10 lg((10^6 + 10^7) / 2) = 67.403..
    QVERIFY(std::abs(*f.leq - 10 * std::log10(5.5e6)) < 1e-9);
    QCOMPARE(figureText(f.leq), QStringLiteral("67.4"));
    QCOMPARE(figureText(f.lmax), QStringLiteral("70.0"));
    QCOMPARE(figureText(f.lmin), QStringLiteral("60.0"));
    // Two seconds of it: + 10 lg 2.
    QCOMPARE(figureText(f.sel), QStringLiteral("70.4"));
    // Levels with more decimals than the table holds go by their exact value.
    const LevelFigures g = figuresOf({"60.05", "60.05"}, 1.0);
    QVERIFY(std::abs(*g.leq - 60.05) < 1e-9);
}

void TestSharedLevels::tenRecordsOfSixtyAtOneSecondGiveSel70()
{
    const LevelFigures f = figuresOf(QStringList(10, QStringLiteral("60.0")), 1.0);
    QCOMPARE(figureText(f.leq), QStringLiteral("60.0"));
    QCOMPARE(figureText(f.sel), QStringLiteral("70.0"));
    QCOMPARE(*f.duration, 10.0);
    QCOMPARE(int(f.levels), 10);
    // The same at 5 s: fifty seconds of 60 dB.
    const LevelFigures five = figuresOf(QStringList(10, QStringLiteral("60.0")), 5.0);
    QVERIFY(std::abs(*five.sel - (60 + 10 * std::log10(50.0))) < 1e-9);
}

void TestSharedLevels::marksAndTextsAreLeftOutAndCounted()
{
    const LevelFigures f = figuresOf({"60.0", "99.9*", "--", "OL", "XXX", "70.0", "- - -"}, 1.0);
    QCOMPARE(int(f.records), 7);
    QCOMPARE(int(f.levels), 2);
    QCOMPARE(int(f.paused), 1);
    QCOMPARE(int(f.other), 4);
    // Only the two levels count: neither the paused 99.9 nor an "OL" raises the maximum.
    QCOMPARE(figureText(f.leq), QStringLiteral("67.4"));
    QCOMPARE(figureText(f.lmax), QStringLiteral("70.0"));
    QCOMPARE(*f.duration, 2.0);
    QCOMPARE(figuresBasisText(f),
             QStringLiteral("from 2 readings every 1 s; 1 paused and 4 other texts left out"));
    // The percentiles class the texts as the table does: the paused one is skipped, the others
    // fall in their classes, so N is 6.
    QCOMPARE(int(f.ln.classedRecords), 6);

    // Nothing but left-out texts: no figure at all, and the counts still tell why.
    const LevelFigures none = figuresOf({"1.0*", "OL"}, 1.0);
    QVERIFY(!none.leq && !none.sel && !none.lmax && !none.lmin && !none.duration);
    QCOMPARE(figureText(none.leq), QStringLiteral("unknown"));
    QCOMPARE(figuresBasisText(none),
             QStringLiteral("from 0 readings every 1 s; 1 paused and 1 other texts left out"));
}

void TestSharedLevels::fullListAt140DbNeitherOverflowsNorDropsQuietRecords()
{
    // 348000 x 10^14 = 3.48e19 is past any 64-bit integer sum.
    LevelFigureCounter loud;
    for (int i = 0; i < 348000; ++i)
        loud.add(QByteArrayView("140.0"));
    const LevelFigures f = loud.finish(1.0);
    QVERIFY(std::abs(*f.leq - 140.0) < 1e-9);
    QVERIFY(std::abs(*f.sel - (140.0 + 10 * std::log10(348000.0))) < 1e-9);
    QCOMPARE(figureText(f.sel), QStringLiteral("195.4"));

    // One loud record first, then quiet ones: a single-precision running sum of 10^14 has no room
    // for the 10^6 of each 60 dB record, yet together they move the Leq by 0.015 dB.
    LevelFigureCounter mixed;
    mixed.add(QByteArrayView("140.0"));
    for (int i = 1; i < 348000; ++i)
        mixed.add(QByteArrayView("60.0"));
    const LevelFigures m = mixed.finish(1.0);
    const long double exact = 10.0L * std::log10((1e14L + 347999.0L * 1e6L) / 348000.0L);
    QVERIFY2(std::abs(double(*m.leq - double(exact))) < 1e-9,
             qPrintable(QString::number(*m.leq, 'g', 17) + " vs " + QString::number(double(exact), 'g', 17)));
    const double withoutQuiet = 10.0 * std::log10(1e14 / 348000.0);
    QVERIFY(*m.leq - withoutQuiet > 0.01);
    QCOMPARE(int(m.levels), 348000);
}

void TestSharedLevels::listIntervalComesFromItsTimes()
{
    // Steps of 5 s, across midnight, with one gap of 10 s and a clock set back: 5 s is the most
    // common step.
    RecordListModel list;
    list.append("1", "2026/01/17 23:59:50", "60.0");
    list.append("2", "2026/01/17 23:59:55", "60.0");
    list.append("3", "2026/01/18 00:00:00", "60.0");
    list.append("4", "2026/01/18 00:00:10", "60.0");
    list.append("5", "2026/01/18 00:00:05", "60.0");
    list.append("6", "not a time", "60.0");
    list.append("7", "2026/01/18 00:00:20", "60.0");
    list.append("8", "2026/01/18 00:00:25", "60.0");
    const LevelFigures f = figuresOfList(list, std::nullopt);
    QCOMPARE(*f.interval, 5.0);
    QCOMPARE(*f.duration, 40.0);
    QVERIFY(std::abs(*f.sel - (60.0 + 10 * std::log10(40.0))) < 1e-9);
    // A given interval wins over the times; one that is no interval does not.
    QCOMPARE(*figuresOfList(list, 2.0).interval, 2.0);
    QCOMPARE(*figuresOfList(list, 0.0).interval, 5.0);

    // A tie goes to the smaller step; the last day of February and of a year are counted right.
    StepCounter tie;
    for (const char* t : {"2024/02/28 23:59:58", "2024/02/29 00:00:00", "2024/02/29 00:00:03",
                          "2024/02/29 00:00:05", "2024/02/29 00:00:08"})
        tie.add(QByteArrayView(t));
    QCOMPARE(*tie.mostCommonStep(), 2.0);
    QCOMPARE(*civilSeconds("2027/01/01 00:00:00") - *civilSeconds("2026/12/31 23:59:59"), 1);
    QCOMPARE(*civilSeconds("1970/01/01 00:00:00"), 0);
    QVERIFY(!civilSeconds("2026/13/01 00:00:00"));
    QVERIFY(!civilSeconds("2026/01/17 8:30:05"));
}

void TestSharedLevels::unknownIntervalLeavesSelUnknown()
{
    RecordListModel list;
    list.append("1", "2026/01/17 08:30:00", "60.0");
    list.append("2", "2026/01/17 08:30:00", "70.0"); // no step forward
    const LevelFigures f = figuresOfList(list, std::nullopt);
    QVERIFY(!f.interval && !f.sel && !f.duration);
    QCOMPARE(figureText(f.leq), QStringLiteral("67.4"));
    QCOMPARE(figureText(f.sel), QStringLiteral("unknown"));
    QCOMPARE(durationText(f.duration), QStringLiteral("unknown"));
    QCOMPARE(figuresBasisText(f), QStringLiteral("from 2 readings, interval unknown; none left out"));
    QVERIFY(!headerInterval(QStringLiteral("")));
    QVERIFY(!headerInterval(QStringLiteral(" 0 ")));
    QCOMPARE(*headerInterval(QStringLiteral(" 60 ")), 60.0);
}

void TestSharedLevels::computedPercentilesAreTheTablesOwn()
{
    // A list with marks, odd texts, halves and a spread of levels: every Lp of the computed
    // figures is the table's, at both resolutions.
    QStringList levels;
    for (int i = 0; i < 997; ++i)
        levels << QString::number(40.0 + (i * 37 % 400) / 10.0, 'f', 1);
    levels << "65.25"
           << "65.75"
           << "OL"
           << "- - -"
           << "XXX"
           << "70.0*"
           << "150.2";
    RecordListModel list;
    fill(list, levels);
    for (LnResolution r : {LnResolution::TenthDb, LnResolution::WholeDb}) {
        const LevelFigures f = figuresOfList(list, 1.0, r);
        const LnResult table = ComputeLnStatistics(list, r);
        for (int p = 0; p < 100; ++p)
            QCOMPARE(f.percentile(p), table.values[size_t(p)]);
    }
    // The worked example of the table: L50 of 60, 61, 62, 63 is 61.0.
    const LevelFigures w = figuresOf({"60.0", "61.0", "62.0", "63.0"}, 1.0);
    QCOMPARE(w.percentile(50), QStringLiteral("61.0"));
    QCOMPARE(w.percentile(10), QStringLiteral("63.0"));
    QCOMPARE(w.percentile(90), QStringLiteral("60.0"));
}

void TestSharedLevels::runningLevelsStartAfresh()
{
    RunningLevels r;
    QCOMPARE(r.leqText(), QStringLiteral("XXX"));
    QCOMPARE(r.selText(), QStringLiteral("XXX"));
    r.add(u"", 1);      // the link was away: no level
    r.add(u"99.0*", 1); // paused
    QCOMPARE(r.leqText(), QStringLiteral("XXX"));
    r.add(u"60.0", 1);
    r.add(u"70.0", 1);
    QCOMPARE(r.leqText(), QStringLiteral("67.4"));
    QCOMPARE(r.selText(), QStringLiteral("70.4"));
    // A sample taken at a longer interval stands for longer: 60 dB for 1 s and 70 dB for 9 s.
    RunningLevels weighted;
    weighted.add(u"60.0", 1);
    weighted.add(u"70.0", 9);
    QCOMPARE(weighted.leqText(), QString::number(10 * std::log10((1e6 + 9e7) / 10), 'f', 1));
    r.clear();
    QCOMPARE(r.leqText(), QStringLiteral("XXX"));
    r.add(u"50.0", 1);
    QCOMPARE(r.leqText(), QStringLiteral("50.0"));
    QCOMPARE(r.selText(), QStringLiteral("50.0"));
}

void TestSharedLevels::textsOfTheFigures()
{
    QCOMPARE(durationText(3590.0), QStringLiteral("00:59:50"));
    QCOMPARE(durationText(2 * 86400.0 + 3 * 3600), QStringLiteral("2 d 03:00:00"));
    QCOMPARE(durationText(0.0), QStringLiteral("00:00:00"));
    LevelFigures f;
    f.levels = 3590;
    f.paused = 8;
    f.other = 2;
    f.interval = 1.0;
    QCOMPARE(figuresBasisText(f),
             QStringLiteral("from 3590 readings every 1 s; 8 paused and 2 other texts left out"));
    f.levels = 1;
    f.paused = 0;
    f.other = 1;
    f.interval = 0.5;
    QCOMPARE(figuresBasisText(f), QStringLiteral("from 1 reading every 0.5 s; 1 other text left out"));
}

QTEST_GUILESS_MAIN(TestSharedLevels)
#include "test_shared_levels.moc"
