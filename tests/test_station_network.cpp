// The station as it runs unattended: slm-station with simulated meters against a broker of the
// test's own, a subscriber watching. Every sample published once with its JSON; minute messages
// through a broker outage, in order and once; files saved after a SIGKILL; an hour boundary
// crossed under a test clock; a refused password retried while recording goes on; a
// configuration with a password that others can read refused.
#include "support/LocalBroker.h"
#include "support/StationRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

using namespace slm::test;

namespace
{

// Consecutive seconds, none twice.
bool consecutive(const QStringList& times)
{
    for (int i = 1; i < times.size(); ++i) {
        const QDateTime a = QDateTime::fromString(times[i - 1], "yyyy/MM/dd HH:mm:ss");
        const QDateTime b = QDateTime::fromString(times[i], "yyyy/MM/dd HH:mm:ss");
        if (a.secsTo(b) != 1)
            return false;
    }
    return true;
}

} // namespace

class TestStationNetwork : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void passwordReadableByOthersIsRefused();
    void threeMetersPublishEverySampleOnce();
    void brokerOutageLosesNoMinute();
    void fullQueueDropsTheOldestAndOutlivesARestart();
    void killedStationSavesItsFilesWhole();
    void hourBoundaryUnderTestClock();
    void wrongPasswordRetriedWhileRecording();

private:
    QString writeConfig(const QString& text,
                        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner);
    QTemporaryDir m_dir;
    int m_configs = 0;
};

void TestStationNetwork::initTestCase()
{
    if (!QFile::exists(QCoreApplication::applicationDirPath() + "/slm-station"))
        QSKIP("slm-station was not built (libmosquitto-dev missing)");
    if (!LocalBroker::available())
        QSKIP("the mosquitto broker and its clients are missing: run scripts/install-deps.sh");
    QVERIFY(m_dir.isValid());
}

QString TestStationNetwork::writeConfig(const QString& text, QFile::Permissions permissions)
{
    const QString path = m_dir.filePath(QStringLiteral("station%1.ini").arg(++m_configs));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    file.close();
    file.setPermissions(permissions);
    return path;
}

void TestStationNetwork::passwordReadableByOthersIsRefused()
{
    const QString text =
        "[station]\nid=s\ndata=" + m_dir.filePath("refused") +
        "\n[mqtt]\nhost=127.0.0.1\nusername=u\npassword=Secret-77\n[meter1]\nport=simulated\n";
    const QString open =
        writeConfig(text, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/slm-station", {"--config", open});
    QVERIFY(p.waitForFinished(10000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 78);
    QVERIFY2(err.contains("refusing to start") && err.contains("chmod 600"), qPrintable(err));
    QVERIFY(!err.contains("Secret-77"));
    QVERIFY(!QDir(m_dir.filePath("refused")).exists());
}

void TestStationNetwork::threeMetersPublishEverySampleOnce()
{
    LocalBroker broker(m_dir.filePath("broker1"));
    QVERIFY(broker.start());
    Subscriber sub(broker.port(), "slm/#", "watch1");
    const QString data = m_dir.filePath("three");
    QString text = QString("[station]\nid=site1\ndata=%1\n[mqtt]\nhost=127.0.0.1\nport=%2\n")
                       .arg(data)
                       .arg(broker.port());
    const QStringList names = {"north", "east", "south"};
    for (int i = 0; i < 3; ++i)
        text += QString("[meter%1]\nname=%2\nport=simulated\nsimulator_arguments=--level %3\n")
                    .arg(i + 1)
                    .arg(names[i])
                    .arg(50 + 10 * i);
    StationRun station(writeConfig(text));
    station.run(6500);
    QCOMPARE(station.stop(), 0);
    QVERIFY(sub.waitFor("slm/site1/south/state", 3, 5000));
    for (int i = 0; i < 3; ++i) {
        const QString base = "slm/site1/" + names[i];
        const QStringList files = filesIn(data + "/" + names[i], "*.slmm");
        QVERIFY(!files.isEmpty());
        QStringList recorded;
        for (const QString& f : files)
            recorded += readRecordFile(f).times;
        QVERIFY2(recorded.size() >= 4, qPrintable(station.log()));
        QStringList published;
        for (const Subscriber::Message& m : sub.on(base + "/level")) {
            const QJsonObject json = QJsonDocument::fromJson(m.payload).object();
            const QStringList keys = json.keys();
            QCOMPARE(QSet<QString>(keys.begin(), keys.end()),
                     QSet<QString>(
                         {"time", "level", "flag", "weighting", "time_weighting", "range", "interval_s"}));
            QCOMPARE(json["level"].toDouble(), 50.0 + 10 * i);
            QVERIFY(json["flag"].isNull());
            QCOMPARE(json["weighting"].toString(), "A");
            QCOMPARE(json["time_weighting"].toString(), "FAST");
            QVERIFY(json["range"].toString().contains('-'));
            QCOMPARE(json["interval_s"].toInt(), 1);
            const QString time = json["time"].toString();
            QVERIFY(time.endsWith('Z'));
            published
                << QDateTime::fromString(time, Qt::ISODate).toLocalTime().toString("yyyy/MM/dd HH:mm:ss");
        }
        // Every recorded sample once on the broker, nothing else.
        QCOMPARE(published, recorded);
        const QList<Subscriber::Message> states = sub.on(base + "/state");
        QVERIFY(states.first().payload.contains("\"online\""));
        QCOMPARE(states.last().payload, QByteArray(R"({"state":"offline"})"));
    }
}

void TestStationNetwork::brokerOutageLosesNoMinute()
{
    LocalBroker broker(m_dir.filePath("broker2"));
    QVERIFY(broker.start());
    Subscriber sub(broker.port(), "slm/+/+/minute", "watch2");
    const QString data = m_dir.filePath("outage");
    StationRun station(writeConfig(QString("[station]\nid=s2\ndata=%1\n[mqtt]\nhost=127.0.0.1\nport=%2\n"
                                           "minute_seconds=2\nreconnect_min=1\nreconnect_max=2\n"
                                           "[meter1]\nname=m\nport=simulated\n")
                                       .arg(data)
                                       .arg(broker.port())));
    station.run(5000);
    broker.stop();
    station.run(20000);
    QVERIFY(broker.start());
    station.run(7000);
    QCOMPARE(station.stop(), 0);
    const QString log = station.log();
    QVERIFY2(log.contains("lost the broker"), qPrintable(log));
    QVERIFY2(log.contains("the queue is sent"), qPrintable(log));
    sub.waitFor("slm/s2/m/minute", 14, 5000);
    QStringList times;
    for (const Subscriber::Message& m : sub.on("slm/s2/m/minute"))
        times << QJsonDocument::fromJson(m.payload).object()["time"].toString();
    qInfo("minute messages received: %lld", qlonglong(times.size()));
    QVERIFY2(times.size() >= 14, qPrintable(times.join(' ')));
    for (int i = 1; i < times.size(); ++i)
        QVERIFY2(QDateTime::fromString(times[i - 1], Qt::ISODate)
                         .secsTo(QDateTime::fromString(times[i], Qt::ISODate)) == 2,
                 qPrintable(times.join(' ')));
    // Recording went on through the outage.
    QStringList recorded;
    for (const QString& f : filesIn(data + "/m", "*.slmm"))
        recorded += readRecordFile(f).times;
    QVERIFY(recorded.size() >= 28);
}

void TestStationNetwork::fullQueueDropsTheOldestAndOutlivesARestart()
{
    LocalBroker broker(m_dir.filePath("broker4"));
    const QString config =
        writeConfig(QString("[station]\nid=q\ndata=%1\n[mqtt]\nhost=127.0.0.1\nport=%2\n"
                            "minute_seconds=1\nqueue_messages=3\n[meter1]\nname=m\nport=simulated\n")
                        .arg(m_dir.filePath("queue"))
                        .arg(broker.port()));
    {
        // No broker yet: the minutes fill the queue.
        StationRun station(config);
        station.run(6000);
        QCOMPARE(station.stop(), 0);
        QVERIFY2(station.log().contains("the queue is full (3 minute messages): dropped the oldest 1"),
                 qPrintable(station.log()));
    }
    QVERIFY(broker.start());
    Subscriber sub(broker.port(), "slm/q/m/minute", "watch4");
    StationRun station(config);
    QVERIFY(sub.waitFor("slm/q/m/minute", 4, 10000));
    QCOMPARE(station.stop(), 0);
    QVERIFY2(station.log().contains("3 minute messages wait in the queue"), qPrintable(station.log()));
    QStringList times;
    for (const Subscriber::Message& m : sub.on("slm/q/m/minute"))
        times << QJsonDocument::fromJson(m.payload).object()["time"].toString();
    // The three kept from the first run, in order, then the new ones.
    for (int i = 1; i < times.size(); ++i)
        QVERIFY2(times[i - 1] < times[i], qPrintable(times.join(' ')));
}

void TestStationNetwork::killedStationSavesItsFilesWhole()
{
    const QString data = m_dir.filePath("killed");
    const QString config = writeConfig(QString("[station]\nid=k\ndata=%1\n[meter1]\nname=a\nport=simulated\n"
                                               "[meter2]\nname=b\nport=simulated\nrotate=day\n")
                                           .arg(data));
    QMap<QString, Records> parts;
    QMap<QString, QString> partPaths;
    {
        StationRun station(config);
        station.run(4500);
        station.signal(SIGKILL);
        station.kill();
    }
    for (const QString& meter : {"a", "b"}) {
        const QStringList part = filesIn(data + "/" + meter, "*.part");
        QCOMPARE(part.size(), 1);
        parts[meter] = readRecordFile(part.first());
        partPaths[meter] = part.first().chopped(5);
        QVERIFY(parts[meter].times.size() >= 2);
    }
    StationRun again(config);
    again.run(2500);
    QCOMPARE(again.stop(), 0);
    const QString log = again.log();
    for (const QString& meter : {"a", "b"}) {
        QVERIFY(filesIn(data + "/" + meter, "*.part").isEmpty());
        const QStringList files = filesIn(data + "/" + meter, "*.slmm");
        QCOMPARE(files.size(), 2);
        QVERIFY2(log.contains(QString("%1: saved the interrupted file %2 with %3 records")
                                  .arg(meter, partPaths[meter])
                                  .arg(parts[meter].times.size())),
                 qPrintable(log));
        const Records saved = readRecordFile(partPaths[meter]);
        QCOMPARE(saved.times, parts[meter].times);
        QCOMPARE(saved.levels, parts[meter].levels);
        // The saved file's maximum is its own.
        double max = 0;
        for (const QString& level : saved.levels)
            max = std::max(max, level.toDouble());
        QCOMPARE(saved.header[5].toDouble(), max);
    }
}

void TestStationNetwork::hourBoundaryUnderTestClock()
{
    const QString data = m_dir.filePath("hour");
    const QDate day = QDate::currentDate();
    StationRun station(writeConfig(QString("[station]\nid=h\ndata=%1\nclock_start=%2 10:59:56\n"
                                           "[meter1]\nname=n\nport=simulated\nrotate=hour\n")
                                       .arg(data, day.toString("yyyy-MM-dd"))));
    station.run(8500);
    QCOMPARE(station.stop(), 0);
    const QStringList files = filesIn(data + "/n", "*.slmm");
    QCOMPARE(files.size(), 2);
    QVERIFY(files[0].endsWith(day.toString("yyyyMMdd") + "-10.slmm"));
    QVERIFY(files[1].endsWith(day.toString("yyyyMMdd") + "-11.slmm"));
    const Records before = readRecordFile(files[0]);
    const Records after = readRecordFile(files[1]);
    QVERIFY(!before.times.isEmpty() && after.times.size() >= 3);
    QCOMPARE(before.times.last(), day.toString("yyyy/MM/dd") + " 10:59:59");
    QCOMPARE(after.times.first(), day.toString("yyyy/MM/dd") + " 11:00:00");
    QVERIFY(consecutive(before.times + after.times));
    for (const Records& r : {before, after}) {
        double max = 0;
        QString maxTime;
        for (int i = 0; i < r.levels.size(); ++i)
            if (r.levels[i].toDouble() > max)
                max = r.levels[i].toDouble(), maxTime = r.times[i];
        QCOMPARE(r.header[5].toDouble(), max);
        QCOMPARE(r.header[6], maxTime);
    }
}

void TestStationNetwork::wrongPasswordRetriedWhileRecording()
{
    const QString passwords = m_dir.filePath("passwords");
    QFile::remove(passwords);
    QVERIFY(QProcess::execute("mosquitto_passwd", {"-c", "-b", passwords, "station", "right-one"}) == 0);
    LocalBroker broker(m_dir.filePath("broker3"), {"allow_anonymous false", "password_file " + passwords});
    QVERIFY(broker.start());
    const QString data = m_dir.filePath("password");
    StationRun station(
        writeConfig(QString("[station]\nid=p\ndata=%1\n[mqtt]\nhost=127.0.0.1\nport=%2\n"
                            "username=station\npassword=wrong-one\nreconnect_min=1\nreconnect_max=1\n"
                            "[meter1]\nname=m\nport=simulated\n")
                        .arg(data)
                        .arg(broker.port())));
    station.run(5500);
    QCOMPARE(station.stop(), 0);
    const QString log = station.log();
    QVERIFY2(log.count("refused the connection") >= 2, qPrintable(log));
    QVERIFY(!log.contains("wrong-one"));
    QStringList recorded;
    for (const QString& f : filesIn(data + "/m", "*.slmm"))
        recorded += readRecordFile(f).times;
    QVERIFY2(recorded.size() >= 3, qPrintable(log));
}

QTEST_GUILESS_MAIN(TestStationNetwork)
#include "test_station_network.moc"
