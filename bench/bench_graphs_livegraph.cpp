// The live windows with full trend buffers: opening the live graph until drawn, its redraw after
// a pan or zoom, opening either histogram, and the memory an open live graph adds.
#include "graphs/Graph.h"
#include "graphs/LiveGraphWindow.h"
#include "graphs/LiveHistogramWindow.h"
#include "graphs/LiveTrends.h"
#include "support/ResidentMemory.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <qcustomplot.h>
#include <vector>

using namespace slm;

namespace
{

// Runs the event loop until the plot has drawn itself once more.
void waitUntilDrawn(Graph* graph)
{
    bool drawn = false;
    const QMetaObject::Connection c =
        QObject::connect(graph->plot(), &QCustomPlot::afterReplot, graph, [&drawn] { drawn = true; });
    QElapsedTimer limit;
    limit.start();
    while (!drawn && limit.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QObject::disconnect(c);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double msOf(QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedDialogs dialogs;

    // The most a view can show: the write index stops at 864000, the next sample wraps to slot 0.
    const int samples = TrendSlots - 1;
    LiveTrends trends;
    for (int i = 0; i < samples; ++i) {
        const double level =
            std::round((55 + 15 * std::sin(i / 9000.0) + ((i * 7919LL) % 83) / 10.0) * 10) / 10;
        trends.addSample(level, QStringLiteral("62.4"), QStringLiteral("110.3"));
    }

    // Fonts, styles and the first window's caches are loaded once before anything is measured.
    QPointer<LiveGraphWindow> graphWindow;
    {
        LiveTrends few;
        few.addSample(50, QStringLiteral("50"), QStringLiteral("50"));
        waitUntilDrawn(
            openLiveGraph(graphWindow, few, LiveTrend::Level, QStringLiteral("SPL (dB)"), dialogs, nullptr)
                ->graph());
        delete graphWindow.data();
        QCoreApplication::processEvents();
    }

    const long before = residentKb();
    QElapsedTimer t;
    t.start();
    LiveGraphWindow* w =
        openLiveGraph(graphWindow, trends, LiveTrend::Level, QStringLiteral("SPL (dB)"), dialogs, nullptr);
    waitUntilDrawn(w->graph());
    const double openMs = msOf(t);
    QCoreApplication::processEvents();
    const long opened = residentKb();
    // Sampling goes on while the window is open: the block being written is copied once.
    for (int i = 0; i < 10; ++i)
        trends.addSample(60, QStringLiteral("62.4"), QStringLiteral("110.3"));
    const long sampling = residentKb();

    std::vector<double> pans;
    std::vector<double> zooms;
    for (int i = 0; i < 41; ++i) {
        const double width = samples / 2.0;
        const double from = 1 + i * (samples / 80.0);
        w->graph()->setAxisRange(Graph::Axis::X, from, from + width);
        t.restart();
        w->graph()->replotNow();
        pans.push_back(msOf(t));
        const double span = samples / std::pow(1.25, i % 20);
        w->graph()->setAxisRange(Graph::Axis::X, 1, 1 + span);
        t.restart();
        w->graph()->replotNow();
        zooms.push_back(msOf(t));
    }
    w->resetScale();
    t.restart();
    w->graph()->replotNow();
    const double fullMs = msOf(t);

    std::printf(
        "live graph, %d samples: open until drawn %.1f ms; redraw after pan median %.2f ms (worst %.2f), "
        "after zoom median %.2f ms (worst %.2f), whole range %.2f ms\n",
        samples, openMs, median(pans), *std::max_element(pans.begin(), pans.end()), median(zooms),
        *std::max_element(zooms.begin(), zooms.end()), fullMs);
    std::printf(
        "live graph memory: %ld kB added by opening (%.2f bytes per sample), %ld kB with sampling going on "
        "(%.2f bytes per sample)\n",
        opened - before, (opened - before) * 1024.0 / samples, sampling - before,
        (sampling - before) * 1024.0 / samples);

    QPointer<LiveHistogramWindow> histogram;
    for (auto [classes, name] :
         {std::pair{LiveClasses::WholeDb, "1 dB"}, std::pair{LiveClasses::TenthDb, "0.1 dB"}}) {
        std::vector<double> opens;
        for (int i = 0; i < 21; ++i) {
            t.restart();
            LiveHistogramWindow* h = openLiveHistogram(histogram, trends, classes, dialogs, nullptr);
            waitUntilDrawn(h->graph());
            opens.push_back(msOf(t));
        }
        std::printf("live histogram %s: open until drawn median %.2f ms (worst %.2f, first %.2f)\n", name,
                    median(opens), *std::max_element(opens.begin(), opens.end()), opens.front());
    }

    // The worst case for memory: "Refresh" and a full buffer of new samples overwrite every block
    // the open window still shows, so each is copied once.
    trends.clearForRefresh();
    for (int i = 0; i < samples; ++i)
        trends.addSample(50, QStringLiteral("62.4"), QStringLiteral("110.3"));
    const long overwritten = residentKb();
    std::printf("live graph memory after its slots were all written again: %ld kB (%.2f bytes per sample)\n",
                overwritten - before, (overwritten - before) * 1024.0 / samples);
    delete histogram.data();
    delete graphWindow.data();
    return 0;
}
