#pragma once

#include <QColor>
#include <QSharedPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <span>
#include <vector>

class QCustomPlot;
class QCPGraph;
class QCPBars;
class QCPAxis;
class QCPAxisTicker;
class QCPItemStraightLine;
class QMouseEvent;

namespace slm
{

class LabelFormatTicker;
class MarkerLayer;
class SeriesTrace;
class SeriesValues;

// The mouse modes of every graph window, numbered as the track-mode lists show them.
enum class TrackMode {
    Normal = 1, // the plot stays still
    Cursor = 2, // the cursors can be dragged and report their position
    PanXY = 3,
    PanX = 4,
    PanY = 5,
    ZoomXY = 6, // zoom to a dragged rectangle
    ZoomX = 7,
    ZoomY = 8,
};

// Colours in the program's 24-bit form: red in the low byte, blue in the high byte (255 is red).
QColor colorFromBgr(unsigned bgr);
unsigned colorToBgr(const QColor& color);

// One graph with one trace, as every graph window and the panel use it. Wraps QCustomPlot and
// keeps the trace, cursors and markers in the shapes those windows ask for. Cursors are numbered
// from 1, like the windows name them ("cursor 1").
class Graph : public QWidget
{
    Q_OBJECT
public:
    enum class Axis { X, Y };
    enum class Style { Line, Bars };
    enum class Look { Light, Dark };
    struct Range {
        double min = 0;
        double max = 0;
    };
    struct Marker {
        int pointIndex = 0;
        QString name;
        QString text;
        double x = 0;
        double y = 0;
    };

    explicit Graph(QWidget* parent = nullptr);
    ~Graph() override;

    // Trace from an array: point i at X = firstX + i * step. Replacing a trace of the same
    // length and keys only rewrites the values, so a histogram redraw costs little.
    void plotY(std::span<const double> values, double firstX = 0, double step = 1);
    void plotY(std::span<const int> values, double firstX = 0, double step = 1);
    // Trace from values the graph reads in place and shares (a live graph's snapshot): nothing
    // is copied per point. Points, cursors and scaling work as with plotY; markers do not.
    void plotShared(std::shared_ptr<const SeriesValues> values, double firstX = 0, double step = 1);
    // Chart: appends one point one step after the last (at firstX for the first). With a chart
    // length set, only the newest that many points are kept and the X axis scrolls with them.
    void chartY(double value);
    void setChartLength(int points); // 0 keeps every point
    int chartLength() const { return m_chartLength; }
    void setChartStart(double firstX, double step);
    void clearData();
    int pointCount() const;
    double pointX(int index) const;
    double pointY(int index) const;

    // Axis ranges. Setting a range stops that axis from following the data; an empty range is
    // widened by 1 on each side and a reversed one is swapped, so the axis always shows it.
    void setAxisRange(Axis axis, double min, double max);
    Range axisRange(Axis axis) const;
    // With autoscale on (the default) the axis follows the data at every data change: X spans
    // the points (or the chart window), Y spans the values rounded out to whole tick steps.
    void setAxisAutoScale(Axis axis, bool on);
    bool axisAutoScale(Axis axis) const;
    void setAxisCaption(Axis axis, const QString& caption);
    QString axisCaption(Axis axis) const;
    // "0" whole numbers, "0.0" one decimal, "*.1" or "*0.1" labels the value times 0.1 with one
    // decimal (tenths of a dB read as dB), "" the plain number.
    void setAxisLabelFormat(Axis axis, const QString& format);
    QString axisLabelFormat(Axis axis) const;
    QString tickLabel(Axis axis, double value) const;
    // Tick positions and labels from `ticker` instead of the label format (a clock along an axis
    // of record numbers); null goes back to the label format, which tickLabel keeps using.
    void setAxisTicker(Axis axis, QSharedPointer<QCPAxisTicker> ticker);

    void setTrackMode(TrackMode mode);
    void setTrackMode(int mode); // 1..8; other numbers leave the mode as it is
    TrackMode trackMode() const { return m_trackMode; }

    // Cursors: a cross of a vertical and a horizontal line.
    int cursorCount() const { return int(m_cursors.size()); }
    int addCursor(); // returns the new cursor's number
    void removeAllCursors();
    void setCursorColor(int number, const QColor& color);
    QColor cursorColor(int number) const;
    void setCursorPosition(int number, double x, double y);
    double cursorX(int number) const;
    double cursorY(int number) const;
    void setCursorVisible(int number, bool visible);
    bool cursorVisible(int number) const;
    // Dragged cursors follow the trace (Y = the value of the nearest point) when on (default).
    void setCursorSnap(bool on) { m_cursorSnap = on; }

    // A text at graph coordinates (x, y) with a leader line to trace point pointIndex. Many
    // markers are cheap: only those in view are drawn, and overlapping texts are written once.
    void addTextMarker(int pointIndex, const QString& text, double x, double y,
                       const QString& name = QString());
    const std::vector<Marker>& markers() const { return m_markerData; }
    // How many marker texts the last redraw wrote (those in view and not crowded out).
    int markerTextsShown() const;
    void removeAllMarkers();

    void setPlotAreaColor(const QColor& color);
    QColor plotAreaColor() const { return m_plotArea; }
    // Around the plot area (axes, captions).
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return m_background; }
    void setTraceStyle(Style style);
    Style traceStyle() const { return m_style; }
    void setTraceColor(const QColor& color);
    QColor traceColor() const { return m_traceColor; }
    void setLook(Look look);
    void setCompact(bool compact); // small fonts and margins for the panel

    // Redraw: queued (merged into one per event-loop pass) or at once. Hidden graphs are
    // redrawn when they are shown.
    void requestReplot();
    void replotNow();

    QCustomPlot* plot() const { return m_plot; }

signals:
    void clicked(double x, double y);
    void cursorMoved(int number, double x, double y);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct CursorItems {
        QCPItemStraightLine* vertical = nullptr;
        QCPItemStraightLine* horizontal = nullptr;
        double x = 0;
        double y = 0;
        bool visible = true;
    };

    QCPAxis* axis(Axis a) const;
    void writeTrace(int count, double firstX, double step, auto valueAt);
    void dataChanged();
    void applyAutoScale();
    bool sharedTrace() const;
    void dropSharedTrace();
    void syncBars();
    const CursorItems* cursorAt(int number) const;
    int nearestCursor(double pixelX, double pixelY) const;
    void dragCursorTo(int number, const QPointF& pixel);
    void zoomToRect(const QRect& pixels);
    void onMousePress(QMouseEvent* event);
    void onMouseMove(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);

    QCustomPlot* m_plot = nullptr;
    // The trace's points live in m_trace whatever the style, so cursors, markers and the point
    // reads work the same; with bars m_trace is hidden and m_bars draws a copy of its points.
    QCPGraph* m_trace = nullptr;
    QCPBars* m_bars = nullptr;
    SeriesTrace* m_shared = nullptr; // made by the first plotShared, then reused
    QSharedPointer<LabelFormatTicker> m_xTicker;
    QSharedPointer<LabelFormatTicker> m_yTicker;
    TrackMode m_trackMode = TrackMode::Normal;
    Style m_style = Style::Line;
    QColor m_plotArea;
    QColor m_background;
    QColor m_traceColor;
    bool m_autoX = true;
    bool m_autoY = true;
    bool m_dirty = false;
    bool m_cursorSnap = true;
    int m_chartLength = 0;
    double m_chartFirstX = 0;
    double m_chartStep = 1;
    double m_stepHint = 1; // distance between neighbouring points: the width of one bar
    std::vector<CursorItems> m_cursors;
    MarkerLayer* m_markerLayer = nullptr;
    std::vector<Marker> m_markerData;
    int m_dragCursor = 0; // number of the cursor being dragged, 0 for none
    QPoint m_pressPos;
    bool m_pressed = false;
};

} // namespace slm
