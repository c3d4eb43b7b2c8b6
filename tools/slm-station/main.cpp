// slm-station: records several meters into real-time record files, rotated by the hour or the
// day, and publishes every sample and per-minute figures to an MQTT broker. Headless; logs one
// line per event to standard error; SIGTERM or SIGINT completes every file and exits 0.
#include "station/InstanceLock.h"
#include "station/Station.h"
#include "station/StationConfig.h"
#include "station/StationLog.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// The configuration cannot be used (sysexits' EX_CONFIG): the unit does not restart on it.
constexpr int ExitConfig = 78;
// Another station runs on the same folders (EX_TEMPFAIL): the unit tries again later.
constexpr int ExitInUse = 75;
int signalPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}

const char* const Usage =
    "usage: slm-station --config FILE\n"
    "Records the meters the configuration names into real-time record files and publishes their\n"
    "samples and per-minute figures to an MQTT broker. See slm-station(1).\n";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("slm-station"));
    const QStringList args = app.arguments().mid(1);
    QString configPath;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--help" || args[i] == u"-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (args[i] == u"--config" && i + 1 < args.size()) {
            configPath = args[++i];
        } else if (args[i] == u"--config") {
            std::fprintf(stderr, "slm-station: --config needs the configuration file after it\n%s", Usage);
            return 2;
        } else {
            std::fprintf(stderr, "slm-station: unknown option %s\n%s", qPrintable(args[i]), Usage);
            return 2;
        }
    }
    if (configPath.isEmpty()) {
        std::fputs(Usage, stderr);
        return 2;
    }

    QString error;
    const std::optional<slm::station::StationConfig> config =
        slm::station::readStationConfig(configPath, error);
    if (!config) {
        slm::station::logEvent(QStringLiteral("station"), error);
        return ExitConfig;
    }
    const QString exposure = slm::station::passwordExposure(*config);
    if (!exposure.isEmpty()) {
        slm::station::logEvent(QStringLiteral("station"), QStringLiteral("refusing to start: ") + exposure);
        return ExitConfig;
    }

    slm::station::InstanceLock lock;
    QString lockMessage;
    switch (lock.take(*config, lockMessage)) {
    case slm::station::InstanceLock::Outcome::HeldByAnother:
        slm::station::logEvent(QStringLiteral("station"),
                               QStringLiteral("refusing to start: ") + lockMessage);
        return ExitInUse;
    case slm::station::InstanceLock::Outcome::Unavailable:
        slm::station::logEvent(QStringLiteral("station"), lockMessage);
        break;
    case slm::station::InstanceLock::Outcome::Taken:
        break;
    }

    // The stop signals reach the event loop through a socket pair: a handler may do no more.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    QSocketNotifier stopNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [&] {
        char byte = 0;
        [[maybe_unused]] const auto n = ::read(signalPipe[0], &byte, 1);
        slm::station::logEvent(QStringLiteral("station"), QStringLiteral("stopping"));
        QCoreApplication::quit();
    });

    slm::station::Station station(*config);
    if (!station.start()) {
        station.stop();
        return 1;
    }
    const int status = app.exec();
    station.stop();
    return status;
}
