// Idle CPU of the connected panel and the latency from a level change in the meter to the
// panel's level text, against the paced simulated meter. Prints figures.
#include "support/SimPanelRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <sys/resource.h>

using namespace slm;

namespace
{
double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 30;

    SimPanelOptions options;
    options.sim.level = 50.0;
    SimPanelRig rig(options);
    if (!rig.start()) {
        std::fprintf(stderr, "simulator: %s\n", rig.meter.lastError().c_str());
        return 1;
    }
    Panel& panel = *rig.panel;
    slmsim::SimMeter& meter = rig.meter;
    panel.show();
    if (!rig.startUp())
        return 1;
    runFor(1000);

    const double thread0 = threadCpuSeconds(), process0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(idleSeconds * 1000);
    const double seconds = wall.elapsed() / 1000.0;
    std::printf("idle CPU over %.0f s: UI thread %.2f %% of one core, whole process (with the in-process "
                "simulator) %.2f %%\n",
                seconds, 100.0 * (threadCpuSeconds() - thread0) / seconds,
                100.0 * (processCpuSeconds() - process0) / seconds);

    // Latency: change the level at a random moment, watch the label every millisecond.
    std::mt19937 random(7);
    std::vector<double> latencies;
    QLabel* value = panel.widgets().lblValue;
    for (int i = 0; i < 40; ++i) {
        runFor(std::uniform_int_distribution<int>(150, 450)(random));
        const double level = 60.0 + i * 0.5;
        const QString expected = QString::number(level, 'f', 1);
        QElapsedTimer t;
        meter.setLevel(level);
        t.start();
        while (value->text() != expected && t.elapsed() < 3000)
            runFor(1);
        latencies.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("latency level change -> LblValue over %zu changes: median %.0f ms, 90th percentile %.0f ms, "
                "worst %.0f ms\n",
                latencies.size(), latencies[latencies.size() / 2], latencies[latencies.size() * 9 / 10],
                latencies.back());
    panel.close();
    return 0;
}
