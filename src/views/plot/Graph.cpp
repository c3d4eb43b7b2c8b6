#include "views/plot/Graph.h"

#include "views/plot/LabelFormatTicker.h"
#include "views/plot/MarkerLayer.h"
#include "views/plot/SeriesTrace.h"

#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

namespace slm
{

QColor colorFromBgr(unsigned bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

unsigned colorToBgr(const QColor& color)
{
    return unsigned(color.red()) | (unsigned(color.green()) << 8) | (unsigned(color.blue()) << 16);
}

namespace
{

// 1, 2 or 5 times a power of ten, at least `rough`.
double niceStep(double rough)
{
    if (!(rough > 0) || !std::isfinite(rough))
        return 1.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    const double mantissa = rough / magnitude;
    return (mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10) * magnitude;
}

Graph::Range normalised(double min, double max)
{
    if (min > max)
        std::swap(min, max);
    if (!(max - min > 1e-9))
        return {min - 1, max + 1};
    return {min, max};
}

} // namespace

Graph::Graph(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_plot = new QCustomPlot(this);
    layout->addWidget(m_plot);
    m_trace = m_plot->addGraph();
    m_trace->setAdaptiveSampling(true);
    m_markerLayer = new MarkerLayer(m_plot, m_trace);

    m_xTicker = QSharedPointer<LabelFormatTicker>::create();
    m_yTicker = QSharedPointer<LabelFormatTicker>::create();
    m_plot->xAxis->setTicker(m_xTicker);
    m_plot->yAxis->setTicker(m_yTicker);
    m_plot->setNoAntialiasingOnDrag(true);
    m_plot->setInteractions({});

    connect(m_plot, &QCustomPlot::mousePress, this, &Graph::onMousePress);
    connect(m_plot, &QCustomPlot::mouseMove, this, &Graph::onMouseMove);
    connect(m_plot, &QCustomPlot::mouseRelease, this, &Graph::onMouseRelease);
    connect(m_plot->selectionRect(), &QCPSelectionRect::accepted, this, &Graph::zoomToRect);
    setLook(Look::Light);
}

Graph::~Graph() = default;

QCPAxis* Graph::axis(Axis a) const
{
    return a == Axis::X ? m_plot->xAxis : m_plot->yAxis;
}

bool Graph::sharedTrace() const
{
    return m_shared && m_shared->count() > 0;
}

void Graph::dropSharedTrace()
{
    if (m_shared)
        m_shared->clear();
}

void Graph::plotShared(std::shared_ptr<const SeriesValues> values, double firstX, double step)
{
    if (!m_shared) {
        m_shared = new SeriesTrace(m_plot->xAxis, m_plot->yAxis);
        m_shared->setPen(m_trace->pen());
    }
    m_trace->data()->clear();
    m_shared->setValues(std::move(values), firstX, step);
    m_stepHint = step != 0 ? std::abs(step) : 1;
    dataChanged();
}

void Graph::writeTrace(int count, double firstX, double step, auto valueAt)
{
    dropSharedTrace();
    QCPGraphDataContainer& data = *m_trace->data();
    const bool sameKeys = count > 0 && data.size() == count && data.constBegin()->key == firstX &&
                          (data.constEnd() - 1)->key == firstX + (count - 1) * step;
    if (sameKeys) {
        int i = 0;
        for (auto it = data.begin(); it != data.end(); ++it, ++i)
            it->value = valueAt(i);
    } else {
        QVector<QCPGraphData> points(count);
        for (int i = 0; i < count; ++i)
            points[i] = QCPGraphData(firstX + i * step, valueAt(i));
        data.set(points, step > 0);
    }
    m_stepHint = step != 0 ? std::abs(step) : 1;
    m_chartStep = m_stepHint;
    dataChanged();
}

void Graph::plotY(std::span<const double> values, double firstX, double step)
{
    writeTrace(int(values.size()), firstX, step, [&](int i) { return values[i]; });
}

void Graph::plotY(std::span<const int> values, double firstX, double step)
{
    writeTrace(int(values.size()), firstX, step, [&](int i) { return double(values[i]); });
}

void Graph::chartY(double value)
{
    dropSharedTrace();
    QCPGraphDataContainer& data = *m_trace->data();
    const double key = data.isEmpty() ? m_chartFirstX : (data.constEnd() - 1)->key + m_chartStep;
    data.add(QCPGraphData(key, value));
    if (m_chartLength > 0 && data.size() > m_chartLength)
        data.removeBefore(data.at(data.size() - m_chartLength)->key);
    m_stepHint = m_chartStep;
    dataChanged();
}

void Graph::setChartLength(int points)
{
    m_chartLength = std::max(0, points);
    QCPGraphDataContainer& data = *m_trace->data();
    if (m_chartLength > 0 && data.size() > m_chartLength) {
        data.removeBefore(data.at(data.size() - m_chartLength)->key);
        dataChanged();
    }
}

void Graph::setChartStart(double firstX, double step)
{
    m_chartFirstX = firstX;
    m_chartStep = step > 0 ? step : 1;
}

void Graph::clearData()
{
    dropSharedTrace();
    m_trace->data()->clear();
    dataChanged();
}

int Graph::pointCount() const
{
    return sharedTrace() ? m_shared->count() : m_trace->data()->size();
}

double Graph::pointX(int index) const
{
    if (index < 0 || index >= pointCount())
        return 0;
    return sharedTrace() ? m_shared->keyAt(index) : m_trace->data()->at(index)->key;
}

double Graph::pointY(int index) const
{
    if (index < 0 || index >= pointCount())
        return 0;
    return sharedTrace() ? m_shared->valueAt(index) : m_trace->data()->at(index)->value;
}

void Graph::dataChanged()
{
    syncBars();
    applyAutoScale();
    requestReplot();
}

void Graph::applyAutoScale()
{
    const QCPGraphDataContainer& data = *m_trace->data();
    const bool shared = sharedTrace();
    if (data.isEmpty() && !shared)
        return;
    if (m_autoX) {
        double lo = pointX(0);
        double hi = pointX(pointCount() - 1);
        if (m_chartLength > 0)
            hi = std::max(hi, lo + (m_chartLength - 1) * m_chartStep);
        if (m_style == Style::Bars) {
            lo -= m_stepHint / 2;
            hi += m_stepHint / 2;
        }
        const Range r = normalised(lo, hi);
        m_plot->xAxis->setRange(r.min, r.max);
    }
    if (m_autoY) {
        double lo = shared ? m_shared->minValue() : data.constBegin()->value;
        double hi = shared ? m_shared->maxValue() : lo;
        for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
            lo = std::min(lo, it->value);
            hi = std::max(hi, it->value);
        }
        if (m_style == Style::Bars) {
            // Counts: from 0 to at least the largest count.
            lo = std::min(lo, 0.0);
            hi = std::max(hi, 1.0);
        } else if (!(hi - lo > 1e-9)) {
            lo -= 1;
            hi += 1;
        } else {
            // A little air so the extreme points do not run along the frame.
            const double air = (hi - lo) * 0.04;
            lo -= air;
            hi += air;
        }
        const double step = niceStep((hi - lo) / 4);
        m_plot->yAxis->setRange(std::floor(lo / step) * step, std::ceil(hi / step) * step);
    }
}

void Graph::setAxisRange(Axis a, double min, double max)
{
    const Range r = normalised(min, max);
    axis(a)->setRange(r.min, r.max);
    setAxisAutoScale(a, false);
    requestReplot();
}

Graph::Range Graph::axisRange(Axis a) const
{
    const QCPRange r = axis(a)->range();
    return {r.lower, r.upper};
}

void Graph::setAxisAutoScale(Axis a, bool on)
{
    (a == Axis::X ? m_autoX : m_autoY) = on;
    if (on) {
        applyAutoScale();
        requestReplot();
    }
}

bool Graph::axisAutoScale(Axis a) const
{
    return a == Axis::X ? m_autoX : m_autoY;
}

void Graph::setAxisCaption(Axis a, const QString& caption)
{
    axis(a)->setLabel(caption);
    requestReplot();
}

QString Graph::axisCaption(Axis a) const
{
    return axis(a)->label();
}

void Graph::setAxisLabelFormat(Axis a, const QString& format)
{
    (a == Axis::X ? m_xTicker : m_yTicker)->setFormat(format);
    requestReplot();
}

QString Graph::axisLabelFormat(Axis a) const
{
    return (a == Axis::X ? m_xTicker : m_yTicker)->format();
}

QString Graph::tickLabel(Axis a, double value) const
{
    return (a == Axis::X ? m_xTicker : m_yTicker)->labelFor(value);
}

void Graph::setAxisTicker(Axis a, QSharedPointer<QCPAxisTicker> ticker)
{
    if (!ticker)
        ticker = a == Axis::X ? m_xTicker : m_yTicker;
    axis(a)->setTicker(ticker);
    requestReplot();
}

void Graph::setTrackMode(int mode)
{
    if (mode >= 1 && mode <= 8)
        setTrackMode(TrackMode(mode));
}

void Graph::setTrackMode(TrackMode mode)
{
    m_trackMode = mode;
    m_dragCursor = 0;
    QCPAxisRect* rect = m_plot->axisRect();
    QCPAxis* x = m_plot->xAxis;
    QCPAxis* y = m_plot->yAxis;
    QCP::Interactions interactions;
    QCP::SelectionRectMode selection = QCP::srmNone;
    Qt::Orientations orientations;
    switch (mode) {
    case TrackMode::PanXY:
    case TrackMode::ZoomXY:
        orientations = Qt::Horizontal | Qt::Vertical;
        break;
    case TrackMode::PanX:
    case TrackMode::ZoomX:
        orientations = Qt::Horizontal;
        break;
    case TrackMode::PanY:
    case TrackMode::ZoomY:
        orientations = Qt::Vertical;
        break;
    default:
        break;
    }
    QCPAxis* horizontal = orientations.testFlag(Qt::Horizontal) ? x : nullptr;
    QCPAxis* vertical = orientations.testFlag(Qt::Vertical) ? y : nullptr;
    if (mode >= TrackMode::PanXY && mode <= TrackMode::PanY) {
        interactions = QCP::iRangeDrag;
        rect->setRangeDrag(orientations);
        rect->setRangeDragAxes(horizontal, vertical);
    } else if (mode >= TrackMode::ZoomXY) {
        // The dragged rectangle is handled here (zoomToRect) so a click or a slip of the mouse
        // does not zoom to a sliver.
        selection = QCP::srmCustom;
        rect->setRangeZoom(orientations);
        rect->setRangeZoomAxes(horizontal, vertical);
    }
    m_plot->setInteractions(interactions);
    m_plot->setSelectionRectMode(selection);
    setCursor(mode == TrackMode::Normal     ? Qt::ArrowCursor
              : mode == TrackMode::Cursor   ? Qt::SizeHorCursor
              : selection == QCP::srmCustom ? Qt::CrossCursor
                                            : Qt::OpenHandCursor);
}

int Graph::addCursor()
{
    CursorItems c;
    c.vertical = new QCPItemStraightLine(m_plot);
    c.horizontal = new QCPItemStraightLine(m_plot);
    for (QCPItemStraightLine* line : {c.vertical, c.horizontal}) {
        line->setSelectable(false);
        line->setClipToAxisRect(true);
    }
    const Range xr = axisRange(Axis::X);
    const Range yr = axisRange(Axis::Y);
    m_cursors.push_back(c);
    const int number = cursorCount();
    setCursorColor(number, colorFromBgr(255));
    setCursorPosition(number, (xr.min + xr.max) / 2, (yr.min + yr.max) / 2);
    return number;
}

void Graph::removeAllCursors()
{
    for (const CursorItems& c : m_cursors) {
        m_plot->removeItem(c.vertical);
        m_plot->removeItem(c.horizontal);
    }
    m_cursors.clear();
    m_dragCursor = 0;
    requestReplot();
}

const Graph::CursorItems* Graph::cursorAt(int number) const
{
    if (number < 1 || number > cursorCount())
        return nullptr;
    return &m_cursors[number - 1];
}

void Graph::setCursorColor(int number, const QColor& color)
{
    if (const CursorItems* c = cursorAt(number)) {
        c->vertical->setPen(QPen(color, 1));
        c->horizontal->setPen(QPen(color, 1, Qt::DashLine));
        requestReplot();
    }
}

QColor Graph::cursorColor(int number) const
{
    const CursorItems* c = cursorAt(number);
    return c ? c->vertical->pen().color() : QColor();
}

void Graph::setCursorPosition(int number, double x, double y)
{
    if (!cursorAt(number))
        return;
    CursorItems& c = m_cursors[number - 1];
    c.x = x;
    c.y = y;
    c.vertical->point1->setCoords(x, 0);
    c.vertical->point2->setCoords(x, 1);
    c.horizontal->point1->setCoords(0, y);
    c.horizontal->point2->setCoords(1, y);
    requestReplot();
}

double Graph::cursorX(int number) const
{
    const CursorItems* c = cursorAt(number);
    return c ? c->x : 0;
}

double Graph::cursorY(int number) const
{
    const CursorItems* c = cursorAt(number);
    return c ? c->y : 0;
}

void Graph::setCursorVisible(int number, bool visible)
{
    if (!cursorAt(number))
        return;
    CursorItems& c = m_cursors[number - 1];
    c.visible = visible;
    c.vertical->setVisible(visible);
    c.horizontal->setVisible(visible);
    if (!visible && m_dragCursor == number)
        m_dragCursor = 0;
    requestReplot();
}

bool Graph::cursorVisible(int number) const
{
    const CursorItems* c = cursorAt(number);
    return c && c->visible;
}

int Graph::nearestCursor(double pixelX, double pixelY) const
{
    int best = 0;
    double bestDistance = 0;
    for (int n = 1; n <= cursorCount(); ++n) {
        const CursorItems& c = m_cursors[n - 1];
        if (!c.visible)
            continue;
        const double dx = std::abs(m_plot->xAxis->coordToPixel(c.x) - pixelX);
        const double dy = std::abs(m_plot->yAxis->coordToPixel(c.y) - pixelY);
        const double distance = std::min(dx, dy);
        if (best == 0 || distance < bestDistance) {
            best = n;
            bestDistance = distance;
        }
    }
    return best;
}

void Graph::dragCursorTo(int number, const QPointF& pixel)
{
    const Range xr = axisRange(Axis::X);
    const Range yr = axisRange(Axis::Y);
    double x = std::clamp(m_plot->xAxis->pixelToCoord(pixel.x()), xr.min, xr.max);
    double y = std::clamp(m_plot->yAxis->pixelToCoord(pixel.y()), yr.min, yr.max);
    const QCPGraphDataContainer& data = *m_trace->data();
    if (m_cursorSnap && sharedTrace()) {
        const int i = m_shared->nearestIndex(x);
        x = m_shared->keyAt(i);
        y = m_shared->valueAt(i);
    } else if (m_cursorSnap && !data.isEmpty()) {
        auto it = data.findBegin(x, false);
        if (it == data.constEnd())
            --it;
        if (it != data.constBegin() && std::abs((it - 1)->key - x) <= std::abs(it->key - x))
            --it;
        x = it->key;
        y = it->value;
    }
    setCursorPosition(number, x, y);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
    emit cursorMoved(number, x, y);
}

void Graph::onMousePress(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_pressPos = event->pos();
    if (m_trackMode == TrackMode::Cursor && m_plot->axisRect()->rect().contains(event->pos())) {
        m_dragCursor = nearestCursor(event->position().x(), event->position().y());
        if (m_dragCursor)
            dragCursorTo(m_dragCursor, event->position());
    }
}

void Graph::onMouseMove(QMouseEvent* event)
{
    if (m_dragCursor && (event->buttons() & Qt::LeftButton))
        dragCursorTo(m_dragCursor, event->position());
}

void Graph::onMouseRelease(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragCursor = 0;
    const bool wasPressed = m_pressed;
    m_pressed = false;
    // A press and release on the same spot is a click; a drag (pan, zoom, cursor) is not.
    if (wasPressed && (event->pos() - m_pressPos).manhattanLength() < 5)
        emit clicked(m_plot->xAxis->pixelToCoord(event->position().x()),
                     m_plot->yAxis->pixelToCoord(event->position().y()));
}

void Graph::zoomToRect(const QRect& pixels)
{
    QCPAxisRect* rect = m_plot->axisRect();
    const QRect r = pixels.normalized();
    constexpr int Smallest = 4; // pixels; anything narrower is taken as a click
    QList<QCPAxis*> axes;
    if (r.width() >= Smallest)
        axes << rect->rangeZoomAxes(Qt::Horizontal);
    if (r.height() >= Smallest)
        axes << rect->rangeZoomAxes(Qt::Vertical);
    axes.removeAll(nullptr);
    if (!axes.isEmpty())
        rect->zoom(QRectF(r), axes);
    m_plot->replot(QCustomPlot::rpQueuedReplot); // also takes the rectangle off the screen
}

void Graph::addTextMarker(int pointIndex, const QString& text, double x, double y, const QString& name)
{
    m_markerLayer->add({pointIndex, text, x, y});
    m_markerData.push_back({pointIndex, name, text, x, y});
    requestReplot();
}

int Graph::markerTextsShown() const
{
    return m_markerLayer->textsDrawn();
}

void Graph::removeAllMarkers()
{
    m_markerLayer->clear();
    m_markerData.clear();
    requestReplot();
}

void Graph::setPlotAreaColor(const QColor& color)
{
    m_plotArea = color;
    m_plot->axisRect()->setBackground(QBrush(color));
    requestReplot();
}

void Graph::setBackgroundColor(const QColor& color)
{
    m_background = color;
    m_plot->setBackground(QBrush(color));
    requestReplot();
}

void Graph::setTraceStyle(Style style)
{
    m_style = style;
    const bool bars = style == Style::Bars;
    if (bars && !m_bars) {
        m_bars = new QCPBars(m_plot->xAxis, m_plot->yAxis);
        // One class wide in axis units, so the bars follow every zoom and resize by themselves.
        m_bars->setWidthType(QCPBars::wtPlotCoords);
        m_bars->setSelectable(QCP::stNone);
        // Upright edges need no smoothing, and a thousand smoothed bars would cost the panel's
        // one-second tick several times what the histogram itself does.
        m_bars->setAntialiased(false);
        m_bars->setAntialiasedFill(false);
    }
    m_trace->setVisible(!bars);
    if (m_bars)
        m_bars->setVisible(bars);
    syncBars();
    setTraceColor(m_traceColor);
    applyAutoScale();
    requestReplot();
}

void Graph::syncBars()
{
    if (!m_bars || m_style != Style::Bars)
        return;
    m_bars->setWidth(m_stepHint);
    const QCPGraphDataContainer& points = *m_trace->data();
    QCPBarsDataContainer& bars = *m_bars->data();
    // A histogram redraw keeps its classes: only the counts are written then.
    bool sameKeys = bars.size() == points.size();
    if (sameKeys) {
        auto bar = bars.begin();
        for (auto p = points.constBegin(); p != points.constEnd(); ++p, ++bar) {
            if (bar->key != p->key) {
                sameKeys = false;
                break;
            }
            bar->value = p->value;
        }
    }
    if (!sameKeys) {
        QVector<QCPBarsData> copy;
        copy.reserve(points.size());
        for (auto p = points.constBegin(); p != points.constEnd(); ++p)
            copy.append(QCPBarsData(p->key, p->value));
        bars.set(copy, true);
    }
}

void Graph::setTraceColor(const QColor& color)
{
    m_traceColor = color;
    m_trace->setPen(QPen(color, 1));
    if (m_shared)
        m_shared->setPen(QPen(color, 1));
    if (m_bars) {
        m_bars->setPen(QPen(color, 0));
        m_bars->setBrush(QBrush(color));
    }
    requestReplot();
}

void Graph::setLook(Look look)
{
    const bool dark = look == Look::Dark;
    const QColor ink = dark ? QColor(0xa8, 0xd8, 0xa8) : QColor(Qt::black);
    const QColor grid = dark ? QColor(0x1e, 0x3c, 0x24) : QColor(0xd8, 0xd8, 0xd8);
    setBackgroundColor(dark ? QColor(0x10, 0x18, 0x12) : palette().color(QPalette::Window));
    for (QCPAxis* a : {m_plot->xAxis, m_plot->yAxis}) {
        a->setBasePen(QPen(ink));
        a->setTickPen(QPen(ink));
        a->setSubTickPen(QPen(ink));
        a->setTickLabelColor(ink);
        a->setLabelColor(ink);
        a->grid()->setPen(QPen(grid, 1, Qt::DotLine));
    }
    m_plot->selectionRect()->setPen(QPen(dark ? QColor(Qt::white) : QColor(Qt::black), 1, Qt::DashLine));
    m_plot->selectionRect()->setBrush(QBrush(dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 255, 30)));
    setPlotAreaColor(dark ? QColor(0x04, 0x0c, 0x06) : QColor(Qt::white));
    setTraceColor(dark ? QColor(0x5c, 0xff, 0x7a) : QColor(0x00, 0x30, 0xc0));
}

void Graph::setCompact(bool compact)
{
    QFont font = this->font();
    font.setPointSizeF(compact ? 7 : font.pointSizeF());
    for (QCPAxis* a : {m_plot->xAxis, m_plot->yAxis}) {
        a->setTickLabelFont(font);
        a->setLabelFont(font);
        a->setTickLabelPadding(compact ? 2 : 5);
        a->setLabelPadding(compact ? 1 : 5);
        a->setPadding(compact ? 1 : 5);
        a->setTickLength(0, compact ? 3 : 5);
        a->setSubTickLength(0, compact ? 1 : 2);
    }
    m_plot->yAxis->ticker()->setTickCount(compact ? 3 : 5);
    m_plot->xAxis->ticker()->setTickCount(compact ? 4 : 5);
    m_plot->plotLayout()->setMargins(compact ? QMargins(1, 1, 4, 1) : QMargins());
    requestReplot();
}

void Graph::requestReplot()
{
    if (!isVisible()) {
        m_dirty = true;
        return;
    }
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void Graph::replotNow()
{
    m_dirty = false;
    m_plot->replot(QCustomPlot::rpImmediateRefresh);
}

void Graph::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_dirty) {
        m_dirty = false;
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    }
}

} // namespace slm
