// The record plot at full size: a list of 348000 records plotted until its window is drawn, and
// the redraw after a pan or a zoom with the pause markers on it. Optional arguments: PNG paths
// for pictures of the window after the plot and zoomed in with the cursor out, and a PDF file
// for the printed page.
#include "graphs/RecordPlotWindow.h"
#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/Dialogs.h"
#include "views/plot/Graph.h"
#include "views/plot/LevelPlot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace slm;

namespace
{

// Levels around 60 dB with `runs` pauses of 20 records spread over the list.
void fillList(RecordListModel& list, int n, int runs)
{
    const int every = n / runs;
    for (int i = 1; i <= n; ++i) {
        const double level =
            std::round((60 + 12 * std::sin(i / 5000.0) + ((i * 7919LL) % 61) / 10.0) * 10) / 10;
        const bool paused = (i % every) >= every - 20;
        list.stageLatin1(QByteArray::number(i), "2026/01/17 08:30:05",
                         QByteArray::number(level, 'f', 1) + (paused ? "*" : ""));
    }
    list.commitStaged();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Redraws {
    double pan = 0;
    double zoom = 0;
    double whole = 0;
};

// Median redraw times over 30 steps each: panning a tenth of the list, zooming out step by step,
// and the whole list (every marker on screen).
Redraws measureRedraws(Graph& g, int n)
{
    QElapsedTimer t;
    std::vector<double> pan, zoom, whole;
    for (int i = 0; i < 30; ++i) {
        const double start = 1 + i * (n / 40.0);
        g.setAxisRange(Graph::Axis::X, start, start + n / 10.0);
        t.start();
        g.replotNow();
        pan.push_back(t.nsecsElapsed() / 1e6);

        const double half = n / 2.0 * (i + 1) / 30.0;
        g.setAxisRange(Graph::Axis::X, n / 2.0 - half, n / 2.0 + half);
        g.setAxisRange(Graph::Axis::Y, 40 - i, 90 + i);
        t.start();
        g.replotNow();
        zoom.push_back(t.nsecsElapsed() / 1e6);

        g.setAxisRange(Graph::Axis::X, 1, n);
        g.setAxisRange(Graph::Axis::Y, 25, 145);
        t.start();
        g.replotNow();
        whole.push_back(t.nsecsElapsed() / 1e6);
    }
    return {median(pan), median(zoom), median(whole)};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtDialogs dialogs;

    const int n = 348000;
    QWidget panel;
    panel.setWindowTitle(QStringLiteral("Panel"));
    panel.setGeometry(0, 0, 300, 400);
    panel.show();
    WidgetBusyCaption caption(&panel);

    for (const int runs : {1000, 2000}) {
        RecordListModel list;
        fillList(list, n, runs);
        QPointer<RecordPlotWindow> shown;
        QElapsedTimer t;
        t.start();
        RecordPlotWindow* w = plotRecordList(shown, list, dialogs, nullptr, &caption, &panel);
        const double read = t.nsecsElapsed() / 1e6;
        w->graph()->replotNow();
        app.processEvents();
        const double drawn = t.nsecsElapsed() / 1e6;
        std::printf("plot of %d records, %d pauses (%d markers): read %.1f ms, window drawn after %.1f ms\n",
                    n, runs, int(w->graph()->markers().size()), read, drawn);

        const Redraws r = measureRedraws(*w->graph(), n);
        std::printf("  redraw median: pan %.2f ms, zoom %.2f ms, whole list %.2f ms\n", r.pan, r.zoom,
                    r.whole);
        if (runs == 1000) {
            // The same list as a bare trace, to tell the markers' share from the trace's.
            std::vector<Graph::Marker> kept = w->graph()->markers();
            w->graph()->removeAllMarkers();
            const Redraws bare = measureRedraws(*w->graph(), n);
            std::printf("  without markers: pan %.2f ms, zoom %.2f ms, whole list %.2f ms\n", bare.pan,
                        bare.zoom, bare.whole);
            for (const Graph::Marker& m : kept)
                w->graph()->addTextMarker(m.pointIndex, m.text, m.x, m.y, m.name);
            QElapsedTimer c;
            c.start();
            const LevelPlot again = plotLevelList(list);
            std::printf("  reading the level column alone: %.1f ms (%d records)\n", c.nsecsElapsed() / 1e6,
                        again.recordCount());
        }
        if (argc > 1 && runs == 1000) {
            w->resetScale();
            w->graph()->replotNow();
            w->grab().save(QString::fromLocal8Bit(argv[1]));
        }
        if (argc > 2 && runs == 1000) {
            // Zoomed to a few pauses, with the cursor out.
            w->graph()->setAxisRange(Graph::Axis::X, 1000, 2000);
            w->graph()->setAxisRange(Graph::Axis::Y, 25, 145);
            w->chooseTrackMode(1);
            w->graph()->replotNow();
            w->grab().save(QString::fromLocal8Bit(argv[2]));
        }
        if (argc > 3 && runs == 1000) {
            // The printed page, as a PDF file, with the printer dialog answered at once.
            struct PrinterChosen : QtDialogs {
                bool choosePrinter(QWidget*, QPrinter&) override { return true; }
            } chosen;
            QPrinter printer;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromLocal8Bit(argv[3]));
            RecordPlotWindow printed(chosen);
            printed.resize(w->size());
            printed.show();
            printed.showPlot(plotLevelList(list));
            printed.graph()->setAxisRange(Graph::Axis::X, 1000, 2000);
            std::printf("  printed: %s\n", printed.print(printer) ? "yes" : "no");
        }
        delete w;
    }
    return 0;
}
