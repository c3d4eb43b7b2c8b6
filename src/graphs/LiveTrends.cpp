#include "graphs/LiveTrends.h"

#include "shared/TextHelpers.h"

#include <algorithm>
#include <cmath>

namespace slm
{

namespace
{

constexpr int DecTop = LiveTrends::DecClasses - 1;
constexpr int IntTop = LiveTrends::IntClasses - 1;

// 10 x L as a whole number of tenths; one-decimal levels land exactly on it.
long long tenthsOf(double level)
{
    return roundHalfEven(level * 10.0);
}

} // namespace

LiveTrends::LiveTrends(QObject* parent) : QObject(parent) {}

int LiveTrends::decClass(double level)
{
    return int(std::clamp<long long>(tenthsOf(level), 0, DecTop));
}

int LiveTrends::intClass(double level)
{
    // With d = 10 x L: floor(L) + 1 when the tenth is not zero, floor(L) otherwise, that is
    // d / 10 rounded up. Worked on d so that 55.0 never slips to 54.999.. and class 54.
    const long long d = std::max<long long>(tenthsOf(level), 0);
    return int(std::min<long long>((d + 9) / 10, IntTop));
}

TrendSampleResult LiveTrends::addSample(double level, double leq, double sel)
{
    TrendSampleResult r;
    r.level = level;
    r.leq = leq;
    r.sel = sel;

    m_decHistogram[size_t(decClass(level))] += 1;
    m_intHistogram[size_t(intClass(level))] += 1;

    // The extremes keep the true level, above 140 dB too, so the live graph's Y range covers
    // every charted point; only the histogram slot is capped.
    const int d = int(std::clamp<long long>(tenthsOf(level), 0, 1 << 30));
    m_decLevelMin = std::min(m_decLevelMin, d);
    m_decLevelMax = std::max(m_decLevelMax, d);
    if (m_intClassMax < level)
        m_intClassMax = int(std::floor(level + 1));
    if (m_intClassMin > level)
        m_intClassMin = int(std::floor(level - 1));

    r.intXMin = m_intClassMin - 1;
    r.intXMax = m_intClassMax + 1;
    r.decXMin = m_decLevelMin - 1;
    r.decXMax = m_decLevelMax + 1;
    r.intVisible = m_decLevelMax - m_decLevelMin > DecSpreadLimit;

    m_leqMax = std::max(m_leqMax, r.leq);
    m_leqMin = std::min(m_leqMin, r.leq);
    m_selMax = std::max(m_selMax, r.sel);
    m_selMin = std::min(m_selMin, r.sel);

    m_levelTrend.set(m_writeIndex, level);
    m_leqTrend.set(m_writeIndex, r.leq);
    m_selTrend.set(m_writeIndex, r.sel);
    m_writeIndex = m_writeIndex + 1 == TrendSlots ? 0 : m_writeIndex + 1;

    // Listeners read the histograms and buffers from here, so they must be complete first.
    emit sampleAdded(r);
    return r;
}

void LiveTrends::clearCounts()
{
    m_intHistogram.fill(0);
    m_decHistogram.fill(0);
    m_writeIndex = 0;
}

void LiveTrends::clearForRefresh()
{
    m_intClassMax = 0;
    m_intClassMin = IntClassMinAfterRefresh;
    m_decLevelMax = 0;
    m_decLevelMin = DecLevelMinAfterRefresh;
    clearCounts();
    emit clearedForRefresh();
}

void LiveTrends::clearForLinkLoss()
{
    clearCounts();
    emit clearedForLinkLoss();
}

} // namespace slm
