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
