// The panel's trend buffers, histograms and the graph area that shows them.
#include "graphs/LiveTrends.h"
#include "graphs/PanelGraphs.h"
#include "views/plot/Graph.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <qcustomplot.h>

using namespace slm;

class TestGraphsTrends : public QObject
{
    Q_OBJECT

    using Axis = Graph::Axis;
    using Which = PanelGraphs::Which;

    static void compareRange(Graph* g, Axis axis, double min, double max)
    {
        const Graph::Range r = g->axisRange(axis);
        QCOMPARE(r.min, min);
        QCOMPARE(r.max, max);
    }

private slots:
    void firstSampleSetsClassesExtremesAndRanges()
    {
        auto trends = std::make_unique<LiveTrends>();
        PanelGraphs graphs(*trends);
        const TrendSampleResult r = trends->addSample(55.3, 0.0, 0.0);

        QCOMPARE(trends->decHistogram()[553], 1);
        QCOMPARE(trends->intHistogram()[56], 1);
        QCOMPARE(trends->decLevelMin(), 553);
        QCOMPARE(trends->decLevelMax(), 553);
        QCOMPARE(trends->intClassMax(), 56);
        QCOMPARE(trends->intClassMin(), 54);
        QVERIFY(!r.intVisible);
        Graph* intGraph = graphs.graph(Which::IntHistogram);
        Graph* decGraph = graphs.graph(Which::DecHistogram);
        QVERIFY(!decGraph->isHidden());
        QVERIFY(intGraph->isHidden());
        compareRange(intGraph, Axis::X, 53, 57);
        compareRange(decGraph, Axis::X, 552, 554);
        // Both histograms carry every class, and the trends one point each.
        QCOMPARE(intGraph->pointCount(), 141);
        QCOMPARE(decGraph->pointCount(), 1401);
        QCOMPARE(decGraph->pointY(553), 1.0);
        QCOMPARE(intGraph->pointY(56), 1.0);
        QCOMPARE(graphs.graph(Which::Level)->pointY(0), 55.3);
        QCOMPARE(graphs.graph(Which::Level)->pointX(0), 1.0);
        // "XXX" holds no number: 0 is charted, stored and taken into the extremes.
        QCOMPARE(graphs.graph(Which::Leq)->pointY(0), 0.0);
        QCOMPARE(trends->leqTrend()[0], 0.0);
        QCOMPARE(trends->leqMin(), 0.0);
        QCOMPARE(trends->levelTrend()[0], 55.3);
        QCOMPARE(trends->writeIndex(), 1);
    }

    void wholeAndTenthLevelsFallInTheirClasses()
    {
        auto trends = std::make_unique<LiveTrends>();
        for (double level : {55.0, 55.3, 56.0})
            trends->addSample(level, 0.0, 0.0);
        QCOMPARE(trends->intHistogram()[55], 1);
        QCOMPARE(trends->intHistogram()[56], 2);
        QCOMPARE(trends->decHistogram()[550], 1);
        QCOMPARE(trends->decHistogram()[553], 1);
        QCOMPARE(trends->decHistogram()[560], 1);
        QCOMPARE(trends->intClassMin(), 54);
        QCOMPARE(trends->intClassMax(), 56); // 56.0 is not above 56: the edge stays
        // Tenths that do not sit exactly on a binary fraction still land on their class.
        QCOMPARE(LiveTrends::decClass(0.1 * 553), 553);
        QCOMPARE(LiveTrends::intClass(0.1 * 550), 55);
        QCOMPARE(LiveTrends::intClass(0.7), 1);
    }

    void spreadChoosesTheHistogramShown_data()
    {
        QTest::addColumn<double>("second");
        QTest::addColumn<bool>("intVisible");
        QTest::newRow("40.0 then 71.0, spread 310") << 71.0 << true;
        QTest::newRow("40.0 then 70.0, spread exactly 300") << 70.0 << false;
    }

    void spreadChoosesTheHistogramShown()
    {
        QFETCH(double, second);
        QFETCH(bool, intVisible);
        auto trends = std::make_unique<LiveTrends>();
        PanelGraphs graphs(*trends);
        trends->addSample(40.0, 0.0, 0.0);
        trends->addSample(second, 0.0, 0.0);
        QCOMPARE(!graphs.graph(Which::IntHistogram)->isHidden(), intVisible);
        QCOMPARE(!graphs.graph(Which::DecHistogram)->isHidden(), !intVisible);
    }

    void levelsOutsideTheClassesAreCapped()
    {
        auto trends = std::make_unique<LiveTrends>();
        trends->addSample(145.5, 0.0, 0.0);
        trends->addSample(140.0, 0.0, 0.0);
        trends->addSample(-3.0, 0.0, 0.0);
        QCOMPARE(trends->decHistogram()[1400], 2);
        QCOMPARE(trends->intHistogram()[140], 2);
        QCOMPARE(trends->decHistogram()[0], 1);
        QCOMPARE(trends->intHistogram()[0], 1);
        // The extremes keep the true level so the enlarged trend covers every point.
        QCOMPARE(trends->decLevelMax(), 1455);
        QCOMPARE(trends->intClassMax(), 146);
        QCOMPARE(trends->decLevelMin(), 0);
        QCOMPARE(trends->levelTrend()[0], 145.5);
    }

    void leqAndSelTextsFeedTheirTrendsAndExtremes()
    {
        auto trends = std::make_unique<LiveTrends>();
        trends->addSample(60.0, 62.4, 95.1);
        trends->addSample(61.0, 58.0, 97.3);
        QCOMPARE(trends->leqTrend()[1], 58.0);
        QCOMPARE(trends->selTrend()[0], 95.1);
        QCOMPARE(trends->leqMin(), 58.0);
        QCOMPARE(trends->leqMax(), 62.4);
        QCOMPARE(trends->selMin(), 95.1);
        QCOMPARE(trends->selMax(), 97.3);

        const TrendSampleResult r = trends->addSample(70.2, 66.6, 0.0);
        QCOMPARE(r.level, 70.2);
        QCOMPARE(r.leq, 66.6);
        QCOMPARE(r.sel, 0.0);
        QCOMPARE(trends->writeIndex(), 3);
    }

    void buffersWrapAfterTheLastSlot()
    {
        auto trends = std::make_unique<LiveTrends>();
        for (int i = 0; i < TrendSlots; ++i)
            trends->addSample(50.0, 0.0, 0.0);
        QCOMPARE(trends->writeIndex(), 0);
        QCOMPARE(trends->decHistogram()[500], TrendSlots);
        trends->addSample(77.7, 1.5, 2.5);
        QCOMPARE(trends->writeIndex(), 1);
        QCOMPARE(trends->levelTrend()[0], 77.7);
        QCOMPARE(trends->leqTrend()[0], 1.5);
        QCOMPARE(trends->selTrend()[0], 2.5);
        QCOMPARE(trends->levelTrend()[1], 50.0);
        QCOMPARE(trends->levelTrend().size(), size_t(TrendSlots));
    }

    void refreshEmptiesEveryGraphAndRestarts()
    {
        auto trends = std::make_unique<LiveTrends>();
        PanelGraphs graphs(*trends);
        trends->addSample(40.0, 41.0, 80.0);
        trends->addSample(72.5, 50.0, 90.0);
        trends->clearForRefresh();
        for (Which w : {Which::Level, Which::Leq, Which::Sel, Which::IntHistogram, Which::DecHistogram})
            QCOMPARE(graphs.graph(w)->pointCount(), 0);
        QCOMPARE(trends->writeIndex(), 0);
        QCOMPARE(trends->intClassMax(), 0);
        QCOMPARE(trends->intClassMin(), 150);
        QCOMPARE(trends->decLevelMax(), 0);
        QCOMPARE(trends->decLevelMin(), 1500);
        QCOMPARE(trends->decHistogram()[400], 0);
        QCOMPARE(trends->intHistogram()[73], 0);
        QCOMPARE(trends->leqMin(), 41.0);
        QCOMPARE(trends->selMax(), 90.0);

        // The next sample starts the trends again at X = 1 and the buffers at slot 0.
        trends->addSample(60.1, 0.0, 0.0);
        QCOMPARE(graphs.graph(Which::Level)->pointCount(), 1);
        QCOMPARE(graphs.graph(Which::Level)->pointX(0), 1.0);
        QCOMPARE(trends->levelTrend()[0], 60.1);
        QCOMPARE(trends->decLevelMin(), 601);
    }

    void linkLossKeepsExtremesAndTheLeqSelTrends()
    {
        auto trends = std::make_unique<LiveTrends>();
        PanelGraphs graphs(*trends);
        trends->addSample(40.0, 41.0, 80.0);
        trends->addSample(72.5, 50.0, 90.0);
        trends->clearForLinkLoss();
        QCOMPARE(graphs.graph(Which::Level)->pointCount(), 0);
        QCOMPARE(graphs.graph(Which::IntHistogram)->pointCount(), 0);
        QCOMPARE(graphs.graph(Which::DecHistogram)->pointCount(), 0);
        QCOMPARE(graphs.graph(Which::Leq)->pointCount(), 2);
        QCOMPARE(graphs.graph(Which::Sel)->pointCount(), 2);
        QCOMPARE(trends->writeIndex(), 0);
        QCOMPARE(trends->decHistogram()[725], 0);
        QCOMPARE(trends->intHistogram()[40], 0);
        QCOMPARE(trends->decLevelMin(), 400);
        QCOMPARE(trends->decLevelMax(), 725);
        QCOMPARE(trends->intClassMin(), 39);
        QCOMPARE(trends->intClassMax(), 73);
        QCOMPARE(trends->leqMax(), 50.0);
    }

    void graphAreaLayoutAndSwitching()
    {
        auto model = std::make_unique<LiveTrends>();
        PanelGraphs graphs(*model);
        const struct {
            const char* name;
            Which which;
            const char* x;
            const char* y;
        } expected[] = {
            {"CWG", Which::Level, "", "SPL (dB)"},
            {"CWLeq", Which::Leq, "", "Leq (dB)"},
            {"CWSEL", Which::Sel, "", "SEL (dB)"},
            {"CWInt", Which::IntHistogram, "dB", "Frequency (Times)"},
            {"CWDec", Which::DecHistogram, "dB", "Frequency (Times)"},
        };
        for (const auto& e : expected) {
            Graph* g = graphs.findChild<Graph*>(QString::fromLatin1(e.name));
            QVERIFY2(g, e.name);
            QCOMPARE(g, graphs.graph(e.which));
            QCOMPARE(g->axisCaption(Axis::X), QString::fromLatin1(e.x));
            QCOMPARE(g->axisCaption(Axis::Y), QString::fromLatin1(e.y));
        }
        QCOMPARE(graphs.graph(Which::DecHistogram)->axisLabelFormat(Axis::X), QStringLiteral("*.1"));
        QVERIFY(!graphs.graph(Which::IntHistogram)->isHidden());
        QVERIFY(graphs.graph(Which::DecHistogram)->isHidden());

        const Which trends[] = {Which::Level, Which::Leq, Which::Sel};
        for (int option : {1, 2, 0, 7}) {
            const int shown = option == 0 ? 0 : option == 1 ? 1 : 2;
            graphs.showTrend(option);
            for (int t = 0; t < 3; ++t)
                QCOMPARE(!graphs.graph(trends[t])->isHidden(), t == shown);
        }
    }

    void trendsKeepTheNewestPointsOnScreen()
    {
        auto trends = std::make_unique<LiveTrends>();
        PanelGraphs graphs(*trends);
        const int n = PanelGraphs::TrendPointsOnScreen + 25;
        for (int i = 1; i <= n; ++i)
            trends->addSample(40.0 + (i % 300) / 10.0, 0.0, 0.0);
        Graph* level = graphs.graph(Which::Level);
        QCOMPARE(level->pointCount(), PanelGraphs::TrendPointsOnScreen);
        QCOMPARE(level->pointX(0), 26.0);
        QCOMPARE(level->pointX(level->pointCount() - 1), double(n));
        compareRange(level, Axis::X, 26.0, double(n));
        QCOMPARE(trends->writeIndex(), n);
    }

    void clickOnAShownGraphNamesIt()
    {
        auto trends = std::make_unique<LiveTrends>();
        PanelGraphs graphs(*trends);
        graphs.resize(420, 180);
        graphs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&graphs));
        trends->addSample(55.3, 0.0, 0.0);
        QSignalSpy spy(&graphs, &PanelGraphs::graphClicked);
        QCustomPlot* dec = graphs.graph(Which::DecHistogram)->plot();
        QTest::mouseClick(dec, Qt::LeftButton, {}, dec->rect().center());
        graphs.showTrend(1);
        QCustomPlot* leq = graphs.graph(Which::Leq)->plot();
        QTest::mouseClick(leq, Qt::LeftButton, {}, leq->rect().center());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).value<Which>(), Which::DecHistogram);
        QCOMPARE(spy.at(1).at(0).value<Which>(), Which::Leq);
    }
};

QTEST_MAIN(TestGraphsTrends)
#include "test_graphs_trends.moc"
