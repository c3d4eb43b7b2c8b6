// Clicks on the panel's graphs open the live graph and the live histogram with the samples
// taken so far from the simulated meter.
#include "graphs/LiveTrends.h"
#include "graphs/PanelGraphs.h"
#include "support/SimPanelRig.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphRangeFrame.h"
#include "views/plot/GraphicFrame.h"

#include <QLabel>
#include <QtTest>
#include <qcustomplot.h>

using namespace slm;

namespace
{
SimPanelOptions wiredMeter()
{
    SimPanelOptions o;
    o.sim.level = 61.2;
    o.wiring = true;
    return o;
}

struct Rig : SimPanelRig {
    Rig() : SimPanelRig(wiredMeter()) { QVERIFY(start()); }
};

void clickGraph(Graph* graph)
{
    QVERIFY(graph->isVisible());
    QTest::mouseClick(graph->plot(), Qt::LeftButton, {}, graph->plot()->rect().center());
}
} // namespace

class LiveWindowsFromPanelTest : public QObject
{
    Q_OBJECT
private slots:
    void eachPanelGraphOpensItsWindow()
    {
        Rig rig;
        QVERIFY(rig.startUp());
        rig.panel->show();
        LiveTrends& trends = rig.wiring->trends();
        QTRY_VERIFY_WITH_TIMEOUT(trends.writeIndex() >= 2, 6000);
        PanelGraphs& graphs = rig.wiring->graphs();
        using W = PanelGraphs::Which;

        clickGraph(graphs.graph(W::Level));
        QPointer<LiveGraphWindow> level = rig.wiring->liveGraph();
        QVERIFY(level);
        QVERIFY(level->isVisible());
        const int count = level->view().count;
        QVERIFY(count >= 2);
        QCOMPARE(level->graph()->pointCount(), count);
        QCOMPARE(level->graph()->pointY(0), 61.2);
        QCOMPARE(level->unitLabel()->text(), QStringLiteral("SPL (dB)"));
        QCOMPARE(level->graph()->axisRange(Graph::Axis::Y).min, 60.2); // 61.2 alone, widened

        // Samples go on; the window does not follow them.
        QTRY_VERIFY_WITH_TIMEOUT(trends.writeIndex() > count, 4000);
        QCOMPARE(level->graph()->pointCount(), count);

        // The SSOpt choice shows the Leq trend instead.
        graphs.showTrend(1);
        clickGraph(graphs.graph(W::Leq));
        QVERIFY(level.isNull()); // closed and rebuilt
        QCOMPARE(rig.wiring->liveGraph()->unitLabel()->text(), QStringLiteral("Leq (dB)"));
        QCOMPARE(rig.wiring->liveGraph()->graph()->axisCaption(Graph::Axis::Y), QStringLiteral("Leq (dB)"));
        graphs.showTrend(2);
        clickGraph(graphs.graph(W::Sel));
        QCOMPARE(rig.wiring->liveGraph()->unitLabel()->text(), QStringLiteral("SEL (dB)"));

        // One level only: the spread is small, so the 0.1 dB histogram is the one shown.
        Graph* dec = graphs.graph(W::DecHistogram);
        clickGraph(dec);
        LiveHistogramWindow* histogram = rig.wiring->liveHistogram();
        QVERIFY(histogram);
        QCOMPARE(histogram->graph()->axisLabelFormat(Graph::Axis::X), QStringLiteral("*.1"));
        QVERIFY(histogram->graph()->pointY(612) >= 2);
        QCOMPARE(histogram->graph()->axisRange(Graph::Axis::X).min, 611.0);
        QCOMPARE(histogram->graph()->axisRange(Graph::Axis::X).max, 613.0);
        QVERIFY(rig.wiring->liveGraph()); // the graph window stays open beside it

        // The 1 dB histogram opens from its graph when that one is shown.
        dec->hide();
        graphs.graph(W::IntHistogram)->show();
        clickGraph(graphs.graph(W::IntHistogram));
        QCOMPARE(rig.wiring->liveHistogram()->graph()->axisLabelFormat(Graph::Axis::X), QStringLiteral("0"));
        QVERIFY(rig.wiring->liveHistogram()->graph()->pointY(62) >= 2);
    }
};

QTEST_MAIN(LiveWindowsFromPanelTest)
#include "test_app_live_windows.moc"
