#pragma once

#include <QString>

struct PanelState;

// What the panel's graphs must show after one sample.
struct TrendSampleResult {
    double level = 0;                // charted on CWG
    double leq = 0;                  // charted on CWLeq (0 while the text holds no number, e.g. "XXX")
    double sel = 0;                  // charted on CWSEL
    bool intVisible = false;         // CWInt shown and CWDec hidden when the spread is over 30.0 dB
    double intXMin = 0, intXMax = 0; // CWInt X range, whole dB
    double decXMin = 0, decXMax = 0; // CWDec X range, tenths of a dB
};

// The trend buffers and level histograms of the panel, kept in PanelState: one sample per
// sampling tick, and the two clearings. No window; the graph widget applies the results.
class PanelTrendLogic
{
public:
    explicit PanelTrendLogic(PanelState& state) : m_state(state) {}

    // One sample: level L in dB (one decimal) and the panel's Leq and SEL texts.
    TrendSampleResult addSample(double level, const QString& leqText, const QString& selText);

    // "Refresh": histograms, level extremes and the write position restart; the Leq and SEL
    // extremes are kept.
    void clearForRefresh();
    // Link recovery: histograms and the write position restart; every extreme is kept.
    void clearForLinkLoss();

    // The 0.1 dB class of a level (levels above 140.0 dB go to the top class 1400) and the 1 dB
    // class (a level with a non-zero tenth counts in the next whole class: 55.3 in 56).
    static int decClass(double level);
    static int intClass(double level);
    // Spread of the sampled levels above which the 1 dB histogram is the one shown, in tenths.
    static constexpr int DecSpreadLimit = 300;

private:
    PanelState& m_state;
};
