#include "graphs/PanelTrendLogic.h"

#include "shared/PanelState.h"
#include "shared/TextHelpers.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr int DecTop = 1400;
constexpr int IntTop = 140;

// 10 x L as a whole number of tenths; one-decimal levels land exactly on it.
long long tenthsOf(double level)
{
    return roundHalfEven(level * 10.0);
}

} // namespace

int PanelTrendLogic::decClass(double level)
{
    return int(std::clamp<long long>(tenthsOf(level), 0, DecTop));
}

int PanelTrendLogic::intClass(double level)
{
    // With d = 10 x L: floor(L) + 1 when the tenth is not zero, floor(L) otherwise, that is
    // d / 10 rounded up. Worked on d so that 55.0 never slips to 54.999.. and class 54.
    const long long d = std::max<long long>(tenthsOf(level), 0);
    return int(std::min<long long>((d + 9) / 10, IntTop));
}

TrendSampleResult PanelTrendLogic::addSample(double level, const QString& leqText, const QString& selText)
{
    PanelState& s = m_state;
    TrendSampleResult r;
    r.level = level;
    r.leq = numericValue(leqText);
    r.sel = numericValue(selText);

    s.DecHistogram[size_t(decClass(level))] += 1;
    s.IntHistogram[size_t(intClass(level))] += 1;

    // The extremes keep the true level, above 140 dB too, so the live graph's Y range covers
    // every charted point; only the histogram slot is capped.
    const int d = int(std::clamp<long long>(tenthsOf(level), 0, 1 << 30));
    s.DecLevelMin = std::min(s.DecLevelMin, d);
    s.DecLevelMax = std::max(s.DecLevelMax, d);
    if (s.IntClassMax < level)
        s.IntClassMax = int(std::floor(level + 1));
    if (s.IntClassMin > level)
        s.IntClassMin = int(std::floor(level - 1));

    r.intXMin = s.IntClassMin - 1;
    r.intXMax = s.IntClassMax + 1;
    r.decXMin = s.DecLevelMin - 1;
    r.decXMax = s.DecLevelMax + 1;
    r.intVisible = s.DecLevelMax - s.DecLevelMin > DecSpreadLimit;

    s.LeqMax = std::max(s.LeqMax, r.leq);
    s.LeqMin = std::min(s.LeqMin, r.leq);
    s.SelMax = std::max(s.SelMax, r.sel);
    s.SelMin = std::min(s.SelMin, r.sel);

    // A write position outside the buffers (never set so by this class) restarts at slot 0.
    int slot = s.TrendWriteIndex;
    if (slot < 0 || slot >= TrendSlots)
        slot = 0;
    s.LevelTrend[size_t(slot)] = level;
    s.LeqTrend[size_t(slot)] = r.leq;
    s.SelTrend[size_t(slot)] = r.sel;
    s.TrendWriteIndex = slot + 1 == TrendSlots ? 0 : slot + 1;
    return r;
}

void PanelTrendLogic::clearForRefresh()
{
    PanelState& s = m_state;
    s.IntClassMax = 0;
    s.IntClassMin = 150;
    s.DecLevelMax = 0;
    s.DecLevelMin = 1500;
    s.IntHistogram.fill(0);
    s.DecHistogram.fill(0);
    s.TrendWriteIndex = 0;
}

void PanelTrendLogic::clearForLinkLoss()
{
    m_state.IntHistogram.fill(0);
    m_state.DecHistogram.fill(0);
    m_state.TrendWriteIndex = 0;
}
