// The assessments, each definition against figures worked out by hand: noise dose, the
// day-evening-night levels and their coverage, exclusions through every figure, noise events and
// the assessment file.
#include "measurement/AssessmentDose.h"
#include "measurement/AssessmentEvents.h"
#include "measurement/AssessmentFile.h"
#include "measurement/AssessmentPeriods.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <ctime>

using namespace slm;

namespace
{

const double Unknown = std::nan("");

// Runs of records "START COUNT LEVEL", separated by ";", each record dt after the one before.
std::vector<RecordSample> records(const QString& runs, int dt)
{
    std::vector<RecordSample> out;
    for (const QString& run : runs.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = run.trimmed().split(u' ');
        QDateTime t = QDateTime::fromString(f[0] + u' ' + f[1], QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        t.setTimeSpec(Qt::UTC); // counted on the calendar: no clock change between records
        for (int i = 0; i < f[2].toInt(); ++i)
            out.push_back(parseRecordSample(
                t.addSecs(qint64(i) * dt).toString("yyyy/MM/dd HH:mm:ss").toLatin1(), f[3].toLatin1()));
    }
    return out;
}

// Levels one second apart from 12:00:00, separated by blanks.
std::vector<RecordSample> levels(const QString& texts)
{
    std::vector<RecordSample> out;
    const QDateTime start(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC);
    int i = 0;
    for (const QString& level : texts.split(u' '))
        out.push_back(parseRecordSample(start.addSecs(i++).toString("yyyy/MM/dd HH:mm:ss").toLatin1(),
                                        level.toLatin1()));
    return out;
}

void compareFigure(std::optional<double> actual, double expected, const char* what)
{
    if (std::isnan(expected)) {
        QVERIFY2(!actual, what);
        return;
    }
    QVERIFY2(actual, what);
    QVERIFY2(std::abs(*actual - expected) < 0.05,
             qPrintable(QStringLiteral("%1: %2, expected %3").arg(what).arg(*actual).arg(expected)));
}

std::vector<ClockSpan> spansOf(const QString& start, const QString& end)
{
    const Exclusion e{QDateTime::fromString(start, Qt::ISODate), QDateTime::fromString(end, Qt::ISODate), {}};
    return exclusionClockSpans(std::span<const Exclusion>(&e, 1));
}

std::int64_t clock(const char* text)
{
    return *civilSeconds(QByteArrayView(text));
}

} // namespace

class TestMeasurementAssessment : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void dose_data();
    void dose();
    void dailyExposure();
    void dayEveningNight_data();
    void dayEveningNight();
    void exclusionRemovesTheLoudestHour();
    void exclusionsInTheRepeatedHour();
    void hourlyLevels_data();
    void hourlyLevels();
    void events_data();
    void events();
    void assessmentFile_data();
    void assessmentFile();
    void assessmentFileKeepsWhatItDoesNotKnow();
    void calibrationDrift_data();
    void calibrationDrift();
};

void TestMeasurementAssessment::initTestCase()
{
    // A zone with daylight-saving time, whatever the machine's.
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void TestMeasurementAssessment::dose_data()
{
    QTest::addColumn<QString>("runs");
    QTest::addColumn<QString>("preset");
    QTest::addColumn<double>("dose");
    QTest::addColumn<double>("twa");
    QTest::addColumn<double>("projected");
    QTest::addColumn<double>("lavg");
    // One record a minute.
    QTest::newRow("8 h at 90 dB, osha-pel") << "2026/03/02 08:00:00 480 90.0"
                                            << "osha-pel" << 100.0 << 90.0 << 100.0 << 90.0;
    QTest::newRow("4 h at 95 dB, osha-pel") << "2026/03/02 08:00:00 240 95.0"
                                            << "osha-pel" << 100.0 << 90.0 << 200.0 << 95.0;
    QTest::newRow("8 h at 85 dB, niosh") << "2026/03/02 08:00:00 480 85.0"
                                         << "niosh" << 100.0 << 85.0 << 100.0 << 85.0;
    QTest::newRow("8 h at 85 dB, osha-pel") << "2026/03/02 08:00:00 480 85.0"
                                            << "osha-pel" << 0.0 << Unknown << 0.0 << Unknown;
    QTest::newRow("just under osha-hc's threshold") << "2026/03/02 08:00:00 480 79.9"
                                                    << "osha-hc" << 0.0 << Unknown << 0.0 << Unknown;
    QTest::newRow("at osha-hc's threshold") << "2026/03/02 08:00:00 480 80.0"
                                            << "osha-hc" << 25.0 << 80.0 << 25.0 << 80.0;
    QTest::newRow("custom 88,4,70, 2 h at 92 dB") << "2026/03/02 08:00:00 120 92.0"
                                                  << "88,4,70" << 50.0 << 84.0 << 200.0 << 92.0;
}

void TestMeasurementAssessment::dose()
{
    QFETCH(QString, runs);
    QFETCH(QString, preset);
    const std::vector<RecordSample> s = records(runs, 60);
    const DoseResult d = noiseDose(s, 60.0, {}, *doseCriterionOf(preset), true);
    QFETCH(double, dose);
    QFETCH(double, twa);
    QFETCH(double, projected);
    QFETCH(double, lavg);
    compareFigure(d.dose, dose, "dose");
    compareFigure(d.twa, twa, "TWA");
    compareFigure(d.projectedDose, projected, "projected");
    compareFigure(d.lavg, lavg, "Lavg");
    QCOMPARE(*d.measuredSeconds, double(s.size()) * 60);
    QCOMPARE(*d.actionLevelReached, d.twa && std::round(*d.twa * 10) >= 850);
    QVERIFY(!doseCriterionOf("osha"));
    QVERIFY(!doseCriterionOf("90,0,80"));
}

void TestMeasurementAssessment::dailyExposure()
{
    // LEX,8h = Leq + 10 lg(Tm / 8 h): 4 h at 88 dB is 84.99, shown and judged as 85.0.
    const std::vector<RecordSample> s = records("2026/03/02 08:00:00 240 88.0", 60);
    const DoseResult d = noiseDose(s, 60.0, {}, *doseCriterionOf("iso"), false);
    compareFigure(d.lex8h, 85.0, "LEX,8h");
    QVERIFY(*d.lowerActionReached && *d.upperActionReached && !*d.limitReached);
    QCOMPARE(d.aWeighted, std::optional<bool>(false));
}

void TestMeasurementAssessment::dayEveningNight_data()
{
    QTest::addColumn<QString>("runs");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("lday");
    QTest::addColumn<double>("levening");
    QTest::addColumn<double>("lnight");
    QTest::addColumn<double>("lden");
    QTest::addColumn<double>("ldn");
    // One record a minute.
    QTest::newRow("a day of constant 60 dB")
        << "2026/03/02 07:00:00 1440 60.0" << 1 << 60.0 << 60.0 << 60.0 << 66.4 << 66.4;
    QTest::newRow("night only: the day before 07:00 owns it")
        << "2026/03/02 23:00:00 480 55.0" << 1 << Unknown << Unknown << 55.0 << Unknown << Unknown;
    QTest::newRow("early morning belongs to the day before")
        << "2026/03/03 05:00:00 60 50.0" << 1 << Unknown << Unknown << Unknown << Unknown << Unknown;
    QTest::newRow("day at 50 % coverage counts")
        << "2026/03/02 07:00:00 360 60.0" << 1 << 60.0 << Unknown << Unknown << Unknown << Unknown;
    QTest::newRow("day just below 50 % does not")
        << "2026/03/02 07:00:00 359 60.0" << 1 << Unknown << Unknown << Unknown << Unknown << Unknown;
    QTest::newRow("two days") << "2026/03/02 07:00:00 1440 60.0; 2026/03/03 07:00:00 1440 70.0" << 2 << 60.0
                              << 60.0 << 60.0 << 66.4 << 66.4;
}

void TestMeasurementAssessment::dayEveningNight()
{
    QFETCH(QString, runs);
    const std::vector<RecordSample> s = records(runs, 60);
    const DayTable t = dayEveningNightTable(s, 60.0, {}, PeriodSettings{});
    QFETCH(int, rows);
    QCOMPARE(int(t.days.size()), rows);
    const DayRow& d = t.days.front();
    QCOMPARE(d.date, QDate(1970, 1, 1)
                         .daysTo(QDateTime::fromString(runs.left(10), "yyyy/MM/dd")
                                     .date()
                                     .addDays(runs.mid(11, 2).toInt() < 7 ? -1 : 0)));
    QFETCH(double, lday);
    QFETCH(double, levening);
    QFETCH(double, lnight);
    QFETCH(double, lden);
    QFETCH(double, ldn);
    compareFigure(d.day.leq, lday, "Lday");
    compareFigure(d.evening.leq, levening, "Levening");
    compareFigure(d.night.leq, lnight, "Lnight");
    compareFigure(d.lden, lden, "Lden");
    compareFigure(d.ldn, ldn, "Ldn");
    if (rows == 2) {
        // The overall row takes each period over both days: 10 lg((10^6 + 10^7) / 2) = 67.4.
        compareFigure(t.overall.day.leq, 67.4, "overall Lday");
        compareFigure(t.overall.lden, 73.8, "overall Lden");
    }
}

void TestMeasurementAssessment::exclusionRemovesTheLoudestHour()
{
    // 09:00..12:00 at 1 s, the hour from 10:00 at 90 dB, the others at 60 dB.
    const std::vector<RecordSample> s = records(
        "2026/03/02 09:00:00 3600 60.0; 2026/03/02 10:00:00 3600 90.0; 2026/03/02 11:00:00 3600 60.0", 1);
    const DoseCriterion pel = *doseCriterionOf("osha-pel");
    const ExclusionMask none;
    const std::vector<ClockSpan> spans = spansOf("2026-03-02T10:00:00+01:00", "2026-03-02T11:00:00+01:00");
    QCOMPARE(spans, (std::vector<ClockSpan>{{clock("2026/03/02 10:00:00"), clock("2026/03/02 11:00:00")}}));
    const ExclusionMask mask(s, spans);
    QCOMPARE(mask.count(), 3600);

    const LevelFigures before = figuresOfSamples(s, 1.0, none);
    const LevelFigures after = figuresOfSamples(s, 1.0, mask);
    compareFigure(before.leq, 85.2, "Leq");
    compareFigure(after.leq, 60.0, "Leq without the hour");
    QCOMPARE(after.levels, 7200);
    QCOMPARE(after.records, 10800);
    QCOMPARE(after.percentile(10), QStringLiteral("60.0"));
    QCOMPARE(assessedBasisText(after, mask.count()),
             QStringLiteral("from 7200 readings every 1 s; 3600 excluded left out"));

    const std::vector<HourRow> hours = hourlyTable(s, 1.0, mask);
    QCOMPARE(hours.size(), size_t(3));
    QCOMPARE(hours[1].excluded, 3600);
    QCOMPARE(hours[1].levels, 0);
    QVERIFY(!hours[1].leq && !hours[1].l50);
    compareFigure(hourlyTable(s, 1.0, none)[1].l90, 90.0, "L90 of the loud hour");
    compareFigure(hours[2].coverage, 100.0, "coverage");

    compareFigure(noiseDose(s, 1.0, none, pel, true).dose, 12.5, "dose");
    compareFigure(noiseDose(s, 1.0, mask, pel, true).dose, 0.0, "dose without the hour");
    QCOMPARE(noiseEvents(s, 1.0, none, {70, 0, 0})->events.size(), size_t(1));
    QCOMPARE(noiseEvents(s, 1.0, mask, {70, 0, 0})->events.size(), size_t(0));
}

void TestMeasurementAssessment::exclusionsInTheRepeatedHour()
{
    // On 2026-10-25 the clock goes from 03:00 back to 02:00. From 02:30 in the first pass to 02:10
    // in the second is 40 minutes: the clock showed 02:30..03:00 and 02:00..02:10.
    const std::vector<ClockSpan> spans = spansOf("2026-10-25T02:30:00+02:00", "2026-10-25T02:10:00+01:00");
    QCOMPARE(spans, (std::vector<ClockSpan>{{clock("2026/10/25 02:00:00"), clock("2026/10/25 02:10:00")},
                                            {clock("2026/10/25 02:30:00"), clock("2026/10/25 03:00:00")}}));
    // Across the hour the clock skips in spring: the clock times no record can show are left out.
    QCOMPARE(spansOf("2026-03-29T01:30:00+01:00", "2026-03-29T03:30:00+02:00"),
             (std::vector<ClockSpan>{{clock("2026/03/29 01:30:00"), clock("2026/03/29 02:00:00")},
                                     {clock("2026/03/29 03:00:00"), clock("2026/03/29 03:30:00")}}));
}

void TestMeasurementAssessment::hourlyLevels_data()
{
    QTest::addColumn<QString>("runs");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("l10"); // of the first hour
    QTest::addColumn<double>("l50");
    QTest::addColumn<double>("l90");
    QTest::addColumn<int>("levels");
    // One record a minute. Each hour keeps only the classes its records span, widened as they come.
    QTest::newRow("levels falling through the hour")
        << "2026/03/02 10:00:00 20 80.0; 2026/03/02 10:20:00 20 60.0; 2026/03/02 10:40:00 20 40.0" << 1
        << 80.0 << 60.0 << 40.0 << 60;
    QTest::newRow("an hour left and come back to")
        << "2026/03/02 10:00:00 30 70.0; 2026/03/02 11:00:00 10 50.0; 2026/03/02 10:30:00 30 30.0" << 2
        << 70.0 << 30.0 << 30.0 << 60;
}

void TestMeasurementAssessment::hourlyLevels()
{
    QFETCH(QString, runs);
    const std::vector<HourRow> hours = hourlyTable(records(runs, 60), 60.0, {});
    QFETCH(int, rows);
    QFETCH(double, l10);
    QFETCH(double, l50);
    QFETCH(double, l90);
    QFETCH(int, levels);
    QCOMPARE(int(hours.size()), rows);
    compareFigure(hours[0].l10, l10, "L10");
    compareFigure(hours[0].l50, l50, "L50");
    compareFigure(hours[0].l90, l90, "L90");
    QCOMPARE(hours[0].levels, levels);
    compareFigure(hours[0].coverage, 100.0, "coverage");
}

void TestMeasurementAssessment::events_data()
{
    QTest::addColumn<QString>("texts");
    QTest::addColumn<double>("continuation");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("duration");
    QTest::addColumn<double>("leq");
    QTest::addColumn<bool>("overRange");
    // Threshold 70 dB, dt 1 s. Bridged: 80, 60, 60, 80 is 10 lg((2 x 10^8 + 2 x 10^6) / 4) = 77.0.
    QTest::newRow("bridged by C") << "50 80 60 60 80 50" << 2.0 << 0.0 << 1 << 4.0 << 77.0 << false;
    QTest::newRow("not bridged at C - 1 s") << "50 80 60 60 80 50" << 1.0 << 0.0 << 2 << 1.0 << 80.0 << false;
    QTest::newRow("a paused record splits") << "80 60* 80" << 10.0 << 0.0 << 2 << 1.0 << 80.0 << false;
    QTest::newRow("an excluded record splits")
        << "80 60 99 60 80" << 10.0 << 0.0 << 2 << 1.0 << 80.0 << false;
    QTest::newRow("over-range flagged") << "60 80 OL 80 60" << 0.0 << 0.0 << 1 << 3.0 << 80.0 << true;
    QTest::newRow("minimum duration") << "80 80 60 80" << 0.0 << 2.0 << 1 << 2.0 << 80.0 << false;
}

void TestMeasurementAssessment::events()
{
    QFETCH(QString, texts);
    QFETCH(double, continuation);
    QFETCH(double, minimum);
    const std::vector<RecordSample> s = levels(texts);
    // The "99" record is excluded: its second alone.
    const std::vector<ClockSpan> spans{{clock("2026/03/02 12:00:02"), clock("2026/03/02 12:00:03")}};
    const ExclusionMask mask(s, texts.contains("99") ? spans : std::vector<ClockSpan>{});
    const std::optional<EventSummary> e = noiseEvents(s, 1.0, mask, {70, minimum, continuation});
    QVERIFY(e);
    QFETCH(int, count);
    QFETCH(double, duration);
    QFETCH(double, leq);
    QFETCH(bool, overRange);
    QCOMPARE(int(e->events.size()), count);
    const NoiseEvent& first = e->events.front();
    QCOMPARE(first.durationSeconds, duration);
    compareFigure(first.leq, leq, "Leq");
    compareFigure(first.sel, leq + 10 * std::log10(double(first.levels)), "SEL");
    QCOMPARE(first.overRange, overRange);
    QCOMPARE(first.maxTime, std::optional<std::int64_t>(first.start));
    QVERIFY(!noiseEvents(s, std::nullopt, mask, {}));
}

void TestMeasurementAssessment::assessmentFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fault");
    const QByteArray head = R"({"format": "slm-assessment", "version": 1, "exclusions": [)";
    QTest::newRow("not JSON") << QByteArray("{\"format\": ") << "not valid JSON";
    QTest::newRow("another format") << QByteArray(R"({"format": "x", "version": 1})")
                                    << "not an assessment file";
    QTest::newRow("a later version") << QByteArray(R"({"format": "slm-assessment", "version": 2})")
                                     << "\"version\" must be 1";
    QTest::newRow("end before start")
        << head + R"({"start": "2026-03-01T10:00:00+01:00", "end": "2026-03-01T09:00:00+01:00"}]})"
        << "exclusion 1: the end is before the start";
    QTest::newRow("time without offset")
        << head + R"({"start": "2026-03-01T10:00:00", "end": "2026-03-01T11:00:00+01:00"}]})"
        << "exclusion 1: \"start\" is not an ISO 8601 time with its offset";
    QTest::newRow("details not an object") << head + R"(], "details": [1]})"
                                           << "\"details\" is not an object";
    QTest::newRow("a level that is not a number")
        << head + R"(], "details": {"calibration": {"before": "94 dB"}}})"
        << "\"details.calibration.before\" is not a level in dB";
    QTest::newRow("sound") << head +
                                  R"({"start": "2026-03-01T09:00:00Z", "end": "2026-03-01T10:00:00+01:00"}]})"
                           << "";
}

void TestMeasurementAssessment::assessmentFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fault);
    const AssessmentFileRead r = parseAssessmentFile(bytes, "site1.slmm.assessment.json");
    QCOMPARE(r.error.isEmpty(), fault.isEmpty());
    QVERIFY2((r.error.startsWith("site1.slmm.assessment.json: ") && r.error.contains(fault)) ||
                 fault.isEmpty(),
             qPrintable(r.error));
    if (fault.isEmpty())
        QCOMPARE(r.file.exclusions.size(), size_t(1));
}

void TestMeasurementAssessment::assessmentFileKeepsWhatItDoesNotKnow()
{
    QTemporaryDir dir;
    const QString path = assessmentFilePath(dir.filePath("site1.slmm"));
    QVERIFY(path.endsWith("site1.slmm.assessment.json"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(R"({"format": "slm-assessment", "version": 1, "site": {"name": "north"},
                 "details": {"site": "Yard", "instrument": {"model": "M1", "mic": "x"}, "calibration": {"after": 94.2}},
                 "exclusions": [{"start": "2026-03-01T10:00:00+01:00", "end": "2026-03-01T10:05:00+01:00",
                                 "reason": "truck", "by": "ann"}]})");
    out.close();
    AssessmentFileRead r = readAssessmentFile(path);
    QCOMPARE(r.error, QString());
    r.file.exclusions.front().span.reason = "lorry";
    QCOMPARE(r.file.details.site, QStringLiteral("Yard"));
    QCOMPARE(r.file.details.calibrationAfter, std::optional<double>(94.2));
    r.file.details.calibrationBefore = 94.0;
    QCOMPARE(writeAssessmentFile(path, r.file), QString());
    const AssessmentFileRead back = readAssessmentFile(path);
    QCOMPARE(back.file.unknownKeys.value("site").toObject().value("name").toString(),
             QStringLiteral("north"));
    QCOMPARE(back.file.exclusions.front().unknownKeys.value("by").toString(), QStringLiteral("ann"));
    QCOMPARE(back.file.exclusions.front().span.reason, QStringLiteral("lorry"));
    QCOMPARE(back.file.details, r.file.details);
    QCOMPARE(back.file.details.unknownKeys.value("instrument").toObject().value("mic").toString(),
             QStringLiteral("x"));
    QCOMPARE(isoTimeText(back.file.exclusions.front().span.end), QStringLiteral("2026-03-01T10:05:00+01:00"));

    // A damaged file is left as it is unless replacing it is asked for.
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("{ damaged");
    out.close();
    QVERIFY(writeAssessmentFile(path, r.file).contains("left as it is"));
    QCOMPARE(QFile(path).size(), qint64(9));
    QCOMPARE(writeAssessmentFile(path, r.file, true), QString());
}

void TestMeasurementAssessment::calibrationDrift_data()
{
    QTest::addColumn<double>("before");
    QTest::addColumn<double>("after"); // negative: not given
    QTest::addColumn<bool>("tooLarge");
    QTest::newRow("0.6 up") << 94.0 << 94.6 << true;
    QTest::newRow("0.6 down") << 94.3 << 93.7 << true;
    QTest::newRow("0.5 is still valid") << 94.0 << 94.5 << false;
    QTest::newRow("0.5 down is still valid") << 94.0 << 93.5 << false;
    QTest::newRow("after not given") << 94.0 << -1.0 << false;
}

void TestMeasurementAssessment::calibrationDrift()
{
    QFETCH(double, before);
    QFETCH(double, after);
    QFETCH(bool, tooLarge);
    AssessmentDetails d;
    d.calibrationBefore = before;
    if (after >= 0)
        d.calibrationAfter = after;
    QCOMPARE(calibrationDriftTooLarge(d), tooLarge);
}

QTEST_GUILESS_MAIN(TestMeasurementAssessment)
#include "test_measurement_assessment.moc"
