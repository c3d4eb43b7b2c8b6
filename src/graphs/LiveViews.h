#pragma once

#include "graphs/TrendBuffer.h"

#include <QString>
#include <memory>
#include <vector>

namespace slm
{

class LiveTrends;

enum class LiveTrend { Level, Leq, Sel };
enum class LiveClasses { WholeDb, TenthDb };

// What the live graph shows, taken from the trends at the moment it opens.
struct LiveGraphView {
    int count = 0;    // samples shown, at X 1..count
    double yMin = 25; // Y range in the trend's unit
    double yMax = 145;
    QString unit; // the Y caption of the panel graph that was clicked
    std::shared_ptr<const TrendSnapshot> samples;
};

// The samples written since the last clearing or wrap of the chosen trend, with the Y range of
// its extremes. Before any sample the range stays at the window's starting 25..145 (the extremes
// then still stand crossed); a range with nothing in it (Leq and SEL while their texts hold no
// number) is widened by 1 each side, so the line shows instead of lying on the frame.
LiveGraphView liveGraphView(const LiveTrends& trends, LiveTrend trend, const QString& unit);

// What the live histogram shows.
struct LiveHistogramView {
    QString labelFormat; // "0" whole dB, "*.1" tenths read as dB
    double xMin = 0;
    double xMax = 0;
    std::vector<int> counts; // class k at X = k
    bool empty = true;       // no sample in the histogram
};

// The counts of the chosen histogram with the X range of its class extremes (one class of room
// each side). Before any sample the extremes stand crossed; the range is then every class.
LiveHistogramView liveHistogramView(const LiveTrends& trends, LiveClasses classes);

// The short note shown instead of a line or bars before the first sample.
QString noSampleYetText();

} // namespace slm
