#pragma once

#include "graphs/TrendBuffer.h"

#include <QObject>
#include <QString>
#include <array>
#include <vector>

namespace slm
{

// Number of slots of each trend buffer: ten days at one sample per second, plus one.
inline constexpr int TrendSlots = 864001;

// What the panel's graphs must show after one sample.
struct TrendSampleResult {
    double level = 0;                // charted on CWG
    double leq = 0;                  // charted on CWLeq (0 while there is none, the board's "XXX")
    double sel = 0;                  // charted on CWSEL
    bool intVisible = false;         // CWInt shown and CWDec hidden when the spread is over 30.0 dB
    double intXMin = 0, intXMax = 0; // CWInt X range, whole dB
    double decXMin = 0, decXMax = 0; // CWDec X range, tenths of a dB
};

// The panel's trend data: the three trend buffers that keep every sample for the enlarged live
// graph, the two level histograms with the extremes of the sampled levels, and the Leq and SEL
// extremes. One sample per sampling tick, and the two clearings; each change is announced so the
// graphs (and any other view) redraw from here. No widgets: the data outlives any one view and
// is tested without a screen.
class LiveTrends : public QObject
{
    Q_OBJECT
public:
    static constexpr int IntClasses = 141;  // whole dB, 0..140
    static constexpr int DecClasses = 1401; // tenths of a dB, 0..1400
    // Spread of the sampled levels above which the 1 dB histogram is the one shown, in tenths.
    static constexpr int DecSpreadLimit = 300;

    // Lower extremes before any sample, above every histogram class so that the first sample
    // replaces them. The panel starts at 145 dB and "Refresh" restarts at 150 dB: the two only
    // tell apart levels between 145 and 150 dB, which no histogram class holds anyway.
    static constexpr int DecLevelMinAtStart = 1450;
    static constexpr int IntClassMinAtStart = 145;
    static constexpr double LeqSelMinAtStart = 145;
    static constexpr int DecLevelMinAfterRefresh = 1500;
    static constexpr int IntClassMinAfterRefresh = 150;

    explicit LiveTrends(QObject* parent = nullptr);

    // One sample: level L in dB (one decimal) and the running Leq and SEL as the panel shows
    // them (0 while there are none). Emits sampleAdded with the returned result once every
    // field is up to date.
    TrendSampleResult addSample(double level, double leq, double sel);
    // "Refresh": histograms, level extremes and the write position restart; the Leq and SEL
    // extremes are kept.
    void clearForRefresh();
    // Link recovery: histograms and the write position restart; every extreme is kept.
    void clearForLinkLoss();

    // Slot i holds sample i since the last clearing (overwritten from slot 0 after a wrap).
    const TrendBuffer& levelTrend() const { return m_levelTrend; }
    const TrendBuffer& leqTrend() const { return m_leqTrend; }
    const TrendBuffer& selTrend() const { return m_selTrend; }
    int writeIndex() const { return m_writeIndex; } // the next slot written
    const std::array<int, IntClasses>& intHistogram() const { return m_intHistogram; }
    const std::array<int, DecClasses>& decHistogram() const { return m_decHistogram; }
    int decLevelMin() const { return m_decLevelMin; } // tenths of a dB
    int decLevelMax() const { return m_decLevelMax; }
    int intClassMin() const { return m_intClassMin; } // whole dB, one below the lowest level
    int intClassMax() const { return m_intClassMax; } // whole dB, one above the highest level
    double leqMin() const { return m_leqMin; }
    double leqMax() const { return m_leqMax; }
    double selMin() const { return m_selMin; }
    double selMax() const { return m_selMax; }

    // The 0.1 dB class of a level (levels above 140.0 dB go to the top class 1400) and the 1 dB
    // class (a level with a non-zero tenth counts in the next whole class: 55.3 in 56).
    static int decClass(double level);
    static int intClass(double level);

signals:
    void sampleAdded(const TrendSampleResult& result);
    void clearedForRefresh();
    void clearedForLinkLoss();

private:
    void clearCounts();

    // Allocated once: 3 x 864001 numbers (and a block again wherever a live graph's snapshot
    // still holds the one being overwritten).
    TrendBuffer m_levelTrend{TrendSlots};
    TrendBuffer m_leqTrend{TrendSlots};
    TrendBuffer m_selTrend{TrendSlots};
    int m_writeIndex = 0;
    std::array<int, IntClasses> m_intHistogram{};
    std::array<int, DecClasses> m_decHistogram{};
    int m_decLevelMin = DecLevelMinAtStart;
    int m_decLevelMax = 0;
    int m_intClassMin = IntClassMinAtStart;
    int m_intClassMax = 0;
    double m_leqMin = LeqSelMinAtStart;
    double m_leqMax = 0;
    double m_selMin = LeqSelMinAtStart;
    double m_selMax = 0;
};

} // namespace slm
