// The live windows with full trend buffers: opening the live graph until drawn, its redraw after
// a pan or zoom, opening either histogram, and the memory an open live graph adds. With a folder
// as argument it also leaves pictures of both windows there and prints each to a PDF file.
#include "BenchSupport.h"

#include "graphs/LiveGraphWindow.h"
#include "graphs/LiveHistogramWindow.h"
#include "graphs/LiveTrends.h"
#include "support/ResidentMemory.h"
#include "support/ScriptedDialogs.h"
#include "views/plot/Graph.h"
#include "views/plot/TrackModes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPrinter>
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

// Notes the first paint of a widget on the screen.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// A window just opened: runs the event loop until its graph has been painted on the screen. The
// graph draws its picture before it paints, so this is the moment the user sees the data.
void waitUntilOnScreen(Graph* graph)
{
    PaintWatch watch;
    graph->plot()->installEventFilter(&watch);
    QElapsedTimer limit;
    limit.start();
    while (!watch.painted && limit.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    graph->plot()->removeEventFilter(&watch);
    // And whatever the opening left queued (a second redraw) is counted as well.
    QCoreApplication::processEvents();
}

double msOf(QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

void printToPdf(auto& window, ScriptedDialogs& dialogs, const QString& path)
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    dialogs.printerAnswers.enqueue(true);
    window.printTo(printer);
}

// An hour of a street's levels, one sample a second.
void pictures(const QString& folder, ScriptedDialogs& dialogs)
{
    LiveTrends trends;
    for (int i = 0; i < 3600; ++i) {
        const double level =
            std::round((58 + 8 * std::sin(i / 300.0) + ((i * 7919LL) % 97) / 10.0) * 10) / 10;
        trends.addSample(level, std::round((60 + i / 1800.0) * 10) / 10,
                         std::round((80 + i / 100.0) * 10) / 10);
    }
    QPointer<LiveGraphWindow> graph;
    QPointer<LiveHistogramWindow> histogram;
    LiveGraphWindow* g =
        openLiveGraph(graph, trends, LiveTrend::Level, QStringLiteral("SPL (dB)"), dialogs, nullptr);
    waitUntilDrawn(g->graph());
    g->chooseTrackMode(CursorEntry);
    g->graph()->replotNow();
    g->grab().save(folder + QStringLiteral("/live-graph.png"));
    printToPdf(*g, dialogs, folder + QStringLiteral("/live-graph.pdf"));
    g->graph()->replotNow();
    g->grab().save(folder + QStringLiteral("/live-graph-after-print.png"));

    LiveHistogramWindow* h = openLiveHistogram(histogram, trends, LiveClasses::TenthDb, dialogs, nullptr);
    waitUntilDrawn(h->graph());
    h->grab().save(folder + QStringLiteral("/live-histogram-dec.png"));
    printToPdf(*h, dialogs, folder + QStringLiteral("/live-histogram.pdf"));
    h = openLiveHistogram(histogram, trends, LiveClasses::WholeDb, dialogs, nullptr);
    waitUntilDrawn(h->graph());
    h->clickToolbar(QStringLiteral("Track"));
    QCoreApplication::processEvents();
    h->grab().save(folder + QStringLiteral("/live-histogram-int.png"));

    LiveTrends none;
    g = openLiveGraph(graph, none, LiveTrend::Leq, QStringLiteral("Leq (dB)"), dialogs, nullptr);
    waitUntilDrawn(g->graph());
    g->grab().save(folder + QStringLiteral("/live-graph-empty.png"));
    delete graph.data();
    delete histogram.data();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedDialogs dialogs;
    if (argc > 1)
        pictures(QString::fromLocal8Bit(argv[1]), dialogs);

    // The most a view can show: the write index stops at 864000, the next sample wraps to slot 0.
    const int samples = TrendSlots - 1;
    LiveTrends trends;
    for (int i = 0; i < samples; ++i) {
        const double level =
            std::round((55 + 15 * std::sin(i / 9000.0) + ((i * 7919LL) % 83) / 10.0) * 10) / 10;
        trends.addSample(level, 62.4, 110.3);
    }

    // Fonts, styles and the first window's caches are loaded once before anything is measured.
    QPointer<LiveGraphWindow> graphWindow;
    {
        LiveTrends few;
        few.addSample(50, 50.0, 50.0);
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
    waitUntilOnScreen(w->graph());
    const double openMs = msOf(t);
    QCoreApplication::processEvents();
    const long opened = residentKb();
    // Sampling goes on while the window is open: the block being written is copied once.
    for (int i = 0; i < 10; ++i)
        trends.addSample(60, 62.4, 110.3);
    const long sampling = residentKb();

    // As a pan or zoom by the mouse does it: the range changes, the event loop redraws.
    std::vector<double> pans;
    std::vector<double> zooms;
    for (int i = 0; i < 41; ++i) {
        const double width = samples / 2.0;
        const double from = 1 + i * (samples / 80.0);
        t.restart();
        w->graph()->setAxisRange(Graph::Axis::X, from, from + width);
        waitUntilDrawn(w->graph());
        pans.push_back(msOf(t));
        const double span = samples / std::pow(1.25, i % 20);
        t.restart();
        w->graph()->setAxisRange(Graph::Axis::X, 1, 1 + span);
        waitUntilDrawn(w->graph());
        zooms.push_back(msOf(t));
    }
    t.restart();
    w->resetScale();
    waitUntilDrawn(w->graph());
    const double fullMs = msOf(t);

    std::printf(
        "live graph, %d samples: open until drawn %.1f ms; redraw after pan median %.2f ms (worst %.2f), "
        "after zoom median %.2f ms (worst %.2f), whole range %.2f ms\n",
        samples, openMs, bench::median(pans), *std::max_element(pans.begin(), pans.end()),
        bench::median(zooms), *std::max_element(zooms.begin(), zooms.end()), fullMs);
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
            waitUntilOnScreen(h->graph());
            opens.push_back(msOf(t));
        }
        std::printf("live histogram %s: open until drawn median %.2f ms (worst %.2f, first %.2f)\n", name,
                    bench::median(opens), *std::max_element(opens.begin(), opens.end()), opens.front());
    }

    // The worst case for memory: "Refresh" and a full buffer of new samples overwrite every block
    // the open window still shows, so each is copied once.
    delete histogram.data();
    QCoreApplication::processEvents();
    trends.clearForRefresh();
    for (int i = 0; i < samples; ++i)
        trends.addSample(50, 62.4, 110.3);
    const long overwritten = residentKb();
    std::printf(
        "resident memory: %ld kB before opening, %ld kB open, %ld kB sampling on, %ld kB overwritten\n",
        before, opened, sampling, overwritten);
    std::printf("live graph memory after its slots were all written again: %ld kB (%.2f bytes per sample)\n",
                overwritten - before, (overwritten - before) * 1024.0 / samples);
    delete graphWindow.data();
    return 0;
}
