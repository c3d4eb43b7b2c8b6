// One meter pipeline for the station and the panel: a station's published minutes are the report
// program's figures of the same records of its completed file; the panel's samples are published
// with the interval, weightings and range flags in force when each was taken; the classes that
// only hold texts below the range or overloads are never published as percentiles.
#include "meter/Sampling.h"
#include "shared/LiveReading.h"
#include "slm-sim/SimMeter.h"
#include "station/MeterPublisher.h"
#include "station/Station.h"
#include "support/LocalBroker.h"
#include "support/ReportProgram.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm;
using namespace slm::station;
using namespace slm::test;

namespace
{

StationConfig configOn(int brokerPort, const QString& data, const QString& meterName, const QString& port)
{
    StationConfig config;
    config.id = QStringLiteral("p");
    config.data = data;
    config.broker.host = QStringLiteral("127.0.0.1");
    config.broker.port = brokerPort;
    config.broker.minuteSeconds = 4;
    MeterConfig meter;
    meter.section = QStringLiteral("meter1");
    meter.name = meterName;
    meter.port = port;
    meter.output = QDir(data).filePath(meterName);
    config.meters << meter;
    return config;
}

QJsonObject jsonOf(const Subscriber::Message& m)
{
    return QJsonDocument::fromJson(m.payload).object();
}

// The lines of the one record file in `folder`: header, title, records.
QStringList recordFileLines(const QString& folder)
{
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.slmm")}, QDir::Files);
    QFile file(QDir(folder).filePath(names.value(0)));
    if (names.size() != 1 || !file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    lines.removeAll(QString());
    return lines;
}

// The report program's figures of the file's records from `start` on, for `seconds`.
QJsonObject reportOfPeriod(const QStringList& lines, const QDateTime& start, int seconds, const QString& path)
{
    QStringList part = lines.mid(0, 10); // the header and the title line
    for (const QString& line : lines.mid(10)) {
        QStringList fields = line.split(u'\t');
        const QDateTime time = QDateTime::fromString(fields.value(1), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        if (start.secsTo(time) >= 0 && start.secsTo(time) < seconds) {
            fields[0] = QString::number(part.size() - 9);
            part << fields.join(u'\t');
        }
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write((part.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
    file.close();
    return QJsonDocument::fromJson(runReportProgram({QStringLiteral("--json"), path}).out).object();
}

} // namespace

class TestStationPipeline : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!LocalBroker::available())
            QSKIP("mosquitto is not installed (scripts/install-deps.sh)");
        m_broker = std::make_unique<LocalBroker>(m_dir.filePath(QStringLiteral("broker")));
        QVERIFY(m_broker->start());
    }

    void stationMinutesAreTheReportOfTheirRecords()
    {
        slmsim::SimOptions options;
        options.level = 60;
        slmsim::SimMeter meter(options);
        QVERIFY(meter.start());
        Subscriber sub(m_broker->port(), QStringLiteral("slm/p/north/#"), QStringLiteral("pipe1"));
        const QString data = m_dir.filePath(QStringLiteral("station"));
        Station station(configOn(m_broker->port(), data, QStringLiteral("north"),
                                 QString::fromStdString(meter.ptyPath())));
        QVERIFY(station.start());
        // Below the range (50-110), over it, paused, and plain levels between.
        const QList<std::function<void()>> steps = {
            [&] { meter.setLevel(45.3); }, [&] { meter.setLevel(118.4); }, [&] { meter.setLevel(72.6); },
            [&] { meter.pressKey(6); },    [&] { meter.pressKey(5); },     [&] { meter.pressKey(5); },
            [&] { meter.setLevel(61.1); },
        };
        for (const auto& step : steps) {
            QTest::qWait(1700);
            step();
        }
        QTest::qWait(2500);
        station.stop();

        const QStringList lines = recordFileLines(QDir(data).filePath(QStringLiteral("north")));
        QVERIFY(lines.size() > 20);
        // The stop's partial minute may reach the subscriber a little after the others.
        const auto received = [&] { return sub.on(QStringLiteral("slm/p/north/minute")); };
        QVERIFY(sub.waitFor(QStringLiteral("slm/p/north/minute"), 4, 5000));
        QTRY_VERIFY_WITH_TIMEOUT(jsonOf(received().last())[QStringLiteral("partial")].toBool(), 5000);
        const QList<Subscriber::Message> minutes = received();
        qint64 below = 0, over = 0, paused = 0;
        for (int i = 0; i < minutes.size(); ++i) {
            const QJsonObject minute = jsonOf(minutes[i]);
            QCOMPARE(minute[QStringLiteral("partial")].toBool(), i == 0 || i == minutes.size() - 1);
            const QDateTime start =
                QDateTime::fromString(minute[QStringLiteral("time")].toString(), Qt::ISODate).toLocalTime();
            const QJsonObject report =
                reportOfPeriod(lines, start, 4, m_dir.filePath(QStringLiteral("minute%1.slmm").arg(i)));
            for (const char* key :
                 {"leq", "lmax", "lmin", "l10", "l50", "l90", "l95", "levels", "paused", "other"}) {
                const QJsonValue published = minute[QLatin1StringView(key)];
                const QJsonValue reported = report[QLatin1StringView(key)];
                QVERIFY2(
                    published.isNull() == reported.isNull() && published.toDouble() == reported.toDouble(),
                    qPrintable(QStringLiteral("%1 of %2").arg(QLatin1StringView(key), minutes[i].payload)));
            }
            QCOMPARE(minute[QStringLiteral("coverage")].toDouble(),
                     report[QStringLiteral("levels")].toDouble() * 25);
            below += minute[QStringLiteral("below_range")].toInteger();
            over += minute[QStringLiteral("over_range")].toInteger();
            paused += minute[QStringLiteral("paused")].toInteger();
        }
        QVERIFY(below > 0 && over > 0 && paused > 0);
    }

    void panelSamplesCarryTheirSettings_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("overFlag");
        QTest::addColumn<bool>("underFlag");
        QTest::addColumn<QString>("flag");
        QTest::newRow("1 s, plain") << 1 << false << false << QString();
        QTest::newRow("5 s after a change, over") << 5 << true << false << QStringLiteral("over");
        QTest::newRow("2 s, below") << 2 << false << true << QStringLiteral("below-range");
    }

    void panelSamplesCarryTheirSettings()
    {
        QFETCH(int, interval);
        QFETCH(bool, overFlag);
        QFETCH(bool, underFlag);
        QFETCH(QString, flag);
        const QString name = QStringLiteral("panel%1").arg(interval);
        const QString base = QStringLiteral("slm/p/") + name;
        Subscriber sub(m_broker->port(), base + QStringLiteral("/#"), name);
        MeterPublisher publisher(configOn(m_broker->port(), m_dir.filePath(name), name, QString()),
                                 configOn(0, QString(), name, QString()).meters.first());
        QVERIFY(publisher.start());
        // Levels go out only while connected: the retained state says it is.
        QTRY_VERIFY_WITH_TIMEOUT(!sub.on(base + QStringLiteral("/state")).isEmpty(), 5000);
        Sampling sampling;
        QObject::connect(&sampling, &Sampling::sampleTaken, &publisher, &MeterPublisher::publishSample);
        LiveReading live;
        live.LevelText = QStringLiteral("64.2");
        live.Level = 64.2;
        live.FreqWeighting = QStringLiteral("C");
        live.OverFlag = overFlag;
        live.UnderFlag = underFlag;
        sampling.setReading(sampleOfReading(live));
        sampling.setInterval(1);
        const QDateTime start = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() / 4 * 4);
        sampling.tick(start);
        sampling.tick(start.addSecs(1));
        sampling.setInterval(interval); // the toolbar's change, after the start
        for (int s = 2; s <= 2 + 8 * interval; ++s)
            sampling.tick(start.addSecs(s));
        QTRY_VERIFY_WITH_TIMEOUT(sub.on(base + QStringLiteral("/minute")).size() >= 2, 5000);
        const QJsonObject level = jsonOf(sub.on(base + QStringLiteral("/level")).last());
        QCOMPARE(level[QStringLiteral("interval_s")].toInt(), interval);
        QCOMPARE(level[QStringLiteral("flag")].toString(), flag);
        QCOMPARE(level[QStringLiteral("weighting")].toString(), QStringLiteral("C"));
        const QJsonObject minute = jsonOf(sub.on(base + QStringLiteral("/minute")).last());
        QCOMPARE(minute[QStringLiteral("interval_s")].toInt(), interval);
        QCOMPARE(minute[QStringLiteral("over_range")].toInt() > 0, overFlag);
        QCOMPARE(minute[QStringLiteral("below_range")].toInt() > 0, underFlag);
    }

    void placeholderClassesAreNoPercentiles_data()
    {
        QTest::addColumn<Sample::Shown>("shown");
        QTest::addColumn<bool>("percentiles");
        QTest::newRow("levels") << Sample::Shown::Level << true;
        QTest::newRow("below the range") << Sample::Shown::BelowRange << false;
        QTest::newRow("overloads") << Sample::Shown::Over << false;
    }

    void placeholderClassesAreNoPercentiles()
    {
        QFETCH(Sample::Shown, shown);
        QFETCH(bool, percentiles);
        MinuteCollector minutes(60);
        Sample sample;
        sample.tenths = 653;
        sample.shown = shown;
        const QDateTime start = QDateTime::fromSecsSinceEpoch(1800000000);
        for (int s = 0; s < 60; ++s) {
            sample.time = start.addSecs(s);
            minutes.add(sample);
        }
        const std::optional<MinuteFigures> minute = minutes.finish();
        QVERIFY(minute && minute->partial);
        for (const int p : {10, 50, 90, 95})
            QCOMPARE(minute->percentile(p).has_value(), percentiles);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<LocalBroker> m_broker;
};

QTEST_GUILESS_MAIN(TestStationPipeline)
#include "test_station_pipeline.moc"
