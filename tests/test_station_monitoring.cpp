// The shipped monitoring stack as it is installed: the broker, Debian's MQTT exporter with the
// shipped mapping and Prometheus with the shipped scrape job and rules (windows shortened to
// seconds in the test's copy). A meter's minutes at 70 dB and a limit in alarm, as a station
// publishes them, come back from Prometheus's HTTP API as the Leq rule's value and a firing alert.
#include "measurement/MeterLimits.h"
#include "station/EnergyTotals.h"
#include "station/LimitPayloads.h"
#include "station/StationPayloads.h"
#include "support/LocalBroker.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace slm;
using namespace slm::station;

namespace
{

QString program(const QString& name)
{
    return QStandardPaths::findExecutable(name, {"/usr/bin", "/usr/sbin"});
}

QString monitoringFile(const QString& name)
{
    return QStringLiteral(SLM_SOURCE_DIR "/packaging/monitoring/") + name;
}

// A shipped file with the test's ports and windows put in.
bool copyWith(const QString& from, const QString& to, const QList<std::pair<QString, QString>>& changes)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    QString text = QString::fromUtf8(in.readAll());
    for (const auto& [a, b] : changes)
        text.replace(a, b);
    return out.write(text.toUtf8()) > 0;
}

// A GET on 127.0.0.1: the body, or nothing when nobody answers.
QByteArray httpGet(int port, const QByteArray& path)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QByteArray reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const QByteArray request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        if (::write(fd, request.constData(), size_t(request.size())) == request.size()) {
            char buffer[4096];
            ssize_t n = 0;
            while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
                reply.append(buffer, n);
        }
    }
    ::close(fd);
    const qsizetype body = reply.indexOf("\r\n\r\n");
    return body < 0 ? QByteArray() : reply.mid(body + 4);
}

QByteArray slmLines(const QByteArray& text)
{
    QByteArray out;
    for (const QByteArray& line : text.split('\n'))
        if (line.startsWith("slm_"))
            out += line + '\n';
    return out;
}

class Service
{
public:
    Service(const QString& path, const QStringList& arguments)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_process.start(path, arguments);
        m_process.waitForStarted(5000);
    }
    ~Service()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
    QByteArray output() { return m_process.readAll(); }

private:
    QProcess m_process;
};

void publish(int port, const QString& topic, const QByteArray& payload, bool retained)
{
    QStringList args{"-h", "127.0.0.1", "-p", QString::number(port),     "-q", "1",
                     "-t", topic,       "-m", QString::fromUtf8(payload)};
    if (retained)
        args << "-r";
    QProcess::execute(QStringLiteral("mosquitto_pub"), args);
}

// A minute of 60 levels at `level`, with the energy fields the station adds.
QByteArray minuteAt(const QString& level, EnergyTotals& totals, const QDateTime& start)
{
    LevelFigureCounter counter;
    for (int i = 0; i < 60; ++i)
        counter.add(QStringView(level));
    MinuteFigures minute;
    minute.start = start;
    minute.figures = counter.finish(1.0);
    const MinuteEnergy energy = minuteEnergy(minute.figures, 1.0);
    QString error;
    totals.add(energy, error);
    return withEnergy(minutePayload(minute), energy, totals);
}

// The value of a query's first series, nothing yet.
std::optional<double> queryValue(int port, const QByteArray& query)
{
    const QJsonObject reply =
        QJsonDocument::fromJson(httpGet(port, "/api/v1/query?query=" + QUrl::toPercentEncoding(query)))
            .object();
    const QJsonArray result = reply.value("data").toObject().value("result").toArray();
    if (result.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = result[0].toObject().value("value").toArray().at(1).toString().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

bool alertFiring(int port, const QString& name, const QString& limit)
{
    const QJsonObject reply = QJsonDocument::fromJson(httpGet(port, "/api/v1/alerts")).object();
    for (const QJsonValue& a : reply.value("data").toObject().value("alerts").toArray()) {
        const QJsonObject labels = a.toObject().value("labels").toObject();
        if (labels.value("alertname").toString() == name && labels.value("limit").toString() == limit &&
            labels.value("station").toString() == u"site1" && labels.value("meter").toString() == u"north" &&
            a.toObject().value("state").toString() == u"firing")
            return true;
    }
    return false;
}

} // namespace

class TestStationMonitoring : public QObject
{
    Q_OBJECT
private slots:
    void prometheusShowsTheLeqAndTheAlarm();
};

void TestStationMonitoring::prometheusShowsTheLeqAndTheAlarm()
{
    for (const char* name : {"mosquitto", "mosquitto_pub", "prometheus-mqtt-exporter", "prometheus"})
        if (program(QString::fromLatin1(name)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (scripts/install-deps.sh installs it)")
                                 .arg(QString::fromLatin1(name))));
    QTemporaryDir dir;
    test::LocalBroker broker(dir.filePath("broker"));
    QVERIFY(broker.start());
    const int exporterPort = test::freePort();
    const int prometheusPort = test::freePort();

    QVERIFY(copyWith(monitoringFile("mqtt-exporter.yaml"), dir.filePath("exporter.yaml"),
                     {{"tcp://127.0.0.1:1883", QStringLiteral("tcp://127.0.0.1:%1").arg(broker.port())}}));
    QVERIFY(copyWith(monitoringFile("prometheus-slm.yml"), dir.filePath("prometheus.yml"),
                     {{"127.0.0.1:9641", QStringLiteral("127.0.0.1:%1").arg(exporterPort)},
                      {"interval: 15s", "interval: 1s"}}));
    QVERIFY(copyWith(monitoringFile("slm-rules.yml"), dir.filePath("slm-rules.yml"), {{"[15m]", "[20s]"}}));
    Service exporter(program("prometheus-mqtt-exporter"),
                     {"-config", dir.filePath("exporter.yaml"), "-listen-address", "127.0.0.1",
                      "-listen-port", QString::number(exporterPort)});
    Service prometheus(program("prometheus"),
                       {"--config.file=" + dir.filePath("prometheus.yml"),
                        "--storage.tsdb.path=" + dir.filePath("tsdb"),
                        QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(prometheusPort)});

    // A limit judged on levels at 80 dB is in alarm; its retained state is what the exporter reads.
    QString error;
    const QMap<QString, QString> keys{
        {"limit1/name", "day"}, {"limit1/figure", "level"}, {"limit1/level", "75"}};
    MeterLimits limits(QStringLiteral("north"), *readLimits(keys, error), std::nullopt, 1.0);
    Sample loud;
    loud.time = QDateTime::currentDateTime();
    loud.tenths = 800;
    limits.addSample(loud);
    QVERIFY(limits.anyAlarm());
    publish(broker.port(), "slm/site1/north/state", statePayload(true, true, "simulated"), true);
    publish(broker.port(), "slm/site1/north/" + alertStateTopic("day"),
            alertStatePayload(limits.monitors().front()), true);

    EnergyTotals totals(dir.filePath("north.totals"));
    QElapsedTimer waited;
    waited.start();
    std::optional<double> leq;
    bool firing = false;
    QDateTime minute = QDateTime::currentDateTimeUtc();
    while (waited.elapsed() < 45000 && !(leq && firing)) {
        publish(broker.port(), "slm/site1/north/minute", minuteAt("70.0", totals, minute), false);
        minute = minute.addSecs(60);
        QTest::qWait(1000);
        leq = queryValue(prometheusPort, "slm:leq_15m:db{station=\"site1\",meter=\"north\"}");
        firing = firing || alertFiring(prometheusPort, "SlmLimitAlarm", "day");
    }
    QVERIFY2(leq, exporter.output() + prometheus.output().right(2000));
    QVERIFY(std::abs(*leq - 70.0) < 0.05);
    QVERIFY2(firing, httpGet(prometheusPort, "/api/v1/alerts") + slmLines(httpGet(exporterPort, "/metrics")));
}

QTEST_GUILESS_MAIN(TestStationMonitoring)
#include "test_station_monitoring.moc"
