// The panel's trend model: what it announces, when, and what its two clearings keep.
#include "graphs/LiveTrends.h"
#include "graphs/PanelGraphs.h"
#include "views/plot/Graph.h"

#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <memory>

using namespace slm;

class TestGraphsLiveTrends : public QObject
{
    Q_OBJECT

    struct Spies {
        explicit Spies(LiveTrends& t)
            : added(&t, &LiveTrends::sampleAdded), refreshed(&t, &LiveTrends::clearedForRefresh),
              linkLost(&t, &LiveTrends::clearedForLinkLoss)
        {
        }
        QSignalSpy added;
        QSignalSpy refreshed;
        QSignalSpy linkLost;
        void expect(int a, int r, int l) const
        {
            QCOMPARE(added.count(), a);
            QCOMPARE(refreshed.count(), r);
            QCOMPARE(linkLost.count(), l);
        }
    };

    static void addTwoSamples(LiveTrends& t)
    {
        t.addSample(40.0, 41.0, 80.0);
        t.addSample(72.5, 50.0, 90.0);
    }

private slots:
    void startsAtThePanelSentinels()
    {
        auto t = std::make_unique<LiveTrends>();
        QCOMPARE(t->decLevelMin(), 1450);
        QCOMPARE(t->intClassMin(), 145);
        QCOMPARE(t->leqMin(), 145.0);
        QCOMPARE(t->selMin(), 145.0);
        QCOMPARE(t->decLevelMax(), 0);
        QCOMPARE(t->intClassMax(), 0);
        QCOMPARE(t->leqMax(), 0.0);
        QCOMPARE(t->selMax(), 0.0);
        QCOMPARE(t->writeIndex(), 0);
        QVERIFY(std::ranges::all_of(t->intHistogram(), [](int n) { return n == 0; }));
        QVERIFY(std::ranges::all_of(t->decHistogram(), [](int n) { return n == 0; }));
        for (const TrendBuffer* buffer : {&t->levelTrend(), &t->leqTrend(), &t->selTrend()})
            QCOMPARE(buffer->size(), size_t(TrendSlots));
    }

    void eachChangeIsAnnouncedOnceWithItsPayload()
    {
        auto t = std::make_unique<LiveTrends>();
        Spies spies(*t);
        // A listener reads the model while the signal runs: it must already hold the sample.
        int countSeen = -1;
        int writeIndexSeen = -1;
        connect(t.get(), &LiveTrends::sampleAdded, this, [&] {
            countSeen = t->decHistogram()[553];
            writeIndexSeen = t->writeIndex();
        });

        const TrendSampleResult r = t->addSample(55.3, 61.2, 0.0);
        spies.expect(1, 0, 0);
        const auto sent = spies.added.at(0).at(0).value<TrendSampleResult>();
        QCOMPARE(sent.level, 55.3);
        QCOMPARE(sent.leq, 61.2);
        QCOMPARE(sent.sel, 0.0);
        QCOMPARE(sent.intVisible, false);
        QCOMPARE(sent.intXMin, 53.0);
        QCOMPARE(sent.intXMax, 57.0);
        QCOMPARE(sent.decXMin, 552.0);
        QCOMPARE(sent.decXMax, 554.0);
        QCOMPARE(sent.decXMax, r.decXMax);
        QCOMPARE(countSeen, 1);
        QCOMPARE(writeIndexSeen, 1);

        t->addSample(90.0, 0.0, 0.0);
        spies.expect(2, 0, 0);
        QVERIFY(spies.added.at(1).at(0).value<TrendSampleResult>().intVisible);

        t->clearForRefresh();
        spies.expect(2, 1, 0);
        t->clearForLinkLoss();
        spies.expect(2, 1, 1);
        QVERIFY(spies.refreshed.at(0).isEmpty());
    }

    void linkLossKeepsEveryExtreme()
    {
        auto t = std::make_unique<LiveTrends>();
        addTwoSamples(*t);
        t->clearForLinkLoss();
        QCOMPARE(t->writeIndex(), 0);
        QVERIFY(std::ranges::all_of(t->decHistogram(), [](int n) { return n == 0; }));
        QVERIFY(std::ranges::all_of(t->intHistogram(), [](int n) { return n == 0; }));
        QCOMPARE(t->decLevelMin(), 400);
        QCOMPARE(t->decLevelMax(), 725);
        QCOMPARE(t->intClassMin(), 39);
        QCOMPARE(t->intClassMax(), 73);
        QCOMPARE(t->leqMin(), 41.0);
        QCOMPARE(t->leqMax(), 50.0);
        QCOMPARE(t->selMin(), 80.0);
        QCOMPARE(t->selMax(), 90.0);
        // The next sample restarts the buffers at slot 0 but widens the kept extremes only.
        t->addSample(60.0, 0.0, 0.0);
        QCOMPARE(t->levelTrend()[0], 60.0);
        QCOMPARE(t->decLevelMin(), 400);
        QCOMPARE(t->decHistogram()[600], 1);
    }

    void refreshRestartsTheLevelExtremesAboveTheStartingOnes()
    {
        // 147.0 dB lies between the two sentinels: from the start the lower edges stay at
        // 145 dB, after "Refresh" they follow the level.
        auto fresh = std::make_unique<LiveTrends>();
        fresh->addSample(147.0, 147.0, 0.0);
        QCOMPARE(fresh->decLevelMin(), 1450);
        QCOMPARE(fresh->intClassMin(), 145);
        QCOMPARE(fresh->leqMin(), 145.0);

        auto t = std::make_unique<LiveTrends>();
        addTwoSamples(*t);
        t->clearForRefresh();
        QCOMPARE(t->decLevelMin(), 1500);
        QCOMPARE(t->intClassMin(), 150);
        QCOMPARE(t->decLevelMax(), 0);
        QCOMPARE(t->intClassMax(), 0);
        QCOMPARE(t->leqMin(), 41.0);
        QCOMPARE(t->selMax(), 90.0);
        t->addSample(147.0, 0.0, 0.0);
        QCOMPARE(t->decLevelMin(), 1470);
        QCOMPARE(t->intClassMin(), 146);
        QCOMPARE(t->intClassMax(), 148);
    }

    void theGraphsAndASecondListenerSeeTheSameSamples()
    {
        auto t = std::make_unique<LiveTrends>();
        PanelGraphs graphs(*t);
        QSignalSpy listener(t.get(), &LiveTrends::sampleAdded);
        const double levels[] = {48.2, 51.0, 66.6, 39.9, 70.3};
        const double leqs[] = {48.0, 0.0, 55.5, 55.1, 60.0};
        for (int i = 0; i < 5; ++i)
            t->addSample(levels[i], leqs[i], 0.0);
        QCOMPARE(listener.count(), 5);
        Graph* level = graphs.graph(PanelGraphs::Which::Level);
        Graph* leq = graphs.graph(PanelGraphs::Which::Leq);
        QCOMPARE(level->pointCount(), 5);
        for (int i = 0; i < 5; ++i) {
            const auto sent = listener.at(i).at(0).value<TrendSampleResult>();
            QCOMPARE(sent.level, levels[i]);
            QCOMPARE(level->pointY(i), sent.level);
            QCOMPARE(leq->pointY(i), sent.leq);
            QCOMPARE(t->levelTrend()[size_t(i)], sent.level);
        }
        // The histogram graphs show the model's counts after the last sample.
        Graph* dec = graphs.graph(PanelGraphs::Which::DecHistogram);
        Graph* whole = graphs.graph(PanelGraphs::Which::IntHistogram);
        for (int k : {399, 482, 510, 666, 703})
            QCOMPARE(dec->pointY(k), double(t->decHistogram()[size_t(k)]));
        QCOMPARE(whole->pointY(71), 1.0);
        QVERIFY(!whole->isHidden()); // 39.9 to 70.3 dB is a spread of 30.4 dB
    }
};

QTEST_MAIN(TestGraphsLiveTrends)
#include "test_graphs_livetrends.moc"
