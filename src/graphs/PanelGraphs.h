#pragma once

#include <QWidget>

namespace slm
{

class Graph;
class LiveTrends;
struct TrendSampleResult;

// The panel's graph area: the three trend graphs CWG, CWLeq and CWSEL (one shown at a time,
// after the panel's SPL/Leq/SEL option) beside the two level histograms CWInt (1 dB classes) and
// CWDec (0.1 dB classes, one of the two shown after the spread of the levels). A view of
// LiveTrends: it redraws on the model's signals and never changes the data.
class PanelGraphs : public QWidget
{
    Q_OBJECT
public:
    enum class Which { Level, Leq, Sel, IntHistogram, DecHistogram };
    Q_ENUM(Which)
    // Trend points kept on screen: ten minutes at one sample a second; older ones scroll out.
    static constexpr int TrendPointsOnScreen = 600;

    explicit PanelGraphs(LiveTrends& trends, QWidget* parent = nullptr);

    // The panel's SSOpt: 0 shows CWG, 1 CWLeq, any other CWSEL; the other two are hidden.
    void showTrend(int index);

    Graph* graph(Which which) const;
    // Redraws the shown graphs at once instead of at the next event-loop pass.
    void replotVisibleNow();

    QSize sizeHint() const override { return {420, 180}; }

signals:
    // A click on a shown graph; the window opened for it takes the graph's Y caption as its unit.
    void graphClicked(PanelGraphs::Which which);

private:
    Graph* makeGraph(Which which, const QString& name, const QString& xCaption, const QString& yCaption);
    void showSample(const TrendSampleResult& r);
    void clearAll();
    void clearLevelAndHistograms();

    LiveTrends& m_trends;
    Graph* m_graphs[5] = {};
};

} // namespace slm
