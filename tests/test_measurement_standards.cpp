// The assessments that standards ask for, each against figures worked out by hand: the residual
// correction, the rating level, the construction thresholds, the background and rating background
// levels, CNEL and the counts of events above a level; the interval table's percentiles, and the
// counts above as the event table finds the events; every table asked together as each alone.
#include "measurement/AssessmentEvents.h"
#include "measurement/BackgroundLevels.h"
#include "measurement/CnelAndCounts.h"
#include "measurement/ConstructionThresholds.h"
#include "measurement/ResidualRating.h"
#include "measurement/StandardsRun.h"

#include <QtTest>

using namespace slm;

namespace
{

// 2026-03-02 is a Monday; its civil day number.
const std::int64_t Monday = QDate(1970, 1, 1).daysTo(QDate(2026, 3, 2));

RecordSample level(std::int64_t t, double dB)
{
    RecordSample s;
    s.time = t;
    s.kind = LevelTextKind::Level;
    s.tenths = std::int16_t(std::lround(dB * 10));
    s.value = float(dB);
    return s;
}

// A record whose level text has two decimals: no whole tenths.
RecordSample twoDecimals(std::int64_t t, double dB)
{
    RecordSample s = level(t, dB);
    s.tenths = -1;
    return s;
}

// Two days every 10 s, the level rising and falling between 45 and 75 dB.
std::vector<RecordSample> twoWavyDays()
{
    std::vector<RecordSample> s;
    for (int i = 0; i < 17280; ++i)
        s.push_back(level(Monday * 86400 + i * 10, 45 + std::abs(i % 600 - 300) / 10.0));
    return s;
}

// A 15-minute row with its L90, fully covered.
HourRow quarter(std::int64_t start, double l90)
{
    HourRow r;
    r.start = start;
    r.l90 = l90;
    r.coverage = 100;
    r.levels = 900;
    return r;
}

// A column of the current data row.
template <class T> T fetched(const char* name)
{
    return *static_cast<T*>(QTest::qData(name, qMetaTypeId<T>()));
}

} // namespace

class StandardsTest : public QObject
{
    Q_OBJECT
private slots:
    void residualCorrection_data()
    {
        QTest::addColumn<double>("ambient");
        QTest::addColumn<double>("residual");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("specific");
        QTest::newRow("4 dB margin") << 52.0 << 48.0 << int(ResidualCase::Corrected) << "49.8";
        QTest::newRow("10 dB margin") << 55.0 << 45.0 << int(ResidualCase::Corrected) << "54.5";
        QTest::newRow("10 dB from tenths") << 55.1 << 45.1 << int(ResidualCase::Corrected) << "54.6";
        QTest::newRow("above 10 dB") << 60.0 << 49.9 << int(ResidualCase::Negligible) << "60.0";
        QTest::newRow("2 dB margin") << 50.0 << 48.0 << int(ResidualCase::Bounded) << "<= 50.0";
        QTest::newRow("3 dB margin") << 51.0 << 48.0 << int(ResidualCase::Bounded) << "<= 51.0";
    }
    void residualCorrection()
    {
        QFETCH(double, ambient);
        QFETCH(double, residual);
        const ResidualCorrection c = correctForResidual(ambient, residual);
        QCOMPARE(int(c.kind), fetched<int>("kind"));
        QCOMPARE(specificLevelText(c), fetched<QString>("specific"));
    }

    void ratingLevel_data()
    {
        QTest::addColumn<double>("onTime");
        QTest::addColumn<int>("tonal");
        QTest::addColumn<int>("impulsive");
        QTest::addColumn<double>("rating");
        QTest::addColumn<int>("excessRounded");
        QTest::addColumn<QString>("indication");
        // Ls 50 dB over Tr 1 h, background 40 dB.
        QTest::newRow("whole hour") << 3600.0 << 0 << 0 << 50.0 << 10
                                    << "a likely significant adverse impact";
        QTest::newRow("half an hour") << 1800.0 << 0 << 0 << 46.99 << 7 << "a likely adverse impact";
        QTest::newRow("tonal and impulsive") << 900.0 << 2 << 3 << 48.98 << 9 << "a likely adverse impact";
        QTest::newRow("a sixth of the hour") << 600.0 << 0 << 0 << 42.22 << 2 << "less likely";
        QTest::newRow("below the background") << 360.0 << 0 << 0 << 40.0 << 0 << "a low impact";
    }
    void ratingLevel()
    {
        QFETCH(double, onTime);
        RatingInput in;
        in.specific = 50;
        in.referenceSeconds = 3600;
        in.onTimeSeconds = onTime;
        in.corrections.tonal = fetched<int>("tonal");
        in.corrections.impulsive = fetched<int>("impulsive");
        in.background = 40;
        QVERIFY(in.fault().isEmpty());
        const RatingResult r = slm::ratingLevel(in);
        QVERIFY(std::abs(r.rating - fetched<double>("rating")) < 0.01);
        QCOMPARE(r.excessRounded, fetched<int>("excessRounded"));
        QVERIFY2(r.indication.startsWith(fetched<QString>("indication")), qPrintable(r.indication));
        QVERIFY(r.indication.endsWith(QLatin1String("depending on the context")));
    }

    void ratingFaults_data()
    {
        QTest::addColumn<int>("tonal");
        QTest::addColumn<double>("onTime");
        QTest::addColumn<QString>("fault");
        QTest::newRow("tonal 3") << 3 << 3600.0 << "the tonal correction must be 0, 2, 4 or 6 dB.";
        QTest::newRow("on-time beyond Tr") << 0 << 4000.0 << "the on-time must be";
        QTest::newRow("no on-time") << 0 << 0.0 << "the on-time must be";
    }
    void ratingFaults()
    {
        RatingInput in;
        in.corrections.tonal = fetched<int>("tonal");
        in.onTimeSeconds = fetched<double>("onTime");
        QVERIFY(in.fault().startsWith(fetched<QString>("fault")));
    }

    void constructionThresholds_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<double>("ambient");
        QTest::addColumn<QString>("category");
        QTest::addColumn<double>("threshold");
        QTest::newRow("day 61") << int(AbcPeriod::Day) << 61.0 << "A" << 65.0;
        QTest::newRow("day 63") << int(AbcPeriod::Day) << 63.0 << "B" << 70.0;
        QTest::newRow("day 62.5 rounds up") << int(AbcPeriod::Day) << 62.5 << "B" << 70.0;
        QTest::newRow("day 68") << int(AbcPeriod::Day) << 68.0 << "C" << 75.0;
        QTest::newRow("day 79") << int(AbcPeriod::Day) << 79.0 << "above C" << 82.0;
        QTest::newRow("evening 52") << int(AbcPeriod::EveningWeekend) << 52.0 << "A" << 55.0;
        QTest::newRow("night 47") << int(AbcPeriod::Night) << 47.0 << "B" << 50.0;
    }
    void constructionThresholds()
    {
        const AbcThreshold t = abcThreshold(AbcPeriod(fetched<int>("period")), fetched<double>("ambient"));
        QCOMPARE(abcCategoryName(t.category), fetched<QString>("category"));
        QCOMPARE(t.threshold, fetched<double>("threshold"));
    }

    void constructionPeriods_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hour");
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("date");
        QTest::newRow("Monday 07:00") << 0 << 7 << "day" << 0;
        QTest::newRow("Monday 19:00") << 0 << 19 << "evening and weekend" << 0;
        QTest::newRow("Tuesday 06:00") << 1 << 6 << "night" << 0;
        QTest::newRow("Saturday 12:00") << 5 << 12 << "day" << 5;
        QTest::newRow("Saturday 13:00") << 5 << 13 << "evening and weekend" << 5;
        QTest::newRow("Sunday 08:00") << 6 << 8 << "evening and weekend" << 6;
        QTest::newRow("Sunday 23:00") << 6 << 23 << "night" << 6;
    }
    void constructionPeriods()
    {
        const auto [period, date] =
            abcPeriodOf((Monday + fetched<int>("day")) * 86400 + fetched<int>("hour") * 3600);
        QCOMPARE(abcPeriodName(period), fetched<QString>("period"));
        QCOMPARE(date, Monday + fetched<int>("date"));
    }

    void constructionVerdicts_data()
    {
        QTest::addColumn<double>("measured");
        QTest::addColumn<double>("ambient");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("site above A") << 68.0 << 55.0 << "exceeded";       // site 67.8 > 65
        QTest::newRow("site at A") << 65.0 << 50.0 << "not exceeded";      // negligible residual
        QTest::newRow("bounded, below") << 64.0 << 62.0 << "not exceeded"; // A: 65
        QTest::newRow("bounded, above") << 75.5 << 73.0 << "undetermined"; // C: 75
        QTest::newRow("above C, within 3 dB") << 81.0 << 79.0 << "not exceeded";
        QTest::newRow("above C, beyond 3 dB") << 82.5 << 79.0 << "exceeded";
    }
    void constructionVerdicts()
    {
        // One hour of a Monday's day at a steady level.
        std::vector<RecordSample> s;
        for (int i = 0; i < 60; ++i)
            s.push_back(level(Monday * 86400 + 9 * 3600 + i * 60, fetched<double>("measured")));
        const double amb = fetched<double>("ambient");
        const std::vector<AbcRow> rows = abcTable(s, 60.0, ExclusionMask(), {amb, 50, 40});
        QCOMPARE(rows.size(), size_t(1));
        QVERIFY(rows[0].verdict);
        QCOMPARE(abcVerdictText(*rows[0].verdict), fetched<QString>("verdict"));
        QCOMPARE(*rows[0].coverage, 100.0 / 12);
    }

    void ratingBackground_data()
    {
        QTest::addColumn<QList<double>>("days");
        QTest::addColumn<double>("rbl");
        QTest::addColumn<bool>("raised");
        QTest::newRow("median of seven") << QList<double>{40, 41, 42, 30, 43, 44, 45} << 42.0 << false;
        QTest::newRow("lower middle of six") << QList<double>{40, 41, 42, 43, 44, 45} << 42.0 << false;
        QTest::newRow("35 dB floor") << QList<double>{31, 32, 33, 34, 30, 29, 33} << 35.0 << true;
    }
    void ratingBackground()
    {
        // Each day's day period (Monday onwards, Sunday passed over): 44 quarter hours, the lowest five at
        // the day's value, the rest 10 dB above: the nearest-rank 10th percentile (rank 5) is the value.
        const auto days = fetched<QList<double>>("days");
        std::vector<HourRow> rows;
        for (int d = 0; d < days.size(); ++d)
            for (int q = 0; q < 44; ++q)
                rows.push_back(quarter((Monday + (d < 6 ? d : d + 1)) * 86400 + 7 * 3600 + q * 900,
                                       days[d] + (q < 5 ? 0 : 10)));
        const RblTable t = ratingBackgroundTable(rows, 50);
        QCOMPARE(t.day.validDays, int(days.size()));
        QCOMPARE(*t.day.rbl, fetched<double>("rbl"));
        QCOMPARE(t.day.raised, fetched<bool>("raised"));
        QCOMPARE(*t.day.intrusiveness, fetched<double>("rbl") + 5);
        QVERIFY(t.day.fewDays == (days.size() < 7));
        QVERIFY(!t.evening.rbl);
    }

    void ablNeedsThreeQuartersOfThePeriod()
    {
        std::vector<HourRow> rows;
        for (int q = 0; q < 32; ++q) // 32 of 44 quarter hours: below 75 %
            rows.push_back(quarter(Monday * 86400 + 7 * 3600 + q * 900, 40));
        for (int q = 0; q < 12; ++q) // the evening's 16: 12 are 75 %
            rows.push_back(quarter(Monday * 86400 + 18 * 3600 + q * 900, 35));
        const RblTable t = ratingBackgroundTable(rows, 50);
        QCOMPARE(t.day.validDays, 0);
        QCOMPARE(t.evening.validDays, 1);
        QCOMPARE(*t.evening.rbl, 35.0);
    }

    void backgroundDistribution()
    {
        // Day L90s 45.2 45.7 46.1 46.9 47.0 48.0: classes 45 x2, 46 x2 (tie: the lower), 47, 48.
        std::vector<HourRow> rows;
        const double day[] = {46.1, 45.2, 47.0, 45.7, 48.0, 46.9};
        for (int i = 0; i < 6; ++i)
            rows.push_back(quarter(Monday * 86400 + 10 * 3600 + i * 900, day[i]));
        rows.push_back(quarter(Monday * 86400 + 23 * 3600, 30.0));
        HourRow thin = quarter(Monday * 86400 + 23 * 3600 + 900, 20.0);
        thin.coverage = 10; // below the coverage threshold: left out
        rows.push_back(thin);
        const BackgroundTable t = backgroundTable(rows, 900, 50);
        QCOMPARE(*t.day.median, 46.1);
        QCOMPARE(*t.day.mode, 45);
        QCOMPARE(t.day.classes.at(46), std::int64_t(2));
        QCOMPARE(t.night.values.size(), size_t(1));
        QCOMPARE(*t.night.median, 30.0);
    }

    void cnelOfASteadyDay()
    {
        std::vector<RecordSample> s;
        for (int i = 0; i < 1440; ++i)
            s.push_back(level(Monday * 86400 + 7 * 3600 + i * 60, 60));
        const CnelTable t = cnelTable(s, 60.0, ExclusionMask(), 50);
        QCOMPARE(t.days.size(), size_t(1));
        QCOMPARE(QString::number(*t.days[0].cnel, 'f', 1), QStringLiteral("66.7"));
        QCOMPARE(QString::number(*t.overall, 'f', 1), QStringLiteral("66.7"));
        s.resize(1440 - 9 * 60 + 60); // an hour of the night left: below the coverage threshold
        QVERIFY(!cnelTable(s, 60.0, ExclusionMask(), 50).days[0].cnel);
    }

    void countsAboveInTheNight()
    {
        // A night at 50 dB with single-second peaks of 62, 66 and 71 dB, and a 75 dB peak by day.
        std::vector<RecordSample> s;
        const std::int64_t night = Monday * 86400 + 23 * 3600;
        for (int i = 0; i < 600; ++i)
            s.push_back(level(night + i, i == 100 ? 62 : i == 200 ? 66 : i == 300 ? 71 : 50));
        s.insert(s.begin(), level(Monday * 86400 + 12 * 3600, 75));
        const auto t = nAboveTable(s, 1.0, ExclusionMask(), PeriodSettings(), {60, 65, 70}, EventSettings());
        QVERIFY(t);
        QCOMPARE(t->nights.size(), size_t(1));
        QCOMPARE(t->nights[0].date, Monday);
        QCOMPARE(t->nights[0].counts, (std::vector<int>{3, 2, 1}));
        QCOMPARE(t->totals, (std::vector<int>{4, 3, 2}));
    }

    void intervalPercentiles()
    {
        // A quarter hour: 100 records at 40 dB, 700 at 50 dB, 100 at 60 dB.
        std::vector<RecordSample> s;
        for (int i = 0; i < 900; ++i)
            s.push_back(level(Monday * 86400 + i, i < 100 ? 40 : i < 800 ? 50 : 60));
        const std::vector<HourRow> rows = intervalTable(s, 1.0, ExclusionMask(), 900);
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(*rows[0].l10, 60.0);
        QCOMPARE(*rows[0].l50, 50.0);
        QCOMPARE(*rows[0].l90, 40.0);
    }

    void countsAboveByTheLevel_data()
    {
        QTest::addColumn<double>("threshold");
        QTest::addColumn<int>("count");
        // Single records at 62.3, 62.4, 62.45 (two decimals) and 62.5 dB between 50 dB ones.
        QTest::newRow("62.3") << 62.3 << 4;
        QTest::newRow("62.4") << 62.4 << 3;
        QTest::newRow("62.45") << 62.45 << 2;
        QTest::newRow("62.46") << 62.46 << 1;
        QTest::newRow("62.5") << 62.5 << 1;
        QTest::newRow("62.51") << 62.51 << 0;
    }

    void countsAboveByTheLevel()
    {
        QFETCH(double, threshold);
        QFETCH(int, count);
        std::vector<RecordSample> s;
        const std::int64_t t = Monday * 86400 + 12 * 3600;
        for (const double dB : {62.3, 62.4, 62.45, 62.5}) {
            s.push_back(level(t + std::int64_t(s.size()), 50));
            s.push_back(dB == 62.45 ? twoDecimals(t + std::int64_t(s.size()), dB)
                                    : level(t + std::int64_t(s.size()), dB));
        }
        const auto n = nAboveTable(s, 1.0, ExclusionMask(), PeriodSettings(), {threshold}, EventSettings());
        QVERIFY(n);
        QCOMPARE(n->totals[0], count);
    }

    void tablesTogetherAsEachAlone()
    {
        const std::vector<RecordSample> s = twoWavyDays();
        StandardsInputs all;
        all.intervalSeconds = 900;
        LimitConfig loud;
        loud.name = QStringLiteral("loud");
        loud.figure = LimitFigure::Level;
        loud.level = 70;
        LimitConfig rolling = loud;
        rolling.figure = LimitFigure::RollingLeq;
        rolling.level = 65;
        all.limits = QList<LimitConfig>{loud, rolling};
        all.abc = true;
        all.abcLevels = std::array<double, AbcPeriodCount>{61, 55, 45};
        all.cnel = true;
        all.nAbove = {60, 70};
        const StandardsResults r = runStandards(s, 10.0, ExclusionMask(), all);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        const auto limits = replayLimits(s, 10.0, *all.limits);
        QCOMPARE(r.limits->transitions.size(), limits->transitions.size());
        QVERIFY(r.limits->transitions.size() > 10);
        for (size_t i = 0; i < limits->transitions.size(); ++i) {
            QCOMPARE(r.limits->transitions[i].time, limits->transitions[i].time);
            QCOMPARE(r.limits->transitions[i].limit, limits->transitions[i].limit);
        }
        const std::vector<HourRow> intervals = intervalTable(s, 10.0, ExclusionMask(), 900);
        QCOMPARE(r.intervals->size(), intervals.size());
        QCOMPARE(r.intervals->back().leq, intervals.back().leq);
        QCOMPARE(r.abc->rows.size(), abcTable(s, 10.0, ExclusionMask(), {61, 55, 45}).size());
        QCOMPARE(r.cnel->overall, cnelTable(s, 10.0, ExclusionMask(), 50).overall);
        const auto counts =
            nAboveTable(s, 10.0, ExclusionMask(), PeriodSettings(), {60, 70}, EventSettings());
        QCOMPARE(r.nAbove->totals, counts->totals);
    }

    void anErrorLeavesTheLaterTablesOut()
    {
        // The ambient span lies outside the records: the tables after it are not given.
        StandardsInputs in;
        in.intervalSeconds = 900;
        in.ambient = {LevelSource::Kind::Span, "--ambient", "", 0, {}, nullptr, {0, 3600}};
        in.residual.kind = LevelSource::Kind::Number;
        in.cnel = true;
        in.nAbove = {60};
        const StandardsResults r = runStandards(twoWavyDays(), 10.0, ExclusionMask(), in);
        QVERIFY(r.error.contains(QStringLiteral("the span lies outside the records")));
        QVERIFY(r.intervals);
        QVERIFY(!r.residualLevel && !r.cnel && !r.nAbove);
    }

    void countsAboveAsTheEventTable_data()
    {
        QTest::addColumn<double>("threshold");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("continuation");
        QTest::newRow("60") << 60.0 << 0.0 << 0.0;
        QTest::newRow("on a tenth") << 62.4 << 0.0 << 0.0;
        QTest::newRow("between tenths") << 62.45 << 0.0 << 0.0;
        QTest::newRow("minimum 3 s") << 65.0 << 3.0 << 0.0;
        QTest::newRow("continuation 2 s") << 66.0 << 5.0 << 2.0;
    }

    void countsAboveAsTheEventTable()
    {
        QFETCH(double, threshold);
        QFETCH(double, minimum);
        QFETCH(double, continuation);
        // Levels rising and falling by 0.7 dB, some with two decimals, paused and overloaded records,
        // a clock set back and an exclusion.
        std::vector<RecordSample> s;
        std::int64_t t = Monday * 86400;
        for (int i = 0; i < 6000; ++i, ++t) {
            const double dB = 55 + std::abs((i * 7) % 300 - 150) / 10.0;
            s.push_back(i % 5 == 0 ? twoDecimals(t, dB + 0.05) : level(t, dB));
            if (i % 97 == 0)
                s.back().kind = LevelTextKind::Paused;
            if (i % 401 == 0)
                s.back().kind = LevelTextKind::Over;
            if (i == 3000)
                t -= 600;
        }
        const std::vector<ClockSpan> spans{{Monday * 86400 + 1000, Monday * 86400 + 1300}};
        const ExclusionMask mask(s, spans);
        const EventSettings rule{threshold, minimum, continuation};
        const auto events = noiseEvents(s, 1.0, mask, rule);
        const auto counts = nAboveTable(s, 1.0, mask, PeriodSettings(), {threshold}, rule);
        QVERIFY(events && counts);
        QVERIFY(events->count > 10);
        QCOMPARE(std::int64_t(counts->totals[0]), events->count);
    }
};

QTEST_GUILESS_MAIN(StandardsTest)
#include "test_measurement_standards.moc"
