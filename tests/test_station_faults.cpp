// The station under faults, one row each, against a broker of the test's own: what the log says
// (the cause and the file or key), what is kept (records, queued minutes) and the exit status.
#include "support/LocalBroker.h"
#include "support/StationRun.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace slm::test;

namespace
{

QByteArray seeded(int n)
{
    return QStringLiteral("+%1 slm/f/m/minute {\"seeded\":%1,\"time\":\"2020-01-01T00:0%1:00Z\"}\n")
        .arg(n)
        .toUtf8();
}

// What an earlier run left in the queue file, per setup.
QByteArray seededQueue(const QString& setup)
{
    if (setup == u"cut-plus")
        return seeded(1) + seeded(2) + seeded(3).left(30);
    if (setup == u"cut-minus")
        return seeded(1) + seeded(2) + "-1";
    if (setup == u"spaced-topic")
        return seeded(1).replace("slm/f/m", "slm/f x/m") + seeded(2);
    if (setup == u"glued")
        return seeded(1) + "-1" + seeded(2) + seeded(3);
    return {};
}

void writeFile(const QString& path, const QByteArray& bytes, QFile::Permissions permissions)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    file.setPermissions(permissions);
}

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

// A terminal nobody answers on, as a device the station may open.
struct Terminal {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    Terminal() { ::grantpt(master), ::unlockpt(master); }
    ~Terminal() { ::close(master); }
    QString path() const { return QString::fromLatin1(::ptsname(master)); }
};

// The id of a process that has ended.
qint64 endedProcess()
{
    QProcess p;
    p.start("true");
    p.waitForStarted();
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

QString manualPageExample()
{
    QFile page(QStringLiteral(SLM_MANUAL_PAGE));
    if (!page.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(page.readAll());
    const qsizetype from = text.indexOf(".nf\n") + 4;
    return text.mid(from, text.indexOf(".fi\n", from) - from);
}

} // namespace

class TestStationFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void faults_data();
    void faults();

private:
    QTemporaryDir m_dir;
    int m_rows = 0;
};

void TestStationFaults::initTestCase()
{
    if (!QFile::exists(QCoreApplication::applicationDirPath() + "/slm-station"))
        QSKIP("slm-station was not built (libmosquitto-dev missing)");
    if (!LocalBroker::available())
        QSKIP("the mosquitto broker and its clients are missing: run scripts/install-deps.sh");
    QVERIFY(m_dir.isValid());
}

void TestStationFaults::faults_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("config");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<int>("records");       // at least
    QTest::addColumn<int>("seededMinutes"); // minutes of an earlier run published, exactly
    QTest::addColumn<int>("minutes");       // minute messages published, at least
    const QString station = "[station]\nid=f\ndata=@data@\n";
    const QString mqtt = "[mqtt]\nhost=127.0.0.1\nport=@broker@\nminute_seconds=1\nreconnect_min=1\n";
    const QString meter = "[meter1]\nname=m\nport=simulated\n";
    const QString plain = station + mqtt + meter;
    const QString queue = "@data@/queue/m.queue";

    QTest::newRow("queue cut in a + line")
        << "cut-plus" << plain << 0 << "m: dropped the cut end of the queue " + queue + " (30 bytes" << 2 << 2
        << 3;
    QTest::newRow("queue cut in a - line")
        << "cut-minus" << plain << 0 << "m: dropped the cut end of the queue " + queue + " (2 bytes" << 2 << 2
        << 3;
    QTest::newRow("older version's glued line")
        << "glued" << plain << 0 << "m: dropped 1 damaged lines of the queue " + queue << 2 << 2 << 3;
    QTest::newRow("older version's topic with a space")
        << "spaced-topic" << plain << 0 << "m: 2 minute messages wait in the queue" << 2 << 1 << 2;
    QTest::newRow("queue is a folder")
        << "queue-folder" << plain << 0
        << "m: cannot use the queue " + queue + ": it is a folder; minute messages wait in memory" << 2 << 0
        << 1;
    QTest::newRow("prefix with a space")
        << "" << station + mqtt + "prefix=a b\n" + meter << 78
        << "[mqtt] prefix \"a b\": level \"a b\" holds a space" << 0 << 0 << 0;
    QTest::newRow("prefix with $") << "" << station + mqtt + "prefix=$SYS\n" + meter << 78
                                   << "[mqtt] prefix \"$SYS\": level \"$SYS\" starts with \"$\"" << 0 << 0
                                   << 0;
    QTest::newRow("id ..") << ""
                           << "[station]\nid=..\ndata=@data@\n" + meter << 78
                           << "[station] id \"..\" is \"..\", which names a folder" << 0 << 0 << 0;
    QTest::newRow("meter name .") << "" << station + "[meter1]\nname=.\nport=simulated\n"
                                  << 78 << "[meter1] name \".\" is \".\", which names a folder" << 0 << 0
                                  << 0;
    QTest::newRow("password with ; and ,")
        << "password:ab;cd, e" << station + mqtt + "username=station\npassword=ab;cd, e\n" + meter << 0
        << "m: connected to the broker" << 2 << 0 << 0;
    QTest::newRow("quoted password with # and ;")
        << "password:p #1 ;x\""
        << station + mqtt + "username=station\npassword=\"p #1 ;x\\\"\"  # quoted\n" + meter << 0
        << "m: connected to the broker" << 2 << 0 << 0;
    QTest::newRow("password_file") << "password-file:x y#;z"
                                   << station + mqtt + "username=station\npassword_file=@pw@\n" + meter << 0
                                   << "m: connected to the broker" << 2 << 0 << 0;
    QTest::newRow("password_file others can read")
        << "open-password-file:secret" << station + mqtt + "username=station\npassword_file=@pw@\n" + meter
        << 78 << "[mqtt] password_file @pw@ can be read or changed by other users" << 0 << 0 << 0;
    QTest::newRow("manual page example")
        << "manual" << QString() << 0 << "station: site1 started with 1 meter" << 2 << 0 << 0;
    QTest::newRow("two meters on one port")
        << "" << station + "[meter1]\nport=/dev/ttyS0\n[meter2]\nport=/dev/../dev/ttyS0\n"
        << 78 << "[meter2] port /dev/../dev/ttyS0 is the port of [meter1] already: one meter per port" << 0
        << 0 << 0;
    QTest::newRow("limit level not a number")
        << "" << plain + "[limit1]\nlevel=loud\n"
        << 78 << "[limit1] level must be a number from 0 to 200, not \"loud\"" << 0 << 0 << 0;
    QTest::newRow("limit of no meter")
        << "" << plain + "[limit1]\nlevel=70\nmeters=m,n\n"
        << 78 << "[limit1] meters names \"n\", which is no meter's name" << 0 << 0 << 0;
    QTest::newRow("events without a threshold") << "" << plain + "[events.m]\nmin_duration=2\n"
                                                << 78 << "[events.m] threshold is missing" << 0 << 0 << 0;
    QTest::newRow("stale port lock")
        << "stale-lock" << station + "[meter1]\nname=m\nport=@dev@\n"
        << 0 << "m: took over the lock @lock@ of @dev@ left by process @dead@, which no longer runs" << 0 << 0
        << 0;
    QTest::newRow("missing device") << "" << station + mqtt + "[meter1]\nname=m\nport=/dev/ttyNOSUCH7\n"
                                    << 0 << "m: cannot open /dev/ttyNOSUCH7: the device does not exist" << 0
                                    << 0 << 0;
    QTest::newRow("second station on the same folders")
        << "second" << plain << 75
        << "station: refusing to start: another station (process @first@) already records into @data@" << 2
        << 0 << 0;
    QTest::newRow("two stations with the same id") << "twin" << plain << 0
                                                   << "m: lost the broker: The connection was lost: another "
                                                      "station with the same id took the client id slm-f-m"
                                                   << 2 << 0 << 0;
    QTest::newRow("health topic") << "health" << plain << 0 << "station: f started with 1 meter" << 2 << 0
                                  << 1;
    QTest::newRow("--config without a file")
        << "no-file" << QString() << 2 << "slm-station: --config needs the configuration file after it" << 0
        << 0 << 0;
}

void TestStationFaults::faults()
{
    QFETCH(QString, setup);
    QFETCH(QString, config);
    QFETCH(int, exitCode);
    QFETCH(QString, logLine);
    QFETCH(int, records);
    QFETCH(int, seededMinutes);
    QFETCH(int, minutes);

    const QString row = m_dir.filePath(QString::number(++m_rows));
    const QString data = row + "/data";
    const QString kind = setup.section(u':', 0, 0);
    const QString password = setup.section(u':', 1);
    QStringList brokerLines;
    if (!password.isEmpty() && kind.startsWith("password")) {
        const QString passwords = row + "/passwords";
        QDir().mkpath(row);
        QCOMPARE(QProcess::execute("mosquitto_passwd", {"-c", "-b", passwords, "station", password}), 0);
        brokerLines = QStringList{"allow_anonymous false", "password_file " + passwords};
    }
    LocalBroker broker(row + "/broker", brokerLines);
    QVERIFY(broker.start());
    Subscriber sub(broker.port(), "slm/#", "watch" + QString::number(m_rows));

    Terminal terminal;
    QMap<QString, QString> values{{"@data@", data},
                                  {"@broker@", QString::number(broker.port())},
                                  {"@pw@", row + "/password"},
                                  {"@dev@", terminal.path()}};
    if (kind == u"manual")
        config = manualPageExample()
                     .replace("/var/lib/slm-station", "@data@")
                     .replace("port=1883", "port=@broker@")
                     .replace("/dev/ttyUSB0", "simulated");
    if (kind == u"stale-lock") {
        values["@lock@"] = "/var/lock/LCK.." + terminal.path().mid(5).replace(u'/', u'_');
        values["@dead@"] = QString::number(endedProcess());
        writeFile(values["@lock@"], QString("%1\n").arg(values["@dead@"], 10).toUtf8(),
                  OwnerOnly | QFile::ReadOther);
    }
    if (kind.endsWith(u"password-file"))
        writeFile(values["@pw@"], password.toUtf8() + '\n',
                  kind.startsWith(u"open") ? OwnerOnly | QFile::ReadOther : OwnerOnly);
    if (kind == u"queue-folder")
        QVERIFY(QDir().mkpath(data + "/queue/m.queue"));
    if (const QByteArray queued = seededQueue(kind); !queued.isEmpty())
        writeFile(data + "/queue/m.queue", queued, OwnerOnly);
    const auto fill = [&](QString text) {
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            text.replace(it.key(), it.value());
        return text;
    };
    const QString configPath = row + "/station.ini";
    writeFile(configPath, fill(config).toUtf8(), OwnerOnly);

    std::unique_ptr<StationRun> first;
    if (kind == u"second" || kind == u"twin") {
        QString twin = configPath;
        if (kind == u"twin") {
            twin = row + "/twin.ini";
            writeFile(twin, fill(config).replace(data, row + "/twin").toUtf8(), OwnerOnly);
        }
        first = std::make_unique<StationRun>(twin);
        first->run(1500);
        values["@first@"] = QString::number(first->pid());
    }
    StationRun station(kind == u"no-file" ? QStringList{"--config"} : QStringList{"--config", configPath});
    station.run(kind == u"twin" || kind == u"health" ? 7000 : 4500);
    const int status = station.waitForExit(0) >= 0 ? station.waitForExit(0) : station.stop();
    QString log = station.log();
    if (first) {
        // The first station went on recording all along.
        first->run(2000);
        QCOMPARE(first->stop(), 0);
        log += first->log();
    }
    const QString expected = fill(logLine);
    QVERIFY2(log.contains(expected), qPrintable(expected + "\n--- log:\n" + log));
    QCOMPARE(status, exitCode);

    // Nothing lost: the records, and every whole minute an earlier run queued.
    const int kept = recordsIn(data + "/m") + recordsIn(data + "/north");
    QVERIFY2(kept >= records, qPrintable(log));
    sub.waitFor("slm/f/m/minute", std::max(seededMinutes, minutes), minutes ? 3000 : 0);
    int seededSeen = 0;
    int published = 0;
    for (const Subscriber::Message& m : sub.on("slm/f/m/minute")) {
        const QJsonDocument json = QJsonDocument::fromJson(m.payload);
        QVERIFY2(json.isObject(), m.payload.constData());
        ++published;
        seededSeen += json.object().contains("seeded");
    }
    QCOMPARE(seededSeen, seededMinutes);
    QVERIFY(published >= minutes);
    if (kind == u"spaced-topic") { // whole, on the topic it was queued for (the watcher splits at spaces)
        const QList<Subscriber::Message> all = sub.messages();
        QCOMPARE(std::count_if(all.begin(), all.end(),
                               [](const auto& m) {
                                   return m.topic + ' ' + m.payload ==
                                          R"(slm/f x/m/minute {"seeded":1,"time":"2020-01-01T00:01:00Z"})";
                               }),
                 1);
    }
    if (kind == u"health") {
        QVERIFY(sub.waitFor("slm/f/health", 1, 3000));
        const QJsonObject health = QJsonDocument::fromJson(sub.on("slm/f/health").last().payload).object();
        const QJsonObject m = health["meters"].toObject()["m"].toObject();
        QVERIFY2(m["link"] == "up" && !m["last_sample"].toString().isEmpty() &&
                     health["uptime_s"].toInt() >= 4 && health["free_bytes_data"].toDouble() > 0 &&
                     health["gaps"].isArray(),
                 sub.on("slm/f/health").last().payload.constData());
    }
    qInfo("%s | records %d | seeded minutes %d | minutes %d", qPrintable(expected), kept, seededSeen,
          published);
}

QTEST_GUILESS_MAIN(TestStationFaults)
#include "test_station_faults.moc"
