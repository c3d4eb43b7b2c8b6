#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace slm
{

class RecordListModel;

// Where the record plot draws what is not a plain level, and where its marker texts stand.
inline constexpr double UnderRangeY = 25; // a "--" record: the bottom of the initial range
inline constexpr double OverRangeY = 145; // an "L" record or one at or above the limit: the top
inline constexpr double OverLimitOutsidePause = 140;
inline constexpr double OverLimitInPause = 145;
inline constexpr double PauseMarkerY = 30;
inline constexpr double StartMarkerY = 105;

// A text marker of the plot: tied to record `record` (point record - 1), its caption drawn at
// (record, y).
struct PlotMarker {
    int record = 0;
    QString caption;
    double y = 0;

    bool operator==(const PlotMarker&) const = default;
};

// One marker for record x at height markerY, the caption also being its name.
void addPlotMarker(std::vector<PlotMarker>& markers, int x, const QString& caption, double markerY);

// The plot of one level column: the Y value of each record (record i at index i - 1), the runs
// of paused records, and the "Pause" and "Start" markers made from them.
struct LevelPlot {
    std::vector<double> y;
    std::vector<int> pauseStarts; // first record of each run
    std::vector<int> pauseEnds;   // first record after the run; 0 for a run open at the last record
    std::vector<PlotMarker> markers;

    int recordCount() const { return int(y.size()); }
    int pauseCount() const { return int(pauseStarts.size()); }
};

// Reads a level column one text at a time, in record order. Every record needs the run state
// left by the one before it, and the last record closes a pause that is still open, so the
// count of records is given up front.
class LevelPlotBuilder
{
public:
    explicit LevelPlotBuilder(int recordCount);
    // The next record's text (UTF-8 or Latin-1 bytes).
    void add(QByteArrayView text);
    int added() const { return m_row; }
    // The markers of the runs found; the builder is spent afterwards.
    LevelPlot finish();

private:
    LevelPlot m_plot;
    int m_count = 0;
    int m_row = 0;
    bool m_inPause = false;
};

// The plot of a list of texts, for callers that hold them as strings.
LevelPlot plotLevelTexts(const QStringList& texts);

// The plot of a record list's level column. `progress` is told (row, count) now and then - often
// enough for a caption, rarely enough not to cost - and may end the run early by returning false
// (the list went away); the answer is then empty.
LevelPlot plotLevelList(const RecordListModel& list,
                        const std::function<bool(int row, int count)>& progress = {});

// "1234 Completed": the progress of a plotting run in the panel's caption.
QString plotProgressText(int row);

} // namespace slm
