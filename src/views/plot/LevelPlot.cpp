#include "views/plot/LevelPlot.h"

#include "measurement/RecordListModel.h"
#include "shared/TextHelpers.h"

#include <cstring>

namespace slm
{

namespace
{

bool hasChar(QByteArrayView text, char c)
{
    return !text.isEmpty() && std::memchr(text.data(), c, size_t(text.size())) != nullptr;
}

bool hasDoubleDash(QByteArrayView text)
{
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i] == '-' && text[i - 1] == '-')
            return true;
    return false;
}

} // namespace

void addPlotMarker(std::vector<PlotMarker>& markers, int x, const QString& caption, double markerY)
{
    markers.push_back({x, caption, markerY});
}

LevelPlotBuilder::LevelPlotBuilder(int recordCount) : m_count(std::max(0, recordCount))
{
    m_plot.y.reserve(size_t(m_count));
}

void LevelPlotBuilder::add(QByteArrayView text)
{
    const int i = ++m_row;
    double y = 0;
    const bool paused = hasChar(text, '*');
    if (hasDoubleDash(text)) {
        y = UnderRangeY;
    } else {
        const double value = numericValue(text);
        const double limit = m_inPause ? OverLimitInPause : OverLimitOutsidePause;
        if (value >= limit || hasChar(text, 'L')) {
            y = OverRangeY;
        } else {
            // Only a plain level moves the pause runs on; the texts above leave them as they are.
            y = value;
            if (!m_inPause && paused) {
                m_inPause = true;
                m_plot.pauseStarts.push_back(i);
                m_plot.pauseEnds.push_back(0);
            } else if (m_inPause && !paused) {
                m_inPause = false;
                m_plot.pauseEnds.back() = i;
            }
            // A run still open at the last record ends there without a "Start" (no end row),
            // also when it began at that record.
            if (m_inPause && paused && i == m_count)
                m_inPause = false;
        }
    }
    m_plot.y.push_back(y);
}

LevelPlot LevelPlotBuilder::finish()
{
    // A run still open now (its last record was not a plain level) was never counted: it gets no
    // marker, as its end is not known.
    if (m_inPause) {
        m_plot.pauseStarts.pop_back();
        m_plot.pauseEnds.pop_back();
        m_inPause = false;
    }
    const QString pause = QStringLiteral("Pause");
    const QString start = QStringLiteral("Start");
    m_plot.markers.reserve(m_plot.pauseStarts.size() * 2);
    for (size_t k = 0; k < m_plot.pauseStarts.size(); ++k) {
        addPlotMarker(m_plot.markers, m_plot.pauseStarts[k], pause, PauseMarkerY);
        if (m_plot.pauseEnds[k] != 0)
            addPlotMarker(m_plot.markers, m_plot.pauseEnds[k], start, StartMarkerY);
    }
    return std::move(m_plot);
}

LevelPlot plotLevelTexts(const QStringList& texts)
{
    LevelPlotBuilder builder(int(texts.size()));
    for (const QString& t : texts)
        builder.add(t.toUtf8());
    return builder.finish();
}

LevelPlot plotLevelList(const RecordListModel& list, const std::function<bool(int row, int count)>& progress)
{
    const int n = list.recordCount();
    LevelPlotBuilder builder(n);
    int shownPercent = -1;
    for (int row = 1; row <= n; ++row) {
        builder.add(list.textBytes(row, 2));
        // A hundred reports at most, however long the list.
        const int percent = int(qint64(row) * 100 / n);
        if (progress && percent != shownPercent) {
            shownPercent = percent;
            if (!progress(row, n))
                return {};
        }
    }
    return builder.finish();
}

QString plotProgressText(int row)
{
    return QString::number(row) + QStringLiteral(" Completed");
}

} // namespace slm
