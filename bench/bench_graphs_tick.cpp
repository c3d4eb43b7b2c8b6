// Cost of one sample in the panel's graph area: AddTrendSample with both histograms redrawn and
// the shown graphs replotted, with the trend buffers full. Also resident memory, and a picture of
// the graph area (argument: PNG path) to look at.
#include "graphs/LiveTrends.h"
#include "graphs/PanelGraphs.h"
#include "support/ResidentMemory.h"
#include "views/plot/Graph.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace slm;

namespace
{

// A level that wanders like a street: slow swell, some noise, one decimal.
double levelAt(int i)
{
    const double v = 62 + 9 * std::sin(i / 40.0) + 4 * std::sin(i * 1.7) + ((i * 7919) % 23) / 10.0;
    return std::round(v * 10) / 10;
}

// CPU time of this thread: on a shared machine the wall clock also counts time spent waiting
// for the processor, which says nothing about the update itself.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void printFigures(const char* what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::printf("  %s: median %.3f ms, 90%% %.3f ms, 99%% %.3f ms, worst %.3f ms\n", what, v[v.size() / 2],
                v[v.size() * 9 / 10], v[v.size() * 99 / 100], v.back());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString png = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    // Fill the buffers to their last slots so every write touches fully used memory; no graph
    // listens yet, so only the model's own work is spent on it.
    auto trends = std::make_unique<LiveTrends>();
    const double leqFill = 60;
    const double selFill = 90;
    for (int i = 0; i < TrendSlots - 1000; ++i)
        trends->addSample(levelAt(i), leqFill, selFill);

    PanelGraphs graphs(*trends);
    graphs.resize(420, 180);
    graphs.show();
    app.processEvents();
    for (int i = 0; i < 300; ++i) // warm up, and fill the trends' screen
        trends->addSample(levelAt(i), 63.2, 95.4);
    graphs.replotVisibleNow();

    const int samples = 2000;
    std::vector<double> ms;
    std::vector<double> cpu;
    ms.reserve(samples);
    cpu.reserve(samples);
    QElapsedTimer timer;
    for (int i = 0; i < samples; ++i) {
        // Every 500 samples a wide swing makes the 1 dB histogram take over, as in a real room.
        const double level = (i % 500 == 499) ? 110.0 : levelAt(300 + i);
        timer.start();
        const double cpuStart = threadCpuMs();
        trends->addSample(level, std::round((60 + (i % 50) / 10.0) * 10) / 10, 0.0);
        graphs.replotVisibleNow();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(threadCpuMs() - cpuStart);
        if (i % 100 == 0)
            app.processEvents();
    }
    if (qEnvironmentVariableIsSet("BENCH_SLOWEST")) {
        std::vector<int> order(ms.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return ms[size_t(a)] > ms[size_t(b)]; });
        for (int k = 0; k < 12; ++k)
            std::printf("  slow sample %d: %.3f ms\n", order[size_t(k)], ms[size_t(order[size_t(k)])]);
    }
    std::printf("panel graph update per sample (addSample + replot of the shown graphs), %d samples:\n",
                samples);
    printFigures("wall clock", ms);
    printFigures("thread CPU", cpu);
    std::printf("  write index after the run: %d (buffers wrapped at %d slots)\n", trends->writeIndex(),
                TrendSlots);
    std::printf("resident memory with the full trend buffers (3 x %d doubles): %ld kB\n", TrendSlots,
                residentKb());

    if (!png.isEmpty()) {
        // After the run the spread is wide (1 dB classes shown); after a refresh and a quiet
        // stretch the 0.1 dB classes show, with the Leq trend beside them.
        graphs.grab().save(png);
        trends->clearForRefresh();
        for (int i = 0; i < 400; ++i)
            trends->addSample(std::round((55 + 4 * std::sin(i / 30.0) + ((i * 7919) % 23) / 10.0) * 10) / 10,
                              std::round((57 + std::sin(i / 90.0)) * 10) / 10, 0.0);
        graphs.showTrend(1);
        graphs.replotVisibleNow();
        QString second = png;
        second.replace(QStringLiteral(".png"), QStringLiteral("-quiet.png"));
        graphs.grab().save(second);
        std::printf("pictures: %s %s\n", qPrintable(png), qPrintable(second));
    }
    return 0;
}
