#include "views/plot/MarkerLayer.h"

#include <algorithm>
#include <cmath>

namespace slm
{

MarkerLayer::MarkerLayer(QCustomPlot* plot, QCPGraph* trace)
    : QCPLayerable(plot, QStringLiteral("main")), m_trace(trace)
{
}

void MarkerLayer::add(const Mark& mark)
{
    if (!m_marks.empty() && mark.x < m_marks.back().x)
        m_sorted = false;
    m_marks.push_back(mark);
}

void MarkerLayer::clear()
{
    m_marks.clear();
    m_sorted = true;
}

void MarkerLayer::applyDefaultAntialiasingHint(QCPPainter* painter) const
{
    applyAntialiasingHint(painter, mAntialiased, QCP::aeItems);
}

QRect MarkerLayer::clipRect() const
{
    return mParentPlot->axisRect()->rect();
}

void MarkerLayer::draw(QCPPainter* painter)
{
    m_textsDrawn = 0;
    if (m_marks.empty())
        return;
    if (!m_sorted) {
        std::stable_sort(m_marks.begin(), m_marks.end(),
                         [](const Mark& a, const Mark& b) { return a.x < b.x; });
        m_sorted = true;
    }
    QCPAxis* xAxis = mParentPlot->xAxis;
    QCPAxis* yAxis = mParentPlot->yAxis;
    const QFont font = mParentPlot->font();
    const QFontMetricsF metrics(font);
    const QColor ink = xAxis->labelColor();
    const QPen circlePen(ink);
    const QPen leaderPen(ink, 1, Qt::DotLine);
    painter->setFont(font);

    // A text reaching into the plot from beyond its edge still counts as visible.
    const double reach = metrics.horizontalAdvance(QStringLiteral("Pause_")) / 2;
    const QCPRange range = xAxis->range();
    const double pixelsPerUnit =
        std::abs(xAxis->coordToPixel(range.upper) - xAxis->coordToPixel(range.lower)) /
        std::max(range.size(), 1e-12);
    const double slack = reach / std::max(pixelsPerUnit, 1e-12);
    auto first = std::lower_bound(m_marks.begin(), m_marks.end(), range.lower - slack,
                                  [](const Mark& m, double x) { return m.x < x; });

    const QCPGraphDataContainer& data = *m_trace->data();
    // Right edge of the last text written on each text height: where texts would overlap, the
    // first is drawn with its leader and circle and the others wait for a closer zoom.
    struct Row {
        double y;
        double textRight;
    };
    std::vector<Row> rows;
    const double height = metrics.height();
    // The captions repeat ("Pause", "Start"): each is measured once per redraw.
    std::vector<std::pair<QString, double>> widths;
    auto widthOf = [&](const QString& text) {
        for (const auto& [t, w] : widths)
            if (t == text)
                return w;
        widths.emplace_back(text, metrics.horizontalAdvance(text));
        return widths.back().second;
    };
    for (auto it = first; it != m_marks.end() && it->x <= range.upper + slack; ++it) {
        const double px = xAxis->coordToPixel(it->x);
        const double py = yAxis->coordToPixel(it->y);
        auto row = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.y == it->y; });
        if (row == rows.end()) {
            rows.push_back({it->y, -1e9});
            row = rows.end() - 1;
        }
        const double width = widthOf(it->text);
        // A text at the edge of the plot slides inside it rather than being cut in half.
        const QRect area = clipRect();
        double left = px - width / 2;
        if (width < area.width())
            left = std::clamp(left, double(area.left()), double(area.right()) - width);
        const QRectF textRect(left, py - height / 2, width, height);
        if (textRect.left() <= row->textRight + 2)
            continue;
        row->textRight = textRect.right();
        painter->setPen(ink);
        painter->drawText(textRect, Qt::AlignCenter, it->text);
        ++m_textsDrawn;
        if (it->pointIndex < 0 || it->pointIndex >= data.size())
            continue;
        const QPointF point(xAxis->coordToPixel(data.at(it->pointIndex)->key),
                            yAxis->coordToPixel(data.at(it->pointIndex)->value));
        // The leader leaves the text on the side facing the point, so it never crosses it.
        painter->setPen(leaderPen);
        const double leaderX = std::clamp(px, textRect.left(), textRect.right());
        painter->drawLine(QPointF(leaderX, point.y() > py ? textRect.bottom() : textRect.top()), point);
        painter->setPen(circlePen);
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(point, 2.5, 2.5);
    }
}

} // namespace slm
