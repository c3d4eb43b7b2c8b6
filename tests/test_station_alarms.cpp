// The station's limits and live events against a broker of the test's own: a simulated meter
// playing 2 s at 70 dB then 2 s at 50 dB raises and clears a level limit, each transition goes
// out on `alert`, into the alarm log and the retained `alert/NAME`, the live events equal what
// the report program finds in the station's own file, and the energy totals survive a restart.
#include "support/LocalBroker.h"
#include "support/ReportProgram.h"
#include "support/StationRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

QList<QJsonObject> payloads(const QList<Subscriber::Message>& messages)
{
    QList<QJsonObject> out;
    for (const Subscriber::Message& m : messages)
        out << json(m.payload);
    return out;
}

// Times compared as instants: the report writes local time with its offset, the station UTC.
QJsonObject comparable(QJsonObject event)
{
    event.remove("phase");
    for (const char* key : {"start", "end", "max_time"})
        if (event[key].isString())
            event[key] =
                QString::number(QDateTime::fromString(event[key].toString(), Qt::ISODate).toSecsSinceEpoch());
    return event;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestStationAlarms : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void transitionsGoOutOnAlert();
    void alarmLogListsEveryTransition();
    void limitStateIsRetained();
    void liveEventsEqualTheReport();
    void energyTotalsSurviveARestart();
    void badLimitsAreRefused_data();
    void badLimitsAreRefused();

private:
    QString config(const QString& clockStart, const QString& extra = {}) const;
    void runStation(const QString& clockStart, int ms);
    bool stopSeen(int n);

    QTemporaryDir m_dir;
    std::unique_ptr<LocalBroker> m_broker;
    std::unique_ptr<Subscriber> m_sub;
    QList<Subscriber::Message> m_firstRun; // what arrived while the first run went on
    QList<QJsonObject> m_retained;
};

QString TestStationAlarms::config(const QString& clockStart, const QString& extra) const
{
    return QStringLiteral("[station]\nid=t\ndata=%1/data\nclock_start=%2\n"
                          "[mqtt]\nhost=127.0.0.1\nport=%3\nminute_seconds=2\n"
                          "[meter1]\nname=m\nport=simulated\nsimulator_arguments=--levels %1/levels.txt\n"
                          "[limit1]\nname=loud\nfigure=level\nlevel=65\nwarning=60\nhysteresis=1\n"
                          "[events]\nthreshold=65\nmin_duration=1\ncontinuation=0\n")
               .arg(m_dir.path(), clockStart)
               .arg(m_broker->port()) +
           extra;
}

void TestStationAlarms::runStation(const QString& clockStart, int ms)
{
    const QString path = m_dir.filePath("station.ini");
    writeFile(path, config(clockStart).toUtf8());
    StationRun station(path);
    station.run(ms);
    QCOMPARE(station.stop(), 0);
}

void TestStationAlarms::initTestCase()
{
    if (!QFile::exists(QCoreApplication::applicationDirPath() + "/slm-station"))
        QSKIP("slm-station was not built (libmosquitto-dev missing)");
    if (!LocalBroker::available())
        QSKIP("the mosquitto broker and its clients are missing: run scripts/install-deps.sh");
    qputenv("TZ", "UTC"); // the alarm log's file is named by the local date
    QByteArray levels;    // frames of 100 ms: 2 s at 70 dB, 2 s at 50 dB, for a minute
    for (int cycle = 0; cycle < 15; ++cycle)
        levels += QByteArray("70\n").repeated(20) + QByteArray("50\n").repeated(20);
    writeFile(m_dir.filePath("levels.txt"), levels);
    m_broker = std::make_unique<LocalBroker>(m_dir.filePath("broker"));
    QVERIFY(m_broker->start());
    m_sub = std::make_unique<Subscriber>(m_broker->port(), "slm/#", "alarms");

    runStation("2026-12-08 10:00:00", 9500);
    QVERIFY(stopSeen(0));
    m_firstRun = m_sub->messages();
    // A client that comes later is told each limit's state at once.
    Subscriber late(m_broker->port(), "slm/t/m/alert/+", "late");
    QVERIFY(late.waitFor("slm/t/m/alert/loud", 1, 3000));
    m_retained = payloads(late.on("slm/t/m/alert/loud"));

    runStation("2026-12-08 11:00:00", 4500);
    QVERIFY(stopSeen(1));
}

// The subscriber has everything up to the `n`th run's "offline".
bool TestStationAlarms::stopSeen(int n)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        const QList<Subscriber::Message> states = m_sub->on("slm/t/m/state");
        if (std::count_if(states.begin(), states.end(),
                          [](const Subscriber::Message& m) { return m.payload.contains("offline"); }) > n)
            return true;
        QTest::qWait(100);
    }
    return false;
}

void TestStationAlarms::transitionsGoOutOnAlert()
{
    QList<QJsonObject> alerts;
    for (const Subscriber::Message& m : std::as_const(m_firstRun))
        if (m.topic == u"slm/t/m/alert")
            alerts << json(m.payload);
    QVERIFY2(alerts.size() >= 3, qPrintable(QString::number(alerts.size())));
    // 70 dB: straight to alarm; 50 dB: below the warning level less the hysteresis, clear.
    const QJsonObject first = alerts[0];
    QCOMPARE(first["limit"].toString(), QStringLiteral("loud"));
    QCOMPARE(first["state"].toString(), QStringLiteral("alarm"));
    QCOMPARE(first["previous"].toString(), QStringLiteral("clear"));
    QCOMPARE(first["figure"].toDouble(), 70.0);
    QCOMPARE(first["threshold"].toDouble(), 65.0);
    QCOMPARE(first["window_s"].toInt(), 1);
    QVERIFY(first["time"].toString().startsWith("2026-12-08T10:00:"));
    for (qsizetype i = 1; i < alerts.size(); ++i) {
        QCOMPARE(alerts[i]["previous"].toString(), alerts[i - 1]["state"].toString());
        QCOMPARE(alerts[i]["state"].toString(), QString(i % 2 ? "clear" : "alarm"));
    }
    QCOMPARE(alerts[1]["threshold"].toDouble(), 65.0); // of the state left
    qInfo("%lld alerts in the first run", qlonglong(alerts.size()));
}

void TestStationAlarms::alarmLogListsEveryTransition()
{
    QFile log(m_dir.filePath("data/alarms-20261208.csv"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0),
             QStringLiteral("time,meter,limit,state,previous,figure,threshold,since,window_s,reason"));
    const QList<Subscriber::Message> alerts = m_sub->on("slm/t/m/alert");
    QCOMPARE(lines.size() - 1, alerts.size()); // both runs, one line each
    for (qsizetype i = 0; i < alerts.size(); ++i) {
        const QStringList fields = lines[i + 1].split(u',');
        const QJsonObject a = json(alerts[i].payload);
        QCOMPARE(QDateTime::fromString(fields[0], Qt::ISODate),
                 QDateTime::fromString(a["time"].toString(), Qt::ISODate));
        QCOMPARE(fields.mid(1, 4),
                 QStringList({"m", "loud", a["state"].toString(), a["previous"].toString()}));
    }
}

void TestStationAlarms::limitStateIsRetained()
{
    QCOMPARE(m_retained.size(), 1);
    const QJsonObject state = m_retained[0];
    QCOMPARE(state["limit"].toString(), QStringLiteral("loud"));
    QVERIFY(state["state"].toString() == u"alarm" || state["state"].toString() == u"clear");
    QVERIFY(state["figure"].toDouble() == 70.0 || state["figure"].toDouble() == 50.0);
    QCOMPARE(state["level"].toDouble(), 65.0);
    QCOMPARE(state["figure_kind"].toString(), QStringLiteral("level"));
}

void TestStationAlarms::liveEventsEqualTheReport()
{
    QList<QJsonObject> live;
    for (const Subscriber::Message& m : std::as_const(m_firstRun))
        if (m.topic == u"slm/t/m/event" && json(m.payload)["phase"].toString() == u"end")
            live << comparable(json(m.payload));
    const QStringList files = filesIn(m_dir.filePath("data/m"), "m-20261208-10*.slmm");
    QCOMPARE(files.size(), 1);
    const ReportRun report = runReportProgram({"--json", "--events", "65,1,0", files[0]});
    QCOMPARE(report.status, 0);
    const QJsonArray list = json(report.out)["events"].toObject()["list"].toArray();
    QVERIFY(list.size() >= 2);
    QCOMPARE(live.size(), list.size());
    for (qsizetype i = 0; i < live.size(); ++i)
        QCOMPARE(live[i], comparable(list[i].toObject()));
    // Each start was told once it had lasted the minimum duration, before its end.
    qsizetype starts = 0;
    for (const Subscriber::Message& m : std::as_const(m_firstRun))
        starts += m.topic == u"slm/t/m/event" && json(m.payload)["phase"].toString() == u"start";
    QCOMPARE(starts, live.size());
    qInfo("%lld live events equal the report's", qlonglong(live.size()));
}

void TestStationAlarms::energyTotalsSurviveARestart()
{
    const QList<QJsonObject> minutes = payloads(m_sub->on("slm/t/m/minute"));
    QVERIFY(minutes.size() >= 6);
    double energy = 0;
    double measured = 0;
    bool restarted = false;
    for (const QJsonObject& m : minutes) {
        energy += m["energy_pa2s"].toDouble();
        measured += m["levels"].toDouble() * m["interval_s"].toDouble();
        // The totals run on over the restart: each minute adds its own to all before it.
        QCOMPARE(m["measured_s_total"].toDouble(), measured);
        QVERIFY(qAbs(m["exposure_pa2s_total"].toDouble() - energy) <= 1e-9 * energy);
        restarted = restarted || m["time"].toString().startsWith("2026-12-08T11:");
    }
    QVERIFY(restarted);
    QFile kept(m_dir.filePath("data/energy/m.json"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(json(kept.readAll())["measured_s_total"].toDouble(), measured);
}

void TestStationAlarms::badLimitsAreRefused_data()
{
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("message");
    QTest::newRow("level not a number") << "[limit2]\nlevel=loud\n"
                                        << "[limit2] level must be a number from 0 to 200, not \"loud\"";
    QTest::newRow("no level") << "[limit2]\nname=x\n"
                              << "[limit2] level is missing";
    QTest::newRow("unknown meter") << "[limit2]\nlevel=70\nmeters=m,n\n"
                                   << "[limit2] meters names \"n\", which is no meter's name";
    QTest::newRow("events of no meter") << "[events.n]\nthreshold=70\n"
                                        << "[events.n] is for the meter \"n\", which is no meter's name";
    QTest::newRow("events without a threshold") << "[events.m]\nmin_duration=2\n"
                                                << "[events.m] threshold is missing";
}

void TestStationAlarms::badLimitsAreRefused()
{
    QFETCH(QString, extra);
    QFETCH(QString, message);
    const QString path = m_dir.filePath("bad.ini");
    writeFile(path, config("2026-12-08 12:00:00", extra).toUtf8());
    StationRun station(path);
    QCOMPARE(station.waitForExit(10000), 78);
    QVERIFY2(station.log().contains(path + ": " + message), qPrintable(station.log()));
}

QTEST_GUILESS_MAIN(TestStationAlarms)
#include "test_station_alarms.moc"
