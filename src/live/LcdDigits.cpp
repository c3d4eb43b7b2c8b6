#include "live/LcdDigits.h"

#include <QPainter>
#include <QPainterPath>

namespace slm
{

namespace
{
// Segments a..g as bits 0..6.
int segmentsOf(QChar c)
{
    switch (c.unicode()) {
    case '0':
        return 0b0111111;
    case '1':
        return 0b0000110;
    case '2':
        return 0b1011011;
    case '3':
        return 0b1001111;
    case '4':
        return 0b1100110;
    case '5':
        return 0b1101101;
    case '6':
        return 0b1111101;
    case '7':
        return 0b0000111;
    case '8':
        return 0b1111111;
    case '9':
        return 0b1101111;
    case '-':
        return 0b1000000;
    default:
        return 0;
    }
}

constexpr int Cells = 5; // "140.0" has four digits; one more for a leading blank or a dash

// One segment as a hexagon between two points, thickness t.
QPainterPath segment(QPointF a, QPointF b, double t)
{
    QPainterPath p;
    const bool horizontal = qFuzzyCompare(a.y(), b.y());
    const double h = t / 2;
    if (horizontal) {
        p.moveTo(a.x(), a.y());
        p.lineTo(a.x() + h, a.y() - h);
        p.lineTo(b.x() - h, b.y() - h);
        p.lineTo(b.x(), b.y());
        p.lineTo(b.x() - h, b.y() + h);
        p.lineTo(a.x() + h, a.y() + h);
    } else {
        p.moveTo(a.x(), a.y());
        p.lineTo(a.x() + h, a.y() + h);
        p.lineTo(b.x() + h, b.y() - h);
        p.lineTo(b.x(), b.y());
        p.lineTo(b.x() - h, b.y() - h);
        p.lineTo(a.x() - h, a.y() + h);
    }
    p.closeSubpath();
    return p;
}
} // namespace

LcdDigits::LcdDigits(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LcdDigits::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text);
    update();
}

void LcdDigits::setColors(const QColor& on, const QColor& off)
{
    m_on = on;
    m_off = off;
    update();
}

void LcdDigits::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // Split the text into cells: a digit or dash takes a cell; "." and "*" attach to the cell
    // before them. "- - -" keeps its blanks as empty cells.
    struct Cell {
        QChar glyph = u' ';
        bool point = false;
        bool star = false;
    };
    QList<Cell> cells;
    for (QChar c : m_text) {
        if (c == u'.') {
            if (cells.isEmpty() || cells.back().point)
                cells.append(Cell{});
            cells.back().point = true;
        } else if (c == u'*') {
            if (cells.isEmpty())
                cells.append(Cell{});
            cells.back().star = true;
        } else {
            cells.append(Cell{c});
        }
    }
    while (cells.size() < Cells)
        cells.prepend(Cell{});

    const int n = static_cast<int>(cells.size());
    const double cellW = width() / (n + 0.35);
    const double digitH = std::min(height() * 0.86, cellW * 1.7);
    const double digitW = digitH * 0.52;
    const double t = digitH * 0.11;
    const double top = (height() - digitH) / 2;
    const double slant = digitH * 0.08;

    for (int i = 0; i < n; ++i) {
        const double left = width() - (n - i) * cellW - cellW * 0.2 + (cellW - digitW) / 2;
        const double mid = top + digitH / 2;
        const double bottom = top + digitH;
        auto pt = [&](double x, double y) { return QPointF(x + slant * (bottom - y) / digitH, y); };
        const QPainterPath segs[7] = {
            segment(pt(left, top), pt(left + digitW, top), t),
            segment(pt(left + digitW, top), pt(left + digitW, mid), t),
            segment(pt(left + digitW, mid), pt(left + digitW, bottom), t),
            segment(pt(left, bottom), pt(left + digitW, bottom), t),
            segment(pt(left, mid), pt(left, bottom), t),
            segment(pt(left, top), pt(left, mid), t),
            segment(pt(left, mid), pt(left + digitW, mid), t),
        };
        const int lit = segmentsOf(cells[i].glyph);
        for (int s = 0; s < 7; ++s)
            painter.fillPath(segs[s], (lit >> s) & 1 ? m_on : m_off);
        const QPointF dot = pt(left + digitW + cellW * 0.16, bottom);
        painter.setPen(Qt::NoPen);
        painter.setBrush(cells[i].point ? m_on : m_off);
        painter.drawEllipse(dot, t * 0.7, t * 0.7);
        if (cells[i].star) {
            painter.setPen(QPen(m_on, t * 0.45));
            const QPointF c = pt(left + digitW + cellW * 0.2, top + t);
            for (int k = 0; k < 3; ++k) {
                QLineF line(c, c + QPointF(t * 1.1, 0));
                line.setAngle(k * 60.0);
                QLineF back = line;
                back.setAngle(line.angle() + 180);
                painter.drawLine(back.p2(), line.p2());
            }
            painter.setPen(Qt::NoPen);
        }
    }
}

} // namespace slm
