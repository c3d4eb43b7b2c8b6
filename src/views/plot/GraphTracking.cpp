#include "views/plot/Graph.h"

#include "views/plot/SeriesTrace.h"

#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

// What the mouse does on a graph: the track modes, the cursors and their dragging, the zoom
// rectangle and clicks.

namespace slm
{

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

} // namespace slm
