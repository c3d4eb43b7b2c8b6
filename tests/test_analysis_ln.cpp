// The Ln statistics: classes of the level texts, the class range, the percentile rule, the table
// rows, and the run with its timers and progress caption.
#include "analysis/LnStatistics.h"
#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/TextHelpers.h"
#include "support/CountingPanelTimers.h"

#include <QtTest>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

using namespace slm;

namespace
{

LnResult compute(const QStringList& levels, LnResolution resolution)
{
    return ComputeLnStatistics(std::span<const QString>(levels.begin(), levels.end()), resolution);
}

// Keeps every caption written, so the progress texts can be read back.
class RecordingCaption : public BusyCaption
{
public:
    QString current = QStringLiteral("0117080000.slmm");
    QStringList written;
    int busyOn = 0;
    int busyOff = 0;
    std::function<void()> onCaption;

    QString caption() const override { return current; }
    void setCaption(const QString& text) override
    {
        current = text;
        written << text;
        if (onCaption)
            onCaption();
    }
    void setBusy(bool busy) override { ++(busy ? busyOn : busyOff); }
};

} // namespace

class TestAnalysisLn : public QObject
{
    Q_OBJECT
private slots:
    void levelTextsFallInTheirClasses_data();
    void levelTextsFallInTheirClasses();
    void oddNumbersReadAsTheGeneralReaderDoes();
    void workedExampleAtTenths();
    void wholeDecibelsGiveWholeNumbers();
    void markedRecordsMoveNoPercentile();
    void tableRowsHoldLpInTensAndUnits();
    void singleRecordGivesOneValueEverywhere();
    void nothingToDrawWithoutClassesAboveZero();
    void classesHoldMoreThanSixteenBits();
    void yAxisTopCoversTheHighestCount();
    void runPausesTimersAndShowsProgress();
    void runStopsWhenTheListIsCleared();
};

void TestAnalysisLn::levelTextsFallInTheirClasses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("skipped");
    QTest::addColumn<int>("tenth");
    QTest::addColumn<int>("whole");
    QTest::newRow("plain") << "65.3" << false << 653 << 65;
    QTest::newRow("marker skipped") << "65.3*" << true << 0 << 0;
    QTest::newRow("half to even down") << "65.25" << false << 652 << 65;
    QTest::newRow("half to even up") << "65.75" << false << 658 << 65;
    QTest::newRow("top exactly") << "145.0" << false << 1450 << 145;
    QTest::newRow("above top") << "150.2" << false << 1450 << 145;
    QTest::newRow("overload") << "OL" << false << 1450 << 145;
    QTest::newRow("dashes") << "---" << false << 250 << 25;
    QTest::newRow("below zero") << "-12" << false << 250 << 25;
    QTest::newRow("under range display") << "- - -" << false << 250 << 25;
    // "*" is tested first: a marked overload is still skipped.
    QTest::newRow("marker beats L") << "OL*" << true << 0 << 0;
    // "-" before "L": a text with both counts at 25 dB.
    QTest::newRow("dash beats L") << "L-" << false << 250 << 25;
    QTest::newRow("lower-case l is no overload") << "ol" << false << 0 << 0;
    QTest::newRow("no number") << "XXX" << false << 0 << 0;
    QTest::newRow("leading blanks") << "  70.4" << false << 704 << 70;
    QTest::newRow("just below top") << "144.96" << false << 1450 << 144;
    QTest::newRow("trailing text") << "88.8dB" << false << 888 << 88;
}

void TestAnalysisLn::levelTextsFallInTheirClasses()
{
    QFETCH(QString, text);
    QFETCH(bool, skipped);
    QFETCH(int, tenth);
    QFETCH(int, whole);
    const LnClasses c = classifyLevelText(text);
    QCOMPARE(c.skipped, skipped);
    if (!skipped) {
        QCOMPARE(c.tenthDb, tenth);
        QCOMPARE(c.wholeDb, whole);
    }
    // The same through a whole run: the one record sits in its class at either resolution.
    const LnResult atTenths = compute({text}, LnResolution::TenthDb);
    const LnResult atWhole = compute({text}, LnResolution::WholeDb);
    QCOMPARE(atTenths.classedRecords, std::int64_t(skipped ? 0 : 1));
    QCOMPARE(atTenths.counts.size(), size_t(1451));
    QCOMPARE(atWhole.counts.size(), size_t(146));
    if (!skipped) {
        QCOMPARE(atTenths.counts[size_t(tenth)], std::int64_t(1));
        QCOMPARE(atWhole.counts[size_t(whole)], std::int64_t(1));
    }
}

void TestAnalysisLn::oddNumbersReadAsTheGeneralReaderDoes()
{
    // The count reads the usual level texts in place; every other shape must read as the
    // program's one numeric reader reads it.
    const QStringList texts{".5",
                            "5.",
                            "1.2.3",
                            "+70.1",
                            "7e1",
                            "7e",
                            "70.04999999999999999",
                            "0000000000000000070.1",
                            " \t 99.95",
                            "12345678901234567",
                            QString::fromUtf8("\u0661\u0662"),
                            "65.35",
                            "0.05",
                            "144.95",
                            "70.1*",
                            "OL",
                            "\u00b070.2"};
    for (const QString& t : texts) {
        const double v = numericValue(t);
        const LnClasses c = classifyLevelText(t);
        // The list's own UTF-8 bytes read the same as the text.
        const QByteArray utf8 = t.toUtf8();
        const LnClasses b = classifyLevelText(QByteArrayView(utf8));
        QVERIFY2(b.tenthDb == c.tenthDb && b.wholeDb == c.wholeDb && b.skipped == c.skipped, qPrintable(t));
        if (c.skipped || t.contains(u'L'))
            continue;
        if (v >= 145) {
            QCOMPARE(c.tenthDb, 1450);
            continue;
        }
        QVERIFY2(c.tenthDb == int(roundHalfEven(v * 10)), qPrintable(t));
        QVERIFY2(c.wholeDb == int(std::floor(v)), qPrintable(t));
    }
}

void TestAnalysisLn::workedExampleAtTenths()
{
    const LnResult r = compute({"60.0", "61.0", "62.0", "63.0"}, LnResolution::TenthDb);
    QVERIFY(r.drawable());
    QCOMPARE(r.classedRecords, std::int64_t(4));
    QCOMPARE(r.classMin, 600);
    QCOMPARE(r.classMax, 630);
    QCOMPARE(r.xLabelFormat(), QStringLiteral("*0.1"));
    QCOMPARE(r.values[50], QStringLiteral("61.0"));
    QCOMPARE(r.values[10], QStringLiteral("63.0"));
    QCOMPARE(r.values[90], QStringLiteral("60.0"));
    QCOMPARE(r.values[0], QStringLiteral("63.0"));
    QCOMPARE(r.values[99], QStringLiteral("60.0"));
    // The quarter steps: T = 4 * (99.5 - p) / 100 crosses 1, 2 and 3 at p = 74.5, 49.5, 24.5.
    QCOMPARE(r.values[75], QStringLiteral("60.0"));
    QCOMPARE(r.values[74], QStringLiteral("61.0"));
    QCOMPARE(r.values[49], QStringLiteral("62.0"));
    QCOMPARE(r.values[24], QStringLiteral("63.0"));
    QCOMPARE(r.values[25], QStringLiteral("62.0"));
}

void TestAnalysisLn::wholeDecibelsGiveWholeNumbers()
{
    const LnResult r = compute({"65.25", "65.75", "66.9", "70.0"}, LnResolution::WholeDb);
    QCOMPARE(r.xLabelFormat(), QStringLiteral("0"));
    QCOMPARE(r.counts[65], std::int64_t(2));
    QCOMPARE(r.counts[66], std::int64_t(1));
    QCOMPARE(r.counts[70], std::int64_t(1));
    QCOMPARE(r.classMin, 65);
    QCOMPARE(r.classMax, 70);
    QCOMPARE(r.values[0], QStringLiteral("70"));
    QCOMPARE(r.values[99], QStringLiteral("65"));
    QCOMPARE(r.values[50], QStringLiteral("65"));
    QCOMPARE(r.values[49], QStringLiteral("66"));
    // At tenths the same texts part: 652 and 658.
    const LnResult t = compute({"65.25", "65.75", "66.9", "70.0"}, LnResolution::TenthDb);
    QCOMPARE(t.counts[652], std::int64_t(1));
    QCOMPARE(t.counts[658], std::int64_t(1));
    QCOMPARE(t.values[99], QStringLiteral("65.2"));
}

void TestAnalysisLn::markedRecordsMoveNoPercentile()
{
    const QStringList plain{"50.0", "55.5", "60.1", "72.4", "80.0"};
    QStringList marked = plain;
    marked << "30.0*"
           << "99.9*"
           << "OL*"
           << "-5*";
    for (LnResolution res : {LnResolution::TenthDb, LnResolution::WholeDb}) {
        const LnResult a = compute(plain, res);
        const LnResult b = compute(marked, res);
        QCOMPARE(b.classedRecords, std::int64_t(a.classedRecords));
        QCOMPARE(b.skippedRecords, std::int64_t(4));
        QVERIFY(b.counts == a.counts);
        for (int p = 0; p < 100; ++p)
            QCOMPARE(b.values[size_t(p)], a.values[size_t(p)]);
    }
}

void TestAnalysisLn::tableRowsHoldLpInTensAndUnits()
{
    // 100 records 0.1 dB apart, 40.0 .. 49.9: Lp is the level that p % exceed, so L0 is the
    // highest and each step of p moves one record down.
    QStringList levels;
    for (int i = 0; i < 100; ++i)
        levels << QString::number(40 + i / 10.0, 'f', 1);
    const LnResult r = compute(levels, LnResolution::TenthDb);
    QCOMPARE(r.tableRows.size(), 10);
    for (int row = 0; row < 10; ++row) {
        const QStringList cells = r.tableRows[row].split(QChar(9));
        QCOMPARE(cells.size(), 11);
        QCOMPARE(cells[0], QStringLiteral("L(%1)").arg(row * 10, 2, 10, QLatin1Char('0')));
        for (int c = 0; c < 10; ++c)
            QCOMPARE(cells[c + 1], r.values[size_t(row * 10 + c)]);
    }
    QCOMPARE(r.values[0], QStringLiteral("49.9"));
    QCOMPARE(r.values[99], QStringLiteral("40.0"));
    QCOMPARE(r.values[15], QStringLiteral("48.4"));
    // Second data row, under " 5": L15. Row L(00) starts with L0; row L(90) ends with L99.
    QCOMPARE(r.tableRows[1].split(QChar(9))[6], QStringLiteral("48.4"));
    QVERIFY(r.tableRows[0].startsWith(QStringLiteral("L(00)\t49.9\t")));
    QVERIFY(r.tableRows[9].endsWith(QStringLiteral("\t40.0")));
}

void TestAnalysisLn::singleRecordGivesOneValueEverywhere()
{
    const LnResult r = compute({"XXX*", "77.7"}, LnResolution::TenthDb);
    for (const QString& v : r.values)
        QCOMPARE(v, QStringLiteral("77.7"));
    QCOMPARE(r.classMin, 777);
    QCOMPARE(r.classMax, 777);
}

void TestAnalysisLn::nothingToDrawWithoutClassesAboveZero()
{
    QVERIFY(!compute({}, LnResolution::TenthDb).drawable());
    QVERIFY(!compute({"60.0*", "61*"}, LnResolution::WholeDb).drawable());
    // Texts without a number sit in class 0, which gives no range to draw.
    const LnResult zero = compute({"XXX", "XXX", "0.0"}, LnResolution::TenthDb);
    QVERIFY(!zero.drawable());
    QCOMPARE(zero.counts[0], std::int64_t(3));
    QVERIFY(!lnNothingToDrawMessage().isEmpty());
    // One text above class 0 is enough, and class 0 still counts in the percentiles.
    const LnResult some = compute({"XXX", "XXX", "XXX", "60.0"}, LnResolution::TenthDb);
    QVERIFY(some.drawable());
    QCOMPARE(some.classMin, 600);
    QCOMPARE(some.values[50], QStringLiteral("0.0"));
    QCOMPARE(some.values[0], QStringLiteral("60.0"));
}

void TestAnalysisLn::classesHoldMoreThanSixteenBits()
{
    RecordListModel model;
    const int records = 40000;
    for (int i = 1; i <= records; ++i)
        model.append(QString::number(i), QStringLiteral("2026/01/17 08:00:00"),
                     i % 4 == 0 ? QStringLiteral("71.0") : QStringLiteral("70.0"));
    const LnResult r = ComputeLnStatistics(model, LnResolution::TenthDb);
    QCOMPARE(r.counts[700], std::int64_t(30000));
    QCOMPARE(r.counts[710], std::int64_t(10000));
    const LnResult w = ComputeLnStatistics(model, LnResolution::WholeDb);
    QCOMPARE(w.counts[70], std::int64_t(30000));
    QCOMPARE(w.highestCount, std::int64_t(30000));
    // A class past 32767 must not wrap: all in one class.
    RecordListModel big;
    for (int i = 1; i <= 33000; ++i)
        big.append(QString::number(i), QStringLiteral("2026/01/17 08:00:00"), QStringLiteral("65.0"));
    const LnResult b = ComputeLnStatistics(big, LnResolution::WholeDb);
    QCOMPARE(b.counts[65], std::int64_t(33000));
    QCOMPARE(b.values[0], QStringLiteral("65"));
    QVERIFY(b.yMax >= 33000);
}

void TestAnalysisLn::yAxisTopCoversTheHighestCount()
{
    for (int n : {1, 3, 7, 12, 99, 101, 1234}) {
        QStringList levels;
        for (int i = 0; i < n; ++i)
            levels << QStringLiteral("60.0");
        const LnResult r = compute(levels, LnResolution::TenthDb);
        QVERIFY2(r.yMax >= n && r.yMax <= 2.0 * n + 1, qPrintable(QString::number(r.yMax)));
    }
}

void TestAnalysisLn::runPausesTimersAndShowsProgress()
{
    RecordListModel model;
    for (int i = 1; i <= 8; ++i)
        model.append(QString::number(i), QStringLiteral("2026/01/17 08:00:00"),
                     QString::number(59 + i) + ".0");
    CountingPanelTimers timers;
    RecordingCaption caption;
    QList<bool> timersDuringProgress;
    caption.onCaption = [&] { timersDuringProgress << timers.livePollEnabled(); };
    const std::optional<LnResult> r = runLnStatistics(model, LnResolution::TenthDb, &timers, &caption);
    QVERIFY(r.has_value());
    QCOMPARE(r->classMin, 600);
    QCOMPARE(r->classMax, 670);
    QCOMPARE(timers.switches, (QList<bool>{false, true}));
    QCOMPARE(caption.written.first(), QStringLiteral("12.5% Completed"));
    QVERIFY(caption.written.contains(QStringLiteral("100.0% Completed")));
    QCOMPARE(caption.current, QStringLiteral("0117080000.slmm"));
    QCOMPARE(caption.busyOn, 1);
    QCOMPARE(caption.busyOff, 1);
    QVERIFY(!timersDuringProgress.contains(true));
    QCOMPARE(lnProgressText(1, 3), QStringLiteral("33.3% Completed"));
}

void TestAnalysisLn::runStopsWhenTheListIsCleared()
{
    RecordListModel model;
    for (int i = 1; i <= 5000; ++i)
        model.append(QString::number(i), QStringLiteral("2026/01/17 08:00:00"), QStringLiteral("60.0"));
    CountingPanelTimers timers;
    RecordingCaption caption;
    // A new file opened while the count runs clears the list the run is reading.
    caption.onCaption = [&] {
        if (caption.written.size() == 3)
            model.clear();
    };
    QVERIFY(!runLnStatistics(model, LnResolution::WholeDb, &timers, &caption).has_value());
    QCOMPARE(timers.switches, (QList<bool>{false, true}));
    QCOMPARE(caption.busyOff, 1);
}

QTEST_MAIN(TestAnalysisLn)
#include "test_analysis_ln.moc"
