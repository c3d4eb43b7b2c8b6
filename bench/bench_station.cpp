// The station under load: 32 simulated meters at 1 s for 60 s against a local broker (the
// station's CPU and resident memory, the delay from a sample's tick to a subscriber), and a queue
// of 10080 minute messages (seven days of one meter) sent after an outage. With --limits, the
// same meters judged against four limits each and live events, and the delay from the sample
// that crosses a level to a subscriber receiving the alert.
#include "support/LocalBroker.h"
#include "support/ResidentMemory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace slm::test;

namespace
{

// utime + stime of a process, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// The machine's load while the benchmark ran: other work on the cores shows in the delays.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '))
                                          : QString();
}

// Four limits of each kind of figure and the event rule, crossed by the simulated room's loud
// events (about +20 dB every 45 s) and its drift.
const char* const Limits = "[limit1]\nname=level\nfigure=level\nlevel=62\nwarning=58\n"
                           "[limit2]\nname=leq-1min\nfigure=leq\nwindow=1min\nlevel=58\nwarning=55\n"
                           "[limit3]\nname=leq-15min\nfigure=leq\nwindow=15min\nlevel=55\nmin_coverage=0\n"
                           "[limit4]\nname=period\nfigure=leq-period\nwindow=5min\nlevel=55\n"
                           "[events]\nthreshold=65\nmin_duration=1\ncontinuation=2\n";

QString writeConfig(const QString& dir, int port, int meters, bool limits = false)
{
    QString text = QStringLiteral("[station]\nid=bench\ndata=%1/data\n[mqtt]\nhost=127.0.0.1\nport=%2\n")
                       .arg(dir)
                       .arg(port);
    for (int i = 1; i <= meters; ++i)
        text += QStringLiteral("[meter%1]\nname=m%1\nport=simulated\n").arg(i) +
                (limits ? QStringLiteral("simulator_arguments=--seed %1\n").arg(i) : QString());
    if (limits)
        text += QLatin1StringView(Limits);
    const QString path = dir + QStringLiteral("/station.ini");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    return path;
}

void waitFor(QProcess& process, QString& log, const QString& text, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!log.contains(text) && t.elapsed() < ms) {
        process.waitForReadyRead(50);
        log += QString::fromUtf8(process.readAllStandardError());
    }
}

// Milliseconds from each message's "time" (a whole second: the sample's tick) to its arrival.
std::vector<double> delaysOf(const QList<Subscriber::Message>& messages, qsizetype from)
{
    std::vector<double> delays;
    for (qsizetype i = from; i < messages.size(); ++i) {
        const QJsonObject json = QJsonDocument::fromJson(messages[i].payload).object();
        const QDateTime tick = QDateTime::fromString(json[QStringLiteral("time")].toString(), Qt::ISODate);
        delays.push_back((messages[i].receivedAt - tick.toMSecsSinceEpoch() / 1000.0) * 1000.0);
    }
    return delays;
}

double quantile(std::vector<double> sorted, double q)
{
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0.0 : sorted[size_t(q * double(sorted.size() - 1))];
}

void meters32(bool limits)
{
    QTemporaryDir dir;
    LocalBroker broker(dir.filePath(QStringLiteral("broker")));
    if (!broker.start()) {
        std::printf("the broker did not start\n");
        return;
    }
    Subscriber sub(broker.port(), QStringLiteral("slm/+/+/level"), QStringLiteral("bench"));
    std::unique_ptr<Subscriber> alerts;
    if (limits)
        alerts = std::make_unique<Subscriber>(broker.port(), QStringLiteral("slm/+/+/alert"),
                                              QStringLiteral("bench-alerts"));
    QProcess station;
    station.start(QCoreApplication::applicationDirPath() + QStringLiteral("/slm-station"),
                  {QStringLiteral("--config"), writeConfig(dir.path(), broker.port(), 32, limits)});
    station.waitForStarted();
    const qint64 pid = station.processId();
    // Five seconds for the meters to start, then the 60 s measured.
    QThread::sleep(5);
    const double cpu0 = cpuSeconds(pid);
    QElapsedTimer wall;
    wall.start();
    const int before = int(sub.messages().size());
    if (alerts)
        alerts->waitFor(QStringLiteral("none"), 1, 200);
    const qsizetype alertsBefore = alerts ? alerts->messages().size() : 0;
    while (wall.elapsed() < 60000) {
        sub.waitFor(QStringLiteral("none"), 1, 1000);
        if (alerts) // read on, so the subscriber never waits on a full pipe
            alerts->waitFor(QStringLiteral("none"), 1, 0);
    }
    const double cpu = cpuSeconds(pid) - cpu0;
    const double seconds = wall.elapsed() / 1000.0;
    const long rss = residentKb(pid);
    station.terminate();
    station.waitForFinished(30000);

    std::vector<double> delays;
    QMap<QString, int> slowTicks; // ticks with a sample later than 50 ms
    const QList<Subscriber::Message>& all = sub.messages();
    for (int i = before; i < all.size(); ++i) {
        const QJsonObject json = QJsonDocument::fromJson(all[i].payload).object();
        const QDateTime tick = QDateTime::fromString(json[QStringLiteral("time")].toString(), Qt::ISODate);
        delays.push_back((all[i].receivedAt - tick.toMSecsSinceEpoch() / 1000.0) * 1000.0);
        if (delays.back() > 50)
            slowTicks[tick.toString(QStringLiteral("HH:mm:ss"))] += 1;
    }
    std::sort(delays.begin(), delays.end());
    const auto at = [&](double q) {
        return delays.empty() ? 0.0 : delays[size_t(q * double(delays.size() - 1))];
    };
    std::printf("32 meters at 1 s%s, %.0f s: station CPU %.2f %% of one core, RSS %ld kB\n",
                limits ? " with four limits each and events" : "", seconds, 100.0 * cpu / seconds, rss);
    std::printf(
        "  %zu samples received (%.1f per s); tick to subscriber: median %.1f ms, p99 %.1f ms, max %.1f ms\n",
        delays.size(), delays.size() / seconds, at(0.5), at(0.99), delays.empty() ? 0.0 : delays.back());
    QStringList slow;
    for (auto it = slowTicks.begin(); it != slowTicks.end(); ++it)
        slow << QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value());
    std::printf("  ticks with samples later than 50 ms (how many): %s; load average %s\n",
                slow.isEmpty() ? "none" : qPrintable(slow.join(QStringLiteral(", "))),
                qPrintable(loadAverage()));
    if (alerts) {
        alerts->waitFor(QStringLiteral("none"), 1, 500);
        const std::vector<double> alertDelays = delaysOf(alerts->messages(), alertsBefore);
        std::printf("  %zu alerts received; crossing sample to subscriber: median %.1f ms, p99 %.1f ms, max "
                    "%.1f ms\n",
                    alertDelays.size(), quantile(alertDelays, 0.5), quantile(alertDelays, 0.99),
                    quantile(alertDelays, 1.0));
    }
}

void queueDrain()
{
    QTemporaryDir dir;
    // The subscriber's queue on the broker must hold the whole burst.
    LocalBroker broker(dir.filePath(QStringLiteral("broker")), {QStringLiteral("max_queued_messages 0")});
    if (!broker.start()) {
        std::printf("the broker did not start\n");
        return;
    }
    Subscriber sub(broker.port(), QStringLiteral("slm/+/+/minute"), QStringLiteral("bench-queue"));
    // Seven days of minutes of one meter, as an outage leaves them.
    constexpr int Count = 10080;
    QDir().mkpath(dir.filePath(QStringLiteral("data/queue")));
    QFile queue(dir.filePath(QStringLiteral("data/queue/m1.queue")));
    queue.open(QIODevice::WriteOnly);
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-7);
    for (int i = 1; i <= Count; ++i) {
        const QByteArray payload =
            QStringLiteral(R"({"interval_s":1,"l10":55.1,"l90":49.8,"leq":52.9,"levels":60,"lmax":58.2,)"
                           R"("lmin":48.7,"other":0,"paused":0,"period_s":60,"range":"30-90","time":"%1",)"
                           R"("time_weighting":"FAST","weighting":"A"})")
                .arg(start.addSecs(60 * i).toString(Qt::ISODate))
                .toUtf8();
        queue.write("+" + QByteArray::number(i) + " slm/bench/m1/minute " + payload + "\n");
    }
    queue.close();
    QProcess station;
    station.start(QCoreApplication::applicationDirPath() + QStringLiteral("/slm-station"),
                  {QStringLiteral("--config"), writeConfig(dir.path(), broker.port(), 1)});
    QString log;
    waitFor(station, log, QStringLiteral("connected to the broker"), 20000);
    QElapsedTimer drain;
    drain.start();
    waitFor(station, log, QStringLiteral("the queue is sent"), 120000);
    const double ms = drain.nsecsElapsed() / 1e6;
    sub.waitFor(QStringLiteral("slm/bench/m1/minute"), Count, 30000);
    station.terminate();
    station.waitForFinished(30000);
    const QList<Subscriber::Message> got = sub.on(QStringLiteral("slm/bench/m1/minute"));
    bool inOrder = true;
    for (int i = 1; i < got.size(); ++i)
        inOrder = inOrder && got[i - 1].payload < got[i].payload;
    std::printf("queue of %d minute messages: sent and acknowledged in %.0f ms (%.0f per s); subscriber got "
                "%lld, %s\n",
                Count, ms, Count / (ms / 1000.0), qlonglong(got.size()),
                inOrder ? "in order" : "OUT OF ORDER");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!LocalBroker::available()) {
        std::printf("mosquitto and mosquitto_sub are needed\n");
        return 1;
    }
    if (app.arguments().contains(QStringLiteral("--limits"))) {
        meters32(true);
        return 0;
    }
    queueDrain();
    meters32(false);
    return 0;
}
