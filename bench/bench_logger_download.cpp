// A full 64 K logger memory downloaded from the paced simulated meter, against the line rate:
// the block's bytes x 10 bits / 38400 baud.

#include "../tests/test_logger_sets.h"

#include "link/SerialMeterLink.h"
#include "link/WaitSeconds.h"
#include "logger/MemoryDownload.h"
#include "slm-sim/SimMeter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

using namespace slm;

using namespace loggertest;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // 65488 logged bytes: the whole memory above address 48.
    const QByteArray logged = makeSet(setOf(30000, 1)) + makeSet(setOf(2686, 2));
    slmsim::SimOptions o;
    o.pacing = true;
    slmsim::SimMeter meter(o);
    if (!meter.start()) {
        std::fprintf(stderr, "simulator: %s\n", meter.lastError().c_str());
        return 1;
    }
    meter.setMemory(std::vector<std::uint8_t>(logged.begin(), logged.end()));
    SerialMeterLink link;
    link.setCommPort(QString::fromStdString(meter.ptyPath()));
    link.setSettings(QStringLiteral("38400,n,8,1"));
    if (!link.setPortOpen(true))
        return 1;
    EventLoopWaiter waiter;
    waiter.waitSeconds(0.1);

    int beats = 0;
    QTimer heart;
    QObject::connect(&heart, &QTimer::timeout, [&] { ++beats; });
    heart.start(100);

    QElapsedTimer clock;
    qint64 blockStartNs = 0;
    int progressReports = 0;
    MemoryDownload download;
    QObject::connect(&download, &MemoryDownload::sizeKnown,
                     [&](int, double) { blockStartNs = clock.nsecsElapsed(); });
    qint64 firstByteNs = 0, lastByteNs = 0;
    QObject::connect(&download, &MemoryDownload::progress, [&](double percent) {
        ++progressReports;
        if (percent > 0 && firstByteNs == 0)
            firstByteNs = clock.nsecsElapsed();
        if (percent >= 100.0 && lastByteNs == 0)
            lastByteNs = clock.nsecsElapsed();
    });
    clock.start();
    const DownloadResult r = download.run(link, waiter);
    const double total = clock.nsecsElapsed() / 1e9;
    const double block = (clock.nsecsElapsed() - blockStartNs) / 1e9;

    const qsizetype blockBytes = r.pointer - 46;
    const double lineLimit = blockBytes * 10.0 / 38400.0;
    std::printf("logged bytes          %lld (pointer %d, %d K memory)\n",
                static_cast<long long>(logged.size()), r.pointer, r.sizeK);
    std::printf("sets listed           %zu\n", r.sets.size());
    std::printf("line-rate limit       %.2f s (%lld bytes x 10 / 38400)\n", lineLimit,
                static_cast<long long>(blockBytes));
    std::printf("block received in     %.2f s  (%.3f x the limit)\n", block, block / lineLimit);
    // How fast the simulator puts the block on the line, seen from here (first to last byte).
    const double onLine = (lastByteNs - firstByteNs) / 1e9;
    std::printf("first to last byte    %.2f s  (%.3f x the limit: the simulator's own pacing)\n", onLine,
                onLine / lineLimit);
    std::printf("after the last byte   %.3f s\n", (clock.nsecsElapsed() - lastByteNs) / 1e9);
    std::printf("whole exchange        %.2f s  (\"A\", \"L\", \"K\" and the scan)\n", total);
    std::printf("progress updates      %d, event-loop heartbeats %d of %d expected\n", progressReports, beats,
                static_cast<int>(total * 10));
    return r.outcome == DownloadResult::Outcome::Listed && r.sets.size() == 2 ? 0 : 1;
}
