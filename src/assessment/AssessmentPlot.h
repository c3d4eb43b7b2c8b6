#pragma once

#include <QPoint>
#include <QSharedPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCPGraph;
class QCPItemRect;
class QCPLayer;
class QRubberBand;

namespace slm
{

class AssessmentSession;
class ClockTicker;
class Dialogs;
class Graph;
class GraphicFrame;
struct AssessedRecords;

// The plot of an assessment window: the levels by record against their clock time, the excluded
// spans shaded, the events marked along the top, and the frame of range edits, track modes and
// printing under it. Paused records and texts that are no level leave gaps; the level axis fits
// the levels. Shift and a drag across the plot asks for the records it spans to be excluded. With
// the focus on the plot, Left and Right move the view, + and - zoom, Home shows everything.
class AssessmentPlot : public QWidget
{
    Q_OBJECT
public:
    AssessmentPlot(const AssessmentSession& session, Dialogs& dialogs, QWidget* parent = nullptr);
    ~AssessmentPlot() override;

    Graph* graph() const { return m_graph; }
    // The widget that takes the keys: the plot itself.
    QWidget* keyTarget() const;
    // The records the trace shows; null before the first results.
    const AssessedRecords* records() const { return m_plotted.get(); }
    // The first and the last record (from 0) in view, or {-1, -1}.
    std::pair<int, int> recordsInView() const;

    // The session's latest results: the records plotted again when they changed, the shading and
    // the events drawn anew.
    void showResults();
    // The view zoomed to the records of clock seconds [start, end).
    void zoomToClock(std::int64_t start, std::int64_t end);
    // The view zoomed to records first..last (from 0), with a little room on each side.
    void zoomToRecords(int first, int last);

signals:
    // A shift-drag spanned records first..last (from 0, either order).
    void spanDragged(int first, int last);
    // What the cursor points at, for the window's status line.
    void cursorTold(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void plotRecords();
    void shadeExclusions();
    void resetScale();
    void setXRange(double from, double to);
    bool keyPressed(int key);
    int recordAtPixel(double pixelX) const;
    QString tipAt(const QPoint& pos) const;
    bool mouseEvent(QEvent* event);

    const AssessmentSession& m_session;
    Dialogs& m_dialogs;
    Graph* m_graph = nullptr;
    GraphicFrame* m_frame = nullptr;
    QSharedPointer<ClockTicker> m_clock;
    QCPLayer* m_shadeLayer = nullptr;
    std::vector<QCPItemRect*> m_shading;
    QCPGraph* m_eventBand = nullptr; // one segment along the top per event
    QRubberBand* m_band = nullptr;
    std::optional<QPoint> m_dragFrom;
    std::shared_ptr<const AssessedRecords> m_plotted;
    // The ranges of the whole plot as "Reset Scale" set them last: a view still at them follows
    // a growing list, any other stays where the user put it.
    struct Span {
        double min = 0;
        double max = 0;
    };
    Span m_fullX;
    Span m_fullY;
    double m_yMin = 20;
    double m_yMax = 130;
};

} // namespace slm
