#include "graphs/LiveViews.h"

#include "graphs/LiveTrends.h"

#include <algorithm>

namespace slm
{

LiveGraphView liveGraphView(const LiveTrends& trends, LiveTrend trend, const QString& unit)
{
    LiveGraphView view;
    view.unit = unit;
    view.count = trends.writeIndex();
    const TrendBuffer& buffer = trend == LiveTrend::Level ? trends.levelTrend()
                                : trend == LiveTrend::Leq ? trends.leqTrend()
                                                          : trends.selTrend();
    view.samples = buffer.snapshot(view.count);
    if (view.count == 0)
        return view;
    switch (trend) {
    case LiveTrend::Level:
        view.yMin = trends.decLevelMin() / 10.0;
        view.yMax = trends.decLevelMax() / 10.0;
        break;
    case LiveTrend::Leq:
        view.yMin = trends.leqMin();
        view.yMax = trends.leqMax();
        break;
    case LiveTrend::Sel:
        view.yMin = trends.selMin();
        view.yMax = trends.selMax();
        break;
    }
    if (view.yMin > view.yMax)
        std::swap(view.yMin, view.yMax);
    if (view.yMin == view.yMax) {
        view.yMin -= 1;
        view.yMax += 1;
    }
    return view;
}

LiveHistogramView liveHistogramView(const LiveTrends& trends, LiveClasses classes)
{
    LiveHistogramView view;
    if (classes == LiveClasses::WholeDb) {
        view.labelFormat = QStringLiteral("0");
        view.counts.assign(trends.intHistogram().begin(), trends.intHistogram().end());
        view.xMin = trends.intClassMin() - 1;
        view.xMax = trends.intClassMax() + 1;
    } else {
        view.labelFormat = QStringLiteral("*.1");
        view.counts.assign(trends.decHistogram().begin(), trends.decHistogram().end());
        view.xMin = trends.decLevelMin() - 1;
        view.xMax = trends.decLevelMax() + 1;
    }
    view.empty = std::all_of(view.counts.begin(), view.counts.end(), [](int c) { return c == 0; });
    if (view.empty) {
        view.xMin = 0;
        view.xMax = double(view.counts.size() - 1);
    }
    return view;
}

QString noSampleYetText()
{
    return QStringLiteral("No sample has been taken yet.");
}

} // namespace slm
