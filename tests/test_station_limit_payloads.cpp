// What a meter's limits publish and keep: the alert and event messages, the Home Assistant
// entries, the daily alarm log and the energy totals that outlive a restart.
#include "station/AlarmLog.h"
#include "station/EnergyTotals.h"
#include "station/LimitPayloads.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm;
using namespace slm::station;

class TestStationLimitPayloads : public QObject
{
    Q_OBJECT
private slots:
    void alertAndEvent();
    void discovery();
    void alarmLog();
    void energyTotalsOutliveARestart();
};

namespace
{

LimitTransition alarm()
{
    LimitTransition t;
    t.limit = QStringLiteral("day");
    t.state = LimitState::Alarm;
    t.previous = LimitState::Warning;
    t.time = *civilSeconds("2026/12/11 12:00:10");
    t.since = t.time - 5;
    t.figure = 75.04;
    t.threshold = 75;
    t.windowSeconds = 900;
    return t;
}

QString utc(const char* local)
{
    return localDateTimeOf(*civilSeconds(local)).toUTC().toString(Qt::ISODate);
}

} // namespace

void TestStationLimitPayloads::alertAndEvent()
{
    const QJsonObject a = QJsonDocument::fromJson(alertPayload(alarm())).object();
    QCOMPARE(a.keys(), QStringList({"figure", "limit", "previous", "reason", "since", "state", "threshold",
                                    "time", "window_s"}));
    QCOMPARE(a.value("state").toString(), QStringLiteral("alarm"));
    QCOMPARE(a.value("figure").toDouble(), 75.0);
    QCOMPARE(a.value("time").toString(), utc("2026/12/11 12:00:10"));
    QCOMPARE(a.value("since").toString(), utc("2026/12/11 12:00:05"));

    NoiseEvent e;
    e.number = 3;
    e.start = *civilSeconds("2026/12/11 12:00:00");
    e.last = e.start + 4;
    e.durationSeconds = 5;
    e.lmax = 91.234;
    e.maxTime = e.start + 2;
    const QJsonObject end = QJsonDocument::fromJson(eventPayload(EventPhase::End, e, 1.0)).object();
    // The keys of the report's event list, and the phase.
    QCOMPARE(end.keys(), QStringList({"duration_s", "end", "leq", "lmax", "max_time", "number", "over_range",
                                      "phase", "sel", "start"}));
    QCOMPARE(end.value("end").toString(), utc("2026/12/11 12:00:05"));
    QCOMPARE(end.value("lmax").toDouble(), 91.23);
    QVERIFY(QJsonDocument::fromJson(eventPayload(EventPhase::Start, e, 1.0)).object().value("end").isNull());
}

void TestStationLimitPayloads::discovery()
{
    StationConfig config;
    config.id = QStringLiteral("site1");
    MeterConfig meter;
    meter.name = QStringLiteral("north");
    LimitConfig rolling;
    rolling.name = QStringLiteral("day");
    LimitConfig level = rolling;
    level.name = QStringLiteral("night");
    level.figure = LimitFigure::Level;
    const auto entries = limitDiscovery(config, meter, {rolling, level});
    QCOMPARE(entries.size(), 3); // two problems and one rolling figure
    QCOMPARE(entries[0].first, QByteArray("homeassistant/binary_sensor/slm_site1_north_limit_day/config"));
    const QJsonObject problem = QJsonDocument::fromJson(entries[0].second).object();
    QCOMPARE(problem.value("device_class").toString(), QStringLiteral("problem"));
    QCOMPARE(problem.value("state_topic").toString(), QStringLiteral("slm/site1/north/alert/day"));
}

void TestStationLimitPayloads::alarmLog()
{
    QTemporaryDir dir;
    AlarmLog log(dir.path());
    QString error;
    LimitTransition clear = alarm();
    clear.state = LimitState::Inactive;
    clear.previous = LimitState::Alarm;
    clear.reason = QStringLiteral("schedule");
    QVERIFY(log.append("north", alarm(), error));
    QVERIFY(log.append("north", clear, error));
    QFile file(dir.filePath("alarms-20261211.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QByteArray("time,meter,limit,state,previous,figure,threshold,since,window_s,reason"));
    QVERIFY(lines[1].startsWith("2026-12-11T12:00:10"));
    QVERIFY(lines[1].contains(",north,day,alarm,warning,75.0,75.0,"));
    QVERIFY(lines[2].contains(",north,day,inactive,alarm,75.0,75.0,"));
    QVERIFY(lines[2].endsWith(",900,schedule"));
}

void TestStationLimitPayloads::energyTotalsOutliveARestart()
{
    QTemporaryDir dir;
    LevelFigureCounter counter;
    for (int i = 0; i < 60; ++i)
        counter.add(QStringView(u"70.0"));
    const MinuteEnergy minute = minuteEnergy(counter.finish(1.0), 1.0);
    QCOMPARE(minute.measuredSeconds, 60.0);
    QVERIFY(std::abs(minute.exposurePa2s - 4e-10 * 1e7 * 60) < 1e-12); // (20 uPa)^2 x 10^7 x 60 s
    QString error;
    {
        EnergyTotals totals(dir.filePath("north.totals"));
        QVERIFY(totals.load(error));
        QVERIFY(totals.add(minute, error));
        QVERIFY(totals.add(minute, error));
    }
    EnergyTotals again(dir.filePath("north.totals"));
    QVERIFY(again.load(error));
    QCOMPARE(again.measuredSeconds(), 120.0);
    QVERIFY(std::abs(again.exposurePa2s() - 2 * minute.exposurePa2s) < 1e-12);
    const QJsonObject json = QJsonDocument::fromJson(withEnergy("{\"leq\":70}", minute, again)).object();
    QCOMPARE(json.value("measured_s_total").toDouble(), 120.0);
    QVERIFY(json.contains("energy_pa2s") && json.contains("exposure_pa2s_total") && json.contains("leq"));
}

QTEST_GUILESS_MAIN(TestStationLimitPayloads)
#include "test_station_limit_payloads.moc"
