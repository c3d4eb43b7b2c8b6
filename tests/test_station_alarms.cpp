// The station's limits and live events against a broker of the test's own: a simulated meter
// playing 2 s at 70 dB then 2 s at 50 dB raises and clears a level limit on `alert`, in the
// alarm log and in the retained `alert/NAME`; its live events are those the report program finds
// in the station's own file; the energy totals run on over a restart.
#include "support/LocalBroker.h"
#include "support/ReportProgram.h"
#include "support/StationRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm::test;

namespace
{

QJsonObject json(const QByteArray& payload)
{
    return QJsonDocument::fromJson(payload).object();
}

// Times as instants: the report writes local time with its offset, the station UTC.
QJsonObject comparable(QJsonObject event)
{
    event.remove("phase");
    for (const char* key : {"start", "end", "max_time"})
        event[key] = QDateTime::fromString(event[key].toString(), Qt::ISODate).toSecsSinceEpoch();
    return event;
}

} // namespace

class TestStationAlarms : public QObject
{
    Q_OBJECT
private slots:
    void alarmsEventsAndTotals();
};

void TestStationAlarms::alarmsEventsAndTotals()
{
    if (!QFile::exists(QCoreApplication::applicationDirPath() + "/slm-station") || !LocalBroker::available())
        QSKIP("slm-station or mosquitto is missing: run scripts/install-deps.sh");
    qputenv("TZ", "UTC"); // the alarm log is named by the local date
    QTemporaryDir dir;
    QFile levels(dir.filePath("levels")); // frames of 100 ms
    QVERIFY(levels.open(QIODevice::WriteOnly));
    levels.write((QByteArray("70\n").repeated(20) + QByteArray("50\n").repeated(20)).repeated(15));
    levels.close();
    LocalBroker broker(dir.filePath("broker"));
    QVERIFY(broker.start());
    Subscriber sub(broker.port(), "slm/#", "alarms");
    int runs = 0;
    const auto runStation = [&](const QString& clock, int ms) {
        QFile ini(dir.filePath("station.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(
            QStringLiteral("[station]\nid=t\ndata=%1/data\nclock_start=2026-12-08 %2\n[mqtt]\n"
                           "host=127.0.0.1\nport=%3\nminute_seconds=2\n[meter1]\nname=m\nport=simulated\n"
                           "simulator_arguments=--levels %1/levels\n[limit1]\nname=loud\nfigure=level\n"
                           "level=65\n[events]\nthreshold=65\nmin_duration=1\ncontinuation=0\n")
                .arg(dir.path(), clock)
                .arg(broker.port())
                .toUtf8());
        ini.close();
        StationRun station(ini.fileName());
        station.run(ms);
        QCOMPARE(station.stop(), 0);
        // Everything up to its "offline" has arrived.
        const auto offline = [&] {
            const QList<Subscriber::Message> states = sub.on("slm/t/m/state");
            return std::count_if(states.begin(), states.end(),
                                 [](const auto& m) { return m.payload.contains("offline"); });
        };
        ++runs;
        QTRY_COMPARE(offline(), runs);
    };
    runStation("10:00:00", 9500);

    // Every transition on `alert`: straight to alarm at 70 dB, clear again at 50 dB.
    const QList<Subscriber::Message> alerts = sub.on("slm/t/m/alert");
    QVERIFY(alerts.size() >= 3);
    for (qsizetype i = 0; i < alerts.size(); ++i) {
        const QJsonObject a = json(alerts[i].payload);
        QCOMPARE(a["state"].toString(), QString(i % 2 ? "clear" : "alarm"));
        QCOMPARE(a["figure"].toDouble(), i % 2 ? 50.0 : 70.0);
        QCOMPARE(a["threshold"].toDouble(), 65.0);
    }
    // One line each in the day's alarm log.
    QFile log(dir.filePath("data/alarms-20261208.csv"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), alerts.size() + 1);
    QCOMPARE(lines[1].split(',').mid(1, 4), QList<QByteArray>({"m", "loud", "alarm", "clear"}));
    // A client that comes later is told the limit's state at once.
    Subscriber late(broker.port(), "slm/t/m/alert/+", "late");
    QVERIFY(late.waitFor("slm/t/m/alert/loud", 1, 3000));
    const QJsonObject state = json(late.on("slm/t/m/alert/loud")[0].payload);
    QCOMPARE(state["state"].toString(), json(alerts.last().payload)["state"].toString());

    // The live events are the report's over the station's file, each told at its start too.
    const ReportRun report =
        runReportProgram({"--json", "--events", "65,1,0", dir.filePath("data/m/m-20261208-10.slmm")});
    const QJsonArray listed = json(report.out)["events"].toObject()["list"].toArray();
    QList<QJsonObject> ends;
    for (const Subscriber::Message& m : sub.on("slm/t/m/event"))
        if (json(m.payload)["phase"].toString() == u"end")
            ends << comparable(json(m.payload));
    QVERIFY(listed.size() >= 2);
    QCOMPARE(ends.size(), listed.size());
    QCOMPARE(sub.on("slm/t/m/event").size(), 2 * listed.size());
    for (qsizetype i = 0; i < ends.size(); ++i)
        QCOMPARE(ends[i], comparable(listed[i].toObject()));

    // Restarted an hour later, each minute still adds its own energy to all before it.
    runStation("11:00:00", 4500);
    if (QTest::currentTestFailed())
        return;
    double exposure = 0;
    double measured = 0;
    const QList<Subscriber::Message> minutes = sub.on("slm/t/m/minute");
    for (const Subscriber::Message& m : minutes) {
        const QJsonObject minute = json(m.payload);
        exposure += minute["energy_pa2s"].toDouble();
        measured += minute["levels"].toDouble() * minute["interval_s"].toDouble();
        QCOMPARE(minute["measured_s_total"].toDouble(), measured);
        QVERIFY(qAbs(minute["exposure_pa2s_total"].toDouble() - exposure) <= 1e-9 * exposure);
    }
    QVERIFY(json(minutes.last().payload)["time"].toString().startsWith("2026-12-08T11:"));
    qInfo("%lld alerts, %lld events, %lld minutes", qlonglong(alerts.size()), qlonglong(ends.size()),
          qlonglong(minutes.size()));
}

QTEST_GUILESS_MAIN(TestStationAlarms)
#include "test_station_alarms.moc"
