#include "views/plot/Graph.h"

#include "views/plot/LabelFormatTicker.h"
#include "views/plot/SeriesTrace.h"

#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

// The axes: their ranges, following the data, captions and tick labels.

namespace slm
{

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

} // namespace slm
