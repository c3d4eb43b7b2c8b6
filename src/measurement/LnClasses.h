#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The level classes and the percentile rule of the Ln table. They sit here, below every window,
// because the histogram view's table, the computed figures of every list and the report program
// must class the same texts in the same way, so that their L5..L95 never disagree.

namespace slm
{

class Measurement;
class RecordListModel;

// The two resolutions of the percentile levels: classes of whole decibels or of tenths.
enum class LnResolution { WholeDb, TenthDb };

// Top class of each resolution: 145.0 dB in tenths, or 145 dB.
inline constexpr int TopClassTenthDb = 1450;
inline constexpr int TopClassWholeDb = 145;

inline int topClass(LnResolution resolution)
{
    return resolution == LnResolution::TenthDb ? TopClassTenthDb : TopClassWholeDb;
}

// Where one level text falls. `skipped` texts (those with the meter's "*" marker) count nowhere.
struct LnClasses {
    bool skipped = false;
    int tenthDb = 0; // 0..1450
    int wholeDb = 0; // 0..145
};
LnClasses classifyLevelText(QStringView text);
LnClasses classifyLevelText(QByteArrayView utf8);

// The outcome of one run: the class counts of the chosen resolution, the range the histogram
// shows, the percentile levels L0..L99 and the ten table rows made from them. A plain value; a
// later run makes a new one and leaves this one as it was.
struct LnResult {
    LnResolution resolution = LnResolution::TenthDb;
    // Class k at index k (k = 0..topClass). 64-bit, so no list a file can hold overflows a class.
    std::vector<std::int64_t> counts;
    std::int64_t classedRecords = 0; // N: records not skipped
    std::int64_t skippedRecords = 0;
    // Lowest and highest non-empty class, class 0 left out of the lowest (a text without a
    // number lands there and would stretch the axis down to 0 dB). Only meaningful if drawable.
    int classMin = 0;
    int classMax = 0;
    std::int64_t highestCount = 0;
    // The top of the y axis: the highest count rounded up to a whole tick step.
    double yMax = 0;
    // Lp at index p, as the table shows it: "65.3" in tenths, "65" in whole dB. Empty when no
    // record was classed.
    std::array<QString, 100> values;
    // "L(00)\t<L0>\t<L1>...\t<L9>" up to "L(90)\t...\t<L99>".
    QStringList tableRows;

    // False when no record falls in a class above 0: there is no range to draw, and the window
    // keeps what it showed before.
    bool drawable() const { return classedRecords > 0 && classMax >= 1; }
    // Label format of the x axis: the class numbers are shown as dB.
    QString xLabelFormat() const { return resolution == LnResolution::TenthDb ? "*0.1" : "0"; }
};

// What the window says when a run had nothing to draw.
QString lnNothingToDrawMessage();

// Counts level texts one at a time, so a caller can show progress between them.
class LnClassCounter
{
public:
    LnClassCounter();
    void add(QStringView levelText);
    void add(QByteArrayView utf8LevelText);
    // A text already classed by classifyLevelText (or by the same rule).
    void add(const LnClasses& classes) { count(classes); }
    // Classes, range and percentiles at the chosen resolution.
    LnResult finish(LnResolution resolution) const;

private:
    void count(const LnClasses& classes);

    // Both resolutions are counted on every pass; the choice only picks which one is read.
    std::vector<std::int64_t> m_tenth;
    std::vector<std::int64_t> m_whole;
    std::int64_t m_classed = 0;
    std::int64_t m_skipped = 0;
};

// The whole computation on the level column (records 1..n) of a list, or on the texts given.
LnResult ComputeLnStatistics(const RecordListModel& list, LnResolution resolution);
LnResult ComputeLnStatistics(const Measurement& measurement, LnResolution resolution);
LnResult ComputeLnStatistics(std::span<const QString> levelTexts, LnResolution resolution);

} // namespace slm
