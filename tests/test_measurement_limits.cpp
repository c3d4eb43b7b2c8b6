// Limits judged on a meter's records, each rule against a case worked out by hand: the rolling
// Leq, the clock periods, the coverage, warning, alarm, minimum duration, hysteresis and the
// schedule; the configuration's texts; and the live events against the assessment's events.
#include "measurement/LimitConfig.h"
#include "measurement/MeterLimits.h"

#include <QtTest>
#include <cmath>

using namespace slm;

namespace
{

// "section/key" entries from "key=value|key=value" of [limit1].
QMap<QString, QString> limitKeys(const QString& text, const QString& section = QStringLiteral("limit1"))
{
    QMap<QString, QString> keys;
    for (const QString& pair : text.split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u'=');
        keys.insert(section + u'/' + pair.left(eq), pair.mid(eq + 1));
    }
    return keys;
}

std::int64_t civil(const QString& dateTime)
{
    return *civilSeconds(dateTime.toLatin1());
}

// One record a second from `start`: "60*840 80*300 P*5 OL" (level or "P" paused, "*n" repeats).
std::vector<RecordSample> seconds(std::int64_t start, const QString& tokens)
{
    std::vector<RecordSample> out;
    for (const QString& token : tokens.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList f = token.split(u'*');
        const int n = f.size() > 1 ? f[1].toInt() : 1;
        for (int i = 0; i < n; ++i) {
            RecordSample s = parseRecordSample("2026/01/01 00:00:00",
                                               f[0] == u"P" ? QByteArray("60.0*") : f[0].toLatin1());
            s.time = start + std::int64_t(out.size());
            out.push_back(s);
        }
    }
    return out;
}

QString transitionsText(const QList<LimitTransition>& list, std::int64_t start)
{
    QStringList parts;
    for (const LimitTransition& t : list)
        parts << QStringLiteral("%1 %2 %3%4")
                     .arg(t.time - start)
                     .arg(limitStateText(t.state))
                     .arg(t.threshold ? QString::number(*t.threshold) : QStringLiteral("-"))
                     .arg(t.reason.isEmpty() ? QString() : u' ' + t.reason);
    return parts.join(QStringLiteral(", "));
}

} // namespace

class TestMeasurementLimits : public QObject
{
    Q_OBJECT
private slots:
    void states_data();
    void states();
    void rollingLeqAfterFirstMinuteAt80();
    void alarmSinceItsFirstSampleAtTheLevel();
    void schedules_data();
    void schedules();
    void badConfiguration_data();
    void badConfiguration();
    void liveEventsEqualTheAssessment_data();
    void liveEventsEqualTheAssessment();
};

void TestMeasurementLimits::states_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("records");
    QTest::addColumn<QString>("transitions"); // "seconds-after-start state threshold [reason]"

    const QString friday = QStringLiteral("2026/12/11 12:00:00");
    // 14 min at 60 dB then 80 dB: (840 x 10^6 + k x 10^8) / 900 >= 10^7.5 first at k = 279.
    QTest::newRow("rolling 15 min crosses 75 dB")
        << "figure=leq|window=15min|level=75" << friday << "60*840 80*300"
        << "1118 alarm 75";
    QTest::newRow("warning, alarm, steps down by the hysteresis")
        << "figure=level|level=75|warning=72|hysteresis=1" << friday << "70 72 75 74.5 74 73.9 71.5 71 70.9"
        << "1 warning 72, 2 alarm 75, 5 warning 72, 8 clear 72";
    QTest::newRow("straight from alarm to clear") << "figure=level|level=75|warning=72" << friday << "76 60"
                                                  << "0 alarm 75, 1 clear 75";
    QTest::newRow("hysteresis 2 dB") << "figure=level|level=75|hysteresis=2" << friday << "76 74 73.5 73 72.9"
                                     << "0 alarm 75, 4 clear 75";
    QTest::newRow("minimum duration reached")
        << "figure=level|level=75|min_duration=2" << friday << "76 76 76 70"
        << "2 alarm 75, 3 clear 75";
    QTest::newRow("minimum duration broken by a sample below")
        << "figure=level|level=75|min_duration=2" << friday << "76 76 74.5 76 76 76"
        << "5 alarm 75";
    QTest::newRow("minimum duration below the level by less than the hysteresis still breaks it")
        << "figure=level|level=75|warning=70|min_duration=1" << friday << "76 74.9 76 76"
        << "0 warning 70, 3 alarm 75";
    QTest::newRow("paused records are not judged by a level limit")
        << "figure=level|level=75|min_duration=2" << friday << "76 P 76 76"
        << "2 alarm 75";
    QTest::newRow("coverage below the minimum is not judged")
        << "figure=leq|window=60|level=75|min_coverage=75" << friday << "P*30 80*45"
        << "74 alarm 75";
    QTest::newRow("no coverage needed")
        << "figure=leq|window=60|level=75|min_coverage=0" << friday << "P*30 80"
        << "30 alarm 75";
    QTest::newRow("clock period judged at its end")
        << "figure=leq-period|window=5min|level=75" << friday << "80*300 60*300 60"
        << "300 alarm 75, 600 clear 75";
    QTest::newRow("clock period short of coverage")
        << "figure=leq-period|window=5min|level=75" << friday << "80*224 P*76 60"
        << "";
    QTest::newRow("schedule ends an open alarm") << "figure=level|level=75|when=mon-fri 07:00-19:00"
                                                 << "2026/12/11 18:59:58"
                                                 << "80 80 80 80"
                                                 << "0 alarm 75, 2 inactive 75 schedule";
    QTest::newRow("schedule begins") << "figure=level|level=75|when=mon-fri 07:00-19:00"
                                     << "2026/12/14 06:59:58"
                                     << "80 80 80"
                                     << "0 inactive -, 2 alarm 75";
    QTest::newRow("schedule begins without a figure")
        << "figure=leq|window=60|level=75|when=mon-fri 07:00-19:00"
        << "2026/12/14 06:59:58"
        << "80 80 80"
        << "0 inactive -, 2 clear -";
}

void TestMeasurementLimits::states()
{
    QFETCH(QString, config);
    QFETCH(QString, start);
    QFETCH(QString, records);
    QFETCH(QString, transitions);
    QString error;
    const std::optional<QList<LimitConfig>> limits = readLimits(limitKeys(config), error);
    QVERIFY2(limits && limits->size() == 1, qPrintable(error));
    LimitMonitor monitor(limits->front(), 1.0);
    const std::int64_t t0 = civil(start);
    QList<LimitTransition> seen;
    for (const RecordSample& s : seconds(t0, records))
        seen += monitor.add(s);
    QCOMPARE(transitionsText(seen, t0), transitions);
}

void TestMeasurementLimits::rollingLeqAfterFirstMinuteAt80()
{
    QString error;
    const QList<LimitConfig> limits = *readLimits(limitKeys("window=15min|level=75"), error);
    MeterLimits meter(QStringLiteral("north"), limits, std::nullopt, 1.0);
    QList<LimitTransition> seen;
    connect(&meter, &MeterLimits::transition, this, [&](const LimitTransition& t) { seen << t; });
    for (const RecordSample& s : seconds(civil("2026/12/11 12:00:00"), "60*840 80*60"))
        meter.addRecord(s);
    QCOMPARE(std::round(*meter.monitors().front().figure() * 10) / 10, 68.8);
    QVERIFY(seen.isEmpty());
}

void TestMeasurementLimits::alarmSinceItsFirstSampleAtTheLevel()
{
    QString error;
    LimitMonitor monitor(readLimits(limitKeys("figure=level|level=75|min_duration=2"), error)->front(), 1.0);
    QList<LimitTransition> seen;
    for (const RecordSample& s : seconds(1000, "70 76 76 76"))
        seen += monitor.add(s);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].time, 1003);
    QCOMPARE(seen[0].since, 1001);
    QCOMPARE(*seen[0].figure, 76.0);
    QCOMPARE(seen[0].previous, LimitState::Clear);
    QCOMPARE(seen[0].windowSeconds, 1);
}

void TestMeasurementLimits::schedules_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<QString>("time");
    QTest::addColumn<bool>("inside");
    QTest::newRow("weekday inside") << "mon-fri 07:00-19:00"
                                    << "2026/12/09 07:00:00" << true;
    QTest::newRow("weekday end excluded") << "mon-fri 07:00-19:00"
                                          << "2026/12/09 19:00:00" << false;
    QTest::newRow("saturday not listed") << "mon-fri 07:00-19:00"
                                         << "2026/12/12 12:00:00" << false;
    QTest::newRow("second span") << "mon-fri 07:00-19:00, sat 08:00-13:00, sun -"
                                 << "2026/12/12 12:59:59" << true;
    QTest::newRow("sunday said none") << "sat 08:00-13:00, sun -"
                                      << "2026/12/13 10:00:00" << false;
    QTest::newRow("whole day") << "sun"
                               << "2026/12/13 23:59:59" << true;
    QTest::newRow("over midnight") << "fri 22:00-06:00"
                                   << "2026/12/12 05:59:59" << true;
    QTest::newRow("over midnight ends") << "fri 22:00-06:00"
                                        << "2026/12/12 06:00:00" << false;
    QTest::newRow("wrapping days") << "sat-mon 00:00-24:00"
                                   << "2026/12/14 23:00:00" << true;
    QTest::newRow("always") << ""
                            << "2026/12/14 23:00:00" << true;
}

void TestMeasurementLimits::schedules()
{
    QFETCH(QString, when);
    QFETCH(QString, time);
    QFETCH(bool, inside);
    QString error;
    const std::optional<LimitSchedule> s = readLimitSchedule(when, error);
    QVERIFY2(s, qPrintable(error));
    QCOMPARE(s->contains(civil(time)), inside);
}

void TestMeasurementLimits::badConfiguration_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("error");
    QTest::newRow("no level") << "name=day"
                              << "[limit1] level is missing";
    QTest::newRow("window") << "level=75|window=15 minutes"
                            << "[limit1] window must be a duration from 1 s to 86400 s (\"90s\", \"15min\", "
                               "\"1h\"), not \"15 minutes\"";
    QTest::newRow("short period") << "level=75|figure=leq-period|window=1min"
                                  << "[limit1] window must be a duration from 300 s to 86400 s (\"90s\", "
                                     "\"15min\", \"1h\"), not \"1min\"";
    QTest::newRow("figure") << "level=75|figure=lmax"
                            << "[limit1] figure must be leq, leq-period or level, not \"lmax\"";
    QTest::newRow("warning above") << "level=75|warning=80"
                                   << "[limit1] warning must not be above the level, not \"80\"";
    QTest::newRow("schedule") << "level=75|when=mon-fri 7-19"
                              << "[limit1] when: \"7-19\" is not a time span HH:MM-HH:MM";
    QTest::newRow("day") << "level=75|when=weekdays"
                         << "[limit1] when: \"weekdays\" is not DAYS [HH:MM-HH:MM | -] (days mon..sun, "
                            "\"mon-fri\")";
    QTest::newRow("coverage") << "level=75|min_coverage=120"
                              << "[limit1] min_coverage must be a number from 0 to 100, not \"120\"";
}

void TestMeasurementLimits::badConfiguration()
{
    QFETCH(QString, config);
    QFETCH(QString, error);
    QString why;
    QVERIFY(!readLimits(limitKeys(config), why));
    QCOMPARE(why, error);
}

void TestMeasurementLimits::liveEventsEqualTheAssessment_data()
{
    QTest::addColumn<QString>("records");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("continuation");
    const QString mixed = QStringLiteral("60*5 75 80 72 60 85*3 60*10 90 OL 91 P 88*4 60 70*2 60*3 95");
    QTest::newRow("plain") << mixed << 70.0 << 0.0 << 0.0;
    QTest::newRow("bridged") << mixed << 70.0 << 0.0 << 2.0;
    QTest::newRow("minimum duration") << mixed << 70.0 << 3.0 << 1.0;
    QTest::newRow("long continuation") << mixed << 80.0 << 2.0 << 20.0;
}

void TestMeasurementLimits::liveEventsEqualTheAssessment()
{
    QFETCH(QString, records);
    QFETCH(double, threshold);
    QFETCH(double, minimum);
    QFETCH(double, continuation);
    const EventSettings settings{threshold, minimum, continuation};
    const std::vector<RecordSample> s = seconds(civil("2026/12/11 12:00:00"), records);
    const EventSummary batch = *noiseEvents(s, 1.0, ExclusionMask{}, settings);

    MeterLimits meter(QStringLiteral("north"), {}, settings, 1.0);
    std::vector<NoiseEvent> started;
    std::vector<NoiseEvent> ended;
    std::vector<size_t> endedAfter; // the record that told the event's end
    size_t at = 0;
    connect(&meter, &MeterLimits::eventStarted, this, [&](const NoiseEvent& e) { started.push_back(e); });
    connect(&meter, &MeterLimits::eventEnded, this, [&](const NoiseEvent& e) {
        ended.push_back(e);
        endedAfter.push_back(at);
    });
    for (; at < s.size(); ++at)
        meter.addRecord(s[at]);
    meter.finish();

    QVERIFY(!batch.events.empty());
    QCOMPARE(ended.size(), batch.events.size());
    QCOMPARE(started.size(), batch.events.size());
    for (size_t i = 0; i < ended.size(); ++i) {
        const NoiseEvent& a = ended[i];
        const NoiseEvent& b = batch.events[i];
        QCOMPARE(a.number, b.number);
        QCOMPARE(a.start, b.start);
        QCOMPARE(a.last, b.last);
        QCOMPARE(a.durationSeconds, b.durationSeconds);
        QCOMPARE(a.maxTime, b.maxTime);
        QCOMPARE(a.lmax, b.lmax);
        QCOMPARE(a.leq, b.leq);
        QCOMPARE(a.sel, b.sel);
        QCOMPARE(a.overRange, b.overRange);
        // Started once it lasted the minimum; ended as soon as nothing could bridge it.
        QCOMPARE(started[i].number, b.number);
        QCOMPARE(started[i].start, b.start);
        QVERIFY(started[i].durationSeconds >= minimum);
        if (endedAfter[i] < s.size()) {
            const RecordSample& told = s[endedAfter[i]];
            QVERIFY(told.kind == LevelTextKind::Paused || double(told.time - b.last) >= 1 + continuation);
        }
    }
}

QTEST_GUILESS_MAIN(TestMeasurementLimits)
#include "test_measurement_limits.moc"
