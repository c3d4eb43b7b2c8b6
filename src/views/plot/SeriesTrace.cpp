#include "views/plot/SeriesTrace.h"

#include <algorithm>
#include <cmath>

namespace slm
{

SeriesTrace::SeriesTrace(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPAbstractPlottable(keyAxis, valueAxis)
{
    setSelectable(QCP::stNone);
}

void SeriesTrace::setValues(std::shared_ptr<const SeriesValues> values, double firstX, double step)
{
    m_values = std::move(values);
    m_firstX = firstX;
    m_step = step > 0 ? step : 1;
    const int n = count();
    m_min = m_max = n > 0 ? m_values->at(0) : 0;
    for (int i = 1; i < n; ++i) {
        const double v = m_values->at(i);
        m_min = std::min(m_min, v);
        m_max = std::max(m_max, v);
    }
}

void SeriesTrace::clear()
{
    m_values.reset();
    m_min = m_max = 0;
}

double SeriesTrace::valueAt(int index) const
{
    return index >= 0 && index < count() ? m_values->at(index) : 0;
}

int SeriesTrace::nearestIndex(double key) const
{
    const int n = count();
    if (n == 0)
        return -1;
    const double i = std::round((key - m_firstX) / m_step);
    return int(std::clamp(i, 0.0, double(n - 1)));
}

double SeriesTrace::selectTest(const QPointF&, bool, QVariant*) const
{
    return -1; // never selected: the window's track modes work on the axes, not on the line
}

QCPRange SeriesTrace::getKeyRange(bool& foundRange, QCP::SignDomain) const
{
    foundRange = count() > 0;
    return foundRange ? QCPRange(keyAt(0), keyAt(count() - 1)) : QCPRange();
}

QCPRange SeriesTrace::getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const
{
    foundRange = count() > 0;
    return foundRange ? QCPRange(m_min, m_max) : QCPRange();
}

QVector<QPointF> SeriesTrace::visibleLine() const
{
    QVector<QPointF> line;
    const int n = count();
    QCPAxis* keys = mKeyAxis.data();
    QCPAxis* values = mValueAxis.data();
    if (n == 0 || !keys || !values)
        return line;
    const QCPRange shown = keys->range();
    // One point beyond each edge, so the line runs out of the plot instead of stopping short.
    const int first = int(std::clamp(std::floor((shown.lower - m_firstX) / m_step) - 1, 0.0, double(n - 1)));
    const int last = int(std::clamp(std::ceil((shown.upper - m_firstX) / m_step) + 1, 0.0, double(n - 1)));
    if (last < first)
        return line;
    const double firstPixel = keys->coordToPixel(keyAt(first));
    const double pixelsPerPoint = std::abs(keys->coordToPixel(keyAt(first) + m_step) - firstPixel);
    const double direction = keys->rangeReversed() ? -1 : 1;
    if (pixelsPerPoint >= 0.5) {
        line.reserve(last - first + 1);
        for (int i = first; i <= last; ++i)
            line.append(QPointF(keys->coordToPixel(keyAt(i)), values->coordToPixel(m_values->at(i))));
        return line;
    }
    // Many points to a pixel column: its first, lowest, highest and last value keep every spike
    // and the way the line enters and leaves the column.
    line.reserve(int(4 * (keys->axisRect()->width() + 4)));
    int i = first;
    while (i <= last) {
        const long column = long(std::floor((i - first) * pixelsPerPoint));
        const double x = firstPixel + direction * double(column);
        const double entry = m_values->at(i);
        double low = entry;
        double high = entry;
        double exit = entry;
        for (++i; i <= last && long(std::floor((i - first) * pixelsPerPoint)) == column; ++i) {
            exit = m_values->at(i);
            low = std::min(low, exit);
            high = std::max(high, exit);
        }
        line.append(QPointF(x, values->coordToPixel(entry)));
        line.append(QPointF(x, values->coordToPixel(low)));
        line.append(QPointF(x, values->coordToPixel(high)));
        line.append(QPointF(x, values->coordToPixel(exit)));
    }
    return line;
}

void SeriesTrace::draw(QCPPainter* painter)
{
    const QVector<QPointF> line = visibleLine();
    if (line.size() < 1)
        return;
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->setBrush(Qt::NoBrush);
    if (line.size() == 1)
        painter->drawPoint(line.front());
    else
        painter->drawPolyline(line.constData(), int(line.size()));
}

void SeriesTrace::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const
{
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
}

} // namespace slm
