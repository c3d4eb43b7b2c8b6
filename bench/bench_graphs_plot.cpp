// Cost of the enlarged graphs: a full record list (348000 points) as one trace, its redraw, and
// a cursor drag redraw; plus a picture of a graph window's graph in the light look with a cursor,
// markers and a histogram (arguments: two PNG paths).
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace slm;

namespace
{

double msSince(QElapsedTimer& t)
{
    const double ms = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const int n = 348000;
    std::vector<double> ys(n);
    for (int i = 0; i < n; ++i)
        ys[size_t(i)] = std::round((60 + 12 * std::sin(i / 5000.0) + ((i * 7919LL) % 61) / 10.0) * 10) / 10;

    Graph g;
    g.resize(720, 480);
    g.setAxisCaption(Graph::Axis::Y, QStringLiteral("SPL (dB)"));
    g.show();
    app.processEvents();

    QElapsedTimer t;
    t.start();
    g.plotY(std::span<const double>(ys), 1, 1);
    g.setAxisRange(Graph::Axis::Y, 25, 145);
    g.setAxisRange(Graph::Axis::X, 1, n);
    const double load = msSince(t);
    g.replotNow();
    const double draw = msSince(t);
    g.plotY(std::span<const double>(ys), 1, 1);
    const double replace = msSince(t);
    g.addCursor();
    double worstDrag = 0;
    for (int i = 0; i < 50; ++i) {
        g.setCursorPosition(1, 1 + i * 7000.0, 80);
        g.replotNow();
        worstDrag = std::max(worstDrag, msSince(t));
    }
    std::printf("record plot of %d points: trace %.2f ms, first draw %.2f ms, same-size replace %.2f ms, "
                "cursor move redraw worst %.2f ms\n",
                n, load, draw, replace, worstDrag);

    if (argc > 2) {
        std::vector<double> few(120);
        for (int i = 0; i < 120; ++i)
            few[size_t(i)] = 60 + 8 * std::sin(i / 12.0);
        g.plotY(std::span<const double>(few), 1, 1);
        g.setAxisRange(Graph::Axis::X, 1, 120);
        g.setCursorPosition(1, 40, few[39]);
        g.addTextMarker(29, QStringLiteral("Pause"), 30, 30, QStringLiteral("Pause"));
        g.addTextMarker(59, QStringLiteral("Start"), 60, 105, QStringLiteral("Start"));
        g.replotNow();
        g.grab().save(QString::fromLocal8Bit(argv[1]));

        Graph h;
        h.resize(720, 420);
        h.setTraceStyle(Graph::Style::Bars);
        h.setAxisCaption(Graph::Axis::X, QStringLiteral("dB"));
        h.setAxisCaption(Graph::Axis::Y, QStringLiteral("Frequency (Times)"));
        h.setAxisLabelFormat(Graph::Axis::X, QStringLiteral("*.1"));
        std::vector<int> counts(1401, 0);
        for (int i = 0; i < 3000; ++i)
            counts[size_t(550 + (i * 7919) % 37 - (i * 104729) % 29)] += 1;
        h.plotY(std::span<const int>(counts));
        h.setAxisRange(Graph::Axis::X, 519, 588);
        h.show();
        app.processEvents();
        h.replotNow();
        h.grab().save(QString::fromLocal8Bit(argv[2]));
        std::printf("pictures: %s %s\n", argv[1], argv[2]);
    }
    if (argc > 3) {
        // A page as printing draws it: the window's client area scaled onto an A4-shaped sheet.
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&g);
        layout->addWidget(new QLabel(QStringLiteral("Graphic Plot (hidden while printing)")));
        window.resize(760, 560);
        QPalette white = window.palette(); // as printing sets it
        white.setColor(QPalette::Window, Qt::white);
        window.setPalette(white);
        window.setAutoFillBackground(true);
        g.setBackgroundColor(Qt::white);
        window.show();
        app.processEvents();
        QImage page(827, 1169, QImage::Format_RGB32);
        page.fill(Qt::lightGray);
        QCPPainter painter(&page);
        painter.setModes(QCPPainter::pmVectorized | QCPPainter::pmNoCaching);
        drawWindowPage(&window, painter, &g);
        painter.end();
        page.save(QString::fromLocal8Bit(argv[3]));
        layout->removeWidget(&g);
        g.setParent(nullptr);
    }
    return 0;
}
