// The graph component: traces, axes, label formats, track modes, cursors, markers.
#include "views/plot/Graph.h"
#include "views/plot/LabelFormatTicker.h"

#include <QSignalSpy>
#include <QTest>
#include <qcustomplot.h>
#include <vector>

using namespace slm;

class TestGraphsGraph : public QObject
{
    Q_OBJECT

    using Axis = Graph::Axis;

    // A graph on screen with a trace 0..100 at X 0..100 and fixed ranges, for mouse tests.
    static std::unique_ptr<Graph> shownGraph()
    {
        auto g = std::make_unique<Graph>();
        g->resize(500, 300);
        std::vector<double> ys(101);
        for (int i = 0; i <= 100; ++i)
            ys[size_t(i)] = i;
        g->plotY(std::span<const double>(ys));
        g->setAxisRange(Axis::X, 0, 100);
        g->setAxisRange(Axis::Y, 0, 100);
        g->show();
        if (!QTest::qWaitForWindowExposed(g.get()))
            return nullptr;
        g->replotNow();
        return g;
    }
    static QPoint pixelAt(Graph* g, double x, double y)
    {
        return QPoint(int(g->plot()->xAxis->coordToPixel(x)), int(g->plot()->yAxis->coordToPixel(y)));
    }
    static QCPBars* barsOf(const Graph& g)
    {
        for (int i = 0; i < g.plot()->plottableCount(); ++i)
            if (auto* bars = qobject_cast<QCPBars*>(g.plot()->plottable(i)))
                return bars;
        return nullptr;
    }
    static void drag(QWidget* w, QPoint from, QPoint to)
    {
        QTest::mousePress(w, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, w->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, {}, to);
    }

private slots:
    void traceFromArrayAndInPlaceReplacement()
    {
        Graph g;
        const std::vector<double> ys{60.0, 61.5, 63.0};
        g.plotY(std::span<const double>(ys), 1, 1);
        QCOMPARE(g.pointCount(), 3);
        QCOMPARE(g.pointX(2), 3.0);
        QCOMPARE(g.pointY(1), 61.5);
        // Autoscale: X spans the points, Y the values rounded out to tick steps.
        QCOMPARE(g.axisRange(Axis::X).min, 1.0);
        QCOMPARE(g.axisRange(Axis::X).max, 3.0);
        QVERIFY(g.axisRange(Axis::Y).min <= 60.0 && g.axisRange(Axis::Y).max >= 63.0);

        std::vector<int> counts(1401, 0);
        counts[553] = 4;
        g.plotY(std::span<const int>(counts));
        const auto* first = &*g.plot()->graph(0)->data()->constBegin();
        counts[553] = 5;
        counts[0] = 2;
        g.plotY(std::span<const int>(counts));
        // Same keys: the points are rewritten where they lie.
        QCOMPARE(&*g.plot()->graph(0)->data()->constBegin(), first);
        QCOMPARE(g.pointY(553), 5.0);
        QCOMPARE(g.pointY(0), 2.0);
        QCOMPARE(g.pointX(1400), 1400.0);

        g.plotY(std::span<const double>(ys), 10, 0.5);
        QCOMPARE(g.pointCount(), 3);
        QCOMPARE(g.pointX(2), 11.0);
        g.clearData();
        QCOMPARE(g.pointCount(), 0);
        QCOMPARE(g.pointY(0), 0.0); // out of range reads as 0
    }

    void chartKeepsTheNewestPoints()
    {
        Graph g;
        g.setChartStart(1, 1);
        g.setChartLength(5);
        for (int i = 1; i <= 3; ++i)
            g.chartY(i * 10.0);
        QCOMPARE(g.pointCount(), 3);
        // Before the window is full it fills from the left.
        QCOMPARE(g.axisRange(Axis::X).min, 1.0);
        QCOMPARE(g.axisRange(Axis::X).max, 5.0);
        for (int i = 4; i <= 8; ++i)
            g.chartY(i * 10.0);
        QCOMPARE(g.pointCount(), 5);
        QCOMPARE(g.pointX(0), 4.0);
        QCOMPARE(g.pointY(4), 80.0);
        QCOMPARE(g.axisRange(Axis::X).min, 4.0);
        QCOMPARE(g.axisRange(Axis::X).max, 8.0);
        g.setChartLength(2);
        QCOMPARE(g.pointCount(), 2);
        QCOMPARE(g.pointX(0), 7.0);
        g.clearData();
        g.chartY(1.0);
        QCOMPARE(g.pointX(0), 1.0);

        Graph unlimited;
        for (int i = 0; i < 1000; ++i)
            unlimited.chartY(i);
        QCOMPARE(unlimited.pointCount(), 1000);
        QCOMPARE(unlimited.pointX(999), 999.0);
    }

    void axisRangesAndCaptions()
    {
        Graph g;
        g.setAxisRange(Axis::X, 1, 349999);
        g.setAxisRange(Axis::Y, 25, 145);
        QCOMPARE(g.axisRange(Axis::X).max, 349999.0);
        QCOMPARE(g.axisRange(Axis::Y).min, 25.0);
        QVERIFY(!g.axisAutoScale(Axis::X));
        // A set range is not moved by new data.
        const std::vector<double> ys{200, 300};
        g.plotY(std::span<const double>(ys));
        QCOMPARE(g.axisRange(Axis::Y).max, 145.0);
        // Reversed is swapped, empty is widened, so the axis always shows something.
        g.setAxisRange(Axis::X, 144, 1);
        QCOMPARE(g.axisRange(Axis::X).min, 1.0);
        QCOMPARE(g.axisRange(Axis::X).max, 144.0);
        g.setAxisRange(Axis::Y, 0, 0);
        QCOMPARE(g.axisRange(Axis::Y).min, -1.0);
        QCOMPARE(g.axisRange(Axis::Y).max, 1.0);
        g.setAxisAutoScale(Axis::Y, true);
        QVERIFY(g.axisRange(Axis::Y).max >= 300.0);

        g.setAxisCaption(Axis::Y, QStringLiteral("Leq (dB)"));
        QCOMPARE(g.axisCaption(Axis::Y), QStringLiteral("Leq (dB)"));
        QCOMPARE(g.plot()->yAxis->label(), QStringLiteral("Leq (dB)"));
        g.setAxisCaption(Axis::Y, QString());
        QCOMPARE(g.axisCaption(Axis::Y), QString());
    }

    void histogramBarsScaleFromZero()
    {
        Graph g;
        g.setTraceStyle(Graph::Style::Bars);
        std::vector<int> counts(141, 0);
        counts[56] = 7;
        g.plotY(std::span<const int>(counts));
        // Drawn as bars one class wide, carrying the same counts; the line trace is not drawn.
        QCPBars* bars = barsOf(g);
        QVERIFY(bars && bars->visible());
        QVERIFY(!g.plot()->graph(0)->visible());
        QCOMPARE(bars->width(), 1.0);
        QCOMPARE(bars->data()->size(), 141);
        QCOMPARE(bars->data()->at(56)->key, 56.0);
        QCOMPARE(bars->data()->at(56)->value, 7.0);
        QCOMPARE(g.axisRange(Axis::Y).min, 0.0);
        QVERIFY(g.axisRange(Axis::Y).max >= 7.0);
        // A redraw with the same classes updates the counts; a cleared trace empties the bars.
        counts[56] = 0;
        counts[57] = 3;
        g.plotY(std::span<const int>(counts));
        QCOMPARE(bars->data()->at(56)->value, 0.0);
        QCOMPARE(bars->data()->at(57)->value, 3.0);
        std::vector<int> tenths(1401, 0);
        tenths[553] = 2;
        g.plotY(std::span<const int>(tenths), 0, 0.1);
        QCOMPARE(bars->data()->size(), 1401);
        QCOMPARE(bars->width(), 0.1);
        QCOMPARE(bars->data()->at(553)->value, 2.0);
        g.clearData();
        QCOMPARE(bars->data()->size(), 0);
        g.setTraceStyle(Graph::Style::Line);
        QCOMPARE(g.plot()->graph(0)->lineStyle(), QCPGraph::lsLine);
        QVERIFY(g.plot()->graph(0)->visible());
        QVERIFY(!bars->visible());
    }

    void labelFormats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("label");
        QTest::newRow("*.1 tenths read as dB") << "*.1" << 553.0 << "55.3";
        QTest::newRow("*.1 whole") << "*.1" << 1400.0 << "140.0";
        QTest::newRow("*0.1 same as *.1") << "*0.1" << 552.0 << "55.2";
        QTest::newRow("*.1 no minus zero") << "*.1" << -1e-12 << "0.0";
        QTest::newRow("0 whole numbers") << "0" << 56.0 << "56";
        QTest::newRow("0.0 one decimal") << "0.0" << 72.5 << "72.5";
        QTest::newRow("plain") << "" << 12.25 << "12.25";
    }

    void labelFormats()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, label);
        Graph g;
        g.setAxisLabelFormat(Axis::X, format);
        QCOMPARE(g.axisLabelFormat(Axis::X), format);
        QCOMPARE(g.tickLabel(Axis::X, value), label);
    }

    void labelFormatTicksStayDistinct()
    {
        // A narrow range must not put two ticks on the same label.
        Graph g;
        g.resize(400, 300);
        for (const char* format : {"0", "*.1"}) {
            g.setAxisLabelFormat(Axis::X, QString::fromLatin1(format));
            g.setAxisRange(Axis::X, 552, 554);
            g.replotNow();
            const QVector<double> ticks = g.plot()->xAxis->tickVector();
            const QVector<QString> labels = g.plot()->xAxis->tickVectorLabels();
            QVERIFY(ticks.size() >= 2);
            for (int i = 1; i < labels.size(); ++i)
                QVERIFY2(labels[i] != labels[i - 1], qPrintable(labels[i]));
        }
        QCOMPARE(g.plot()->xAxis->tickVectorLabels().first(), QStringLiteral("55.2"));
    }

    void trackModesSetTheInteraction_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("drag");
        QTest::addColumn<bool>("zoomRect");
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<bool>("vertical");
        QTest::newRow("1 Normal") << 1 << false << false << false << false;
        QTest::newRow("2 Cursor") << 2 << false << false << false << false;
        QTest::newRow("3 PanXY") << 3 << true << false << true << true;
        QTest::newRow("4 PanX") << 4 << true << false << true << false;
        QTest::newRow("5 PanY") << 5 << true << false << false << true;
        QTest::newRow("6 ZoomXY") << 6 << false << true << true << true;
        QTest::newRow("7 ZoomX") << 7 << false << true << true << false;
        QTest::newRow("8 ZoomY") << 8 << false << true << false << true;
    }

    void trackModesSetTheInteraction()
    {
        QFETCH(int, mode);
        QFETCH(bool, drag);
        QFETCH(bool, zoomRect);
        QFETCH(bool, horizontal);
        QFETCH(bool, vertical);
        Graph g;
        g.setTrackMode(6); // start elsewhere so every mode must undo what the last one set
        g.setTrackMode(3);
        g.setTrackMode(mode);
        QCOMPARE(int(g.trackMode()), mode);
        QCustomPlot* p = g.plot();
        QCOMPARE(p->interactions().testFlag(QCP::iRangeDrag), drag);
        QVERIFY(!p->interactions().testFlag(QCP::iRangeZoom)); // no wheel zoom in any mode
        QCOMPARE(p->selectionRectMode() == QCP::srmCustom, zoomRect);
        QCPAxisRect* rect = p->axisRect();
        if (drag) {
            QCOMPARE(rect->rangeDrag().testFlag(Qt::Horizontal), horizontal);
            QCOMPARE(rect->rangeDrag().testFlag(Qt::Vertical), vertical);
        }
        if (zoomRect) {
            QCOMPARE(!rect->rangeZoomAxes(Qt::Horizontal).isEmpty(), horizontal);
            QCOMPARE(!rect->rangeZoomAxes(Qt::Vertical).isEmpty(), vertical);
        }
        g.setTrackMode(9); // not a mode: nothing changes
        QCOMPARE(int(g.trackMode()), mode);
    }

    void zoomXByDraggedRectangleChangesOnlyX()
    {
        auto g = shownGraph();
        QVERIFY(g);
        g->setTrackMode(TrackMode::ZoomX);
        drag(g->plot(), pixelAt(g.get(), 20, 80), pixelAt(g.get(), 40, 60));
        QVERIFY(qAbs(g->axisRange(Axis::X).min - 20) < 1.0);
        QVERIFY(qAbs(g->axisRange(Axis::X).max - 40) < 1.0);
        QCOMPARE(g->axisRange(Axis::Y).min, 0.0);
        QCOMPARE(g->axisRange(Axis::Y).max, 100.0);

        // A click, or a slip of two pixels, does not zoom.
        const Graph::Range before = g->axisRange(Axis::X);
        QTest::mouseClick(g->plot(), Qt::LeftButton, {}, pixelAt(g.get(), 30, 50));
        drag(g->plot(), pixelAt(g.get(), 30, 50), pixelAt(g.get(), 30, 50) + QPoint(2, 30));
        QCOMPARE(g->axisRange(Axis::X).min, before.min);
        QCOMPARE(g->axisRange(Axis::X).max, before.max);

        g->setTrackMode(TrackMode::ZoomXY);
        drag(g->plot(), pixelAt(g.get(), 25, 80), pixelAt(g.get(), 35, 60));
        QVERIFY(qAbs(g->axisRange(Axis::X).min - 25) < 1.0);
        QVERIFY(qAbs(g->axisRange(Axis::Y).max - 80) < 1.0);
        QVERIFY(qAbs(g->axisRange(Axis::Y).min - 60) < 1.0);
    }

    void panYByDragChangesOnlyY()
    {
        auto g = shownGraph();
        QVERIFY(g);
        g->setTrackMode(TrackMode::PanY);
        drag(g->plot(), pixelAt(g.get(), 50, 50), pixelAt(g.get(), 70, 60));
        QCOMPARE(g->axisRange(Axis::X).min, 0.0);
        QVERIFY(qAbs(g->axisRange(Axis::Y).min + 10) < 1.0);
    }

    void cursorsAddMoveHideRemove()
    {
        Graph g;
        g.setAxisRange(Axis::X, 1, 101);
        g.setAxisRange(Axis::Y, 25, 145);
        QCOMPARE(g.cursorCount(), 0);
        QCOMPARE(g.addCursor(), 1);
        // A new cursor sits in the middle of the ranges, in red (255).
        QCOMPARE(g.cursorX(1), 51.0);
        QCOMPARE(g.cursorY(1), 85.0);
        QCOMPARE(g.cursorColor(1), QColor(255, 0, 0));
        QCOMPARE(colorToBgr(g.cursorColor(1)), 255u);
        QCOMPARE(g.addCursor(), 2);
        g.setCursorColor(2, colorFromBgr(0xFF0000));
        QCOMPARE(g.cursorColor(2), QColor(0, 0, 255));
        g.setCursorPosition(2, 10, 60.5);
        QCOMPARE(g.cursorX(2), 10.0);
        QCOMPARE(g.cursorY(2), 60.5);
        g.setCursorVisible(2, false);
        QVERIFY(!g.cursorVisible(2));
        QVERIFY(g.cursorVisible(1));
        QCOMPARE(g.plot()->itemCount(), 4);
        // Unknown numbers are ignored.
        g.setCursorPosition(3, 1, 1);
        QCOMPARE(g.cursorX(3), 0.0);
        g.removeAllCursors();
        QCOMPARE(g.cursorCount(), 0);
        QCOMPARE(g.plot()->itemCount(), 0);
    }

    void draggedCursorSnapsToTheTraceAndReports()
    {
        auto g = shownGraph();
        QVERIFY(g);
        g->addCursor();
        g->addCursor();
        g->setCursorPosition(1, 20, 50);
        g->setCursorPosition(2, 80, 50);
        QSignalSpy moved(g.get(), &Graph::cursorMoved);
        QSignalSpy clicked(g.get(), &Graph::clicked);

        // Not in cursor mode: the cursors stay.
        drag(g->plot(), pixelAt(g.get(), 22, 10), pixelAt(g.get(), 40, 10));
        QCOMPARE(moved.count(), 0);

        g->setTrackMode(TrackMode::Cursor);
        drag(g->plot(), pixelAt(g.get(), 22, 10), pixelAt(g.get(), 33.2, 10));
        QVERIFY(moved.count() >= 1);
        const QList<QVariant> last = moved.last();
        QCOMPARE(last.at(0).toInt(), 1); // the nearer cursor was taken
        QCOMPARE(last.at(1).toDouble(), 33.0);
        QCOMPARE(last.at(2).toDouble(), 33.0); // Y of the trace point there
        QCOMPARE(g->cursorX(1), 33.0);
        QCOMPARE(g->cursorX(2), 80.0);
        QCOMPARE(clicked.count(), 0); // a drag is no click

        // Hidden cursors are not picked up.
        g->setCursorVisible(1, false);
        moved.clear();
        drag(g->plot(), pixelAt(g.get(), 35, 10), pixelAt(g.get(), 70, 10));
        QCOMPARE(moved.last().at(0).toInt(), 2);

        g->setCursorSnap(false);
        drag(g->plot(), pixelAt(g.get(), 70, 10), pixelAt(g.get(), 60, 25));
        QVERIFY(qAbs(g->cursorY(2) - 25) < 1.0);
    }

    void clickReportsGraphCoordinates()
    {
        auto g = shownGraph();
        QVERIFY(g);
        QSignalSpy clicked(g.get(), &Graph::clicked);
        QTest::mouseClick(g->plot(), Qt::LeftButton, {}, pixelAt(g.get(), 30, 70));
        QCOMPARE(clicked.count(), 1);
        QVERIFY(qAbs(clicked.first().at(0).toDouble() - 30) < 1.0);
        QVERIFY(qAbs(clicked.first().at(1).toDouble() - 70) < 1.0);
    }

    void textMarkersTiedToPoints()
    {
        Graph g;
        const std::vector<double> ys{60.0, 61.0, 62.0, 63.0};
        g.plotY(std::span<const double>(ys), 1, 1);
        g.addTextMarker(1, QStringLiteral("Pause"), 2, 30, QStringLiteral("Pause"));
        g.addTextMarker(3, QStringLiteral("Start"), 4, 105, QStringLiteral("Start"));
        QCOMPARE(g.markers().size(), size_t(2));
        QCOMPARE(g.markers()[0].pointIndex, 1);
        QCOMPARE(g.markers()[1].text, QStringLiteral("Start"));
        QCOMPARE(g.markers()[1].y, 105.0);
        g.resize(400, 300);
        g.setAxisRange(Graph::Axis::Y, 25, 145);
        g.setAxisRange(Graph::Axis::X, 1, 4);
        g.replotNow();
        QCOMPARE(g.markerTextsShown(), 2);
        // Only the markers in view are drawn.
        g.setAxisRange(Graph::Axis::X, 3.5, 4.5);
        g.replotNow();
        QCOMPARE(g.markerTextsShown(), 1);
        g.removeAllMarkers();
        QCOMPARE(g.markers().size(), size_t(0));
        QCOMPARE(g.plot()->itemCount(), 0);
    }

    void plotAreaColourAndLooks()
    {
        Graph g;
        QCOMPARE(g.plotAreaColor(), QColor(Qt::white));
        g.setPlotAreaColor(colorFromBgr(0x203040));
        QCOMPARE(g.plotAreaColor(), QColor(0x40, 0x30, 0x20));
        QCOMPARE(g.plot()->axisRect()->backgroundBrush().color(), QColor(0x40, 0x30, 0x20));
        g.setLook(Graph::Look::Dark);
        QVERIFY(g.plotAreaColor().lightness() < 40);
    }
};

QTEST_MAIN(TestGraphsGraph)
#include "test_graphs_graph.moc"
