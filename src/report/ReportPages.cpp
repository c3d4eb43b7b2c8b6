#include "report/ReportPages.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

namespace slm::report
{

namespace
{

// Page margins and the foot, in millimetres.
constexpr double MarginSide = 16;
constexpr double MarginTop = 14;
constexpr double ContentBottomFromEdge = 20; // the foot sits below this
constexpr double FootRuleFromEdge = 15;
constexpr double FootBaselineFromEdge = 11;

constexpr double CellPadding = 1.5;  // mm left and right of a cell's text
constexpr double CellVPadding = 0.6; // mm above and below
constexpr double HeadingSpace = 4.5; // mm above a heading
constexpr double TableFontPoints[] = {8.0, 7.5, 7.0, 6.5, 6.0};
constexpr double NarrowestFreeText = 35; // mm: below this a table is set in a smaller type instead

const QColor HeaderFill(0xdd, 0xe3, 0xea);
const QColor StripeFill(0xf3, 0xf5, 0xf7);
const QColor RuleColour(0x55, 0x5b, 0x66);
const QColor FootColour(0x55, 0x55, 0x55);

} // namespace

PageFlow::PageFlow(QPagedPaintDevice& device, QPainter* painter, PageFoot foot, int totalPages)
    : m_device(device), m_painter(painter), m_foot(std::move(foot)), m_totalPages(totalPages),
      m_dotsPerMm(device.logicalDpiY() / 25.4)
{
    const double w = device.width();
    const double h = device.height();
    m_content = QRectF(mm(MarginSide), mm(MarginTop), w - 2 * mm(MarginSide),
                       h - mm(MarginTop) - mm(ContentBottomFromEdge));
    m_y = m_content.top();
    m_body = font(9);
}

QFont PageFlow::font(double points, bool bold) const
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    // Plain glyphs, no ligatures: the text read back from the page stays the words written.
    f.setStyleStrategy(QFont::PreferNoShaping);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void PageFlow::title(const QString& text)
{
    const QFont f = font(18, true);
    const QFontMetricsF m(f, &m_device);
    if (m_painter) {
        m_painter->setFont(f);
        m_painter->setPen(Qt::black);
        m_painter->drawText(QPointF(left(), m_y + m.ascent()), text);
    }
    m_y += m.lineSpacing() + mm(2);
}

void PageFlow::heading(const QString& text, double keep)
{
    const QFont f = font(11.5, true);
    const QFontMetricsF m(f, &m_device);
    double above = m_y > m_content.top() ? mm(HeadingSpace) : 0;
    const double height = m.lineSpacing() + mm(1.5);
    if (m_y + above + height + keep > m_content.bottom() && m_y > m_content.top()) {
        newPage();
        above = 0;
    }
    m_y += above;
    if (m_painter) {
        m_painter->setFont(f);
        m_painter->setPen(Qt::black);
        m_painter->drawText(QPointF(left(), m_y + m.ascent()), text);
    }
    m_y += height;
}

double PageFlow::paragraphHeight(const QString& text, const QFont& f) const
{
    const QFontMetricsF m(f, &m_device);
    return m.boundingRect(QRectF(0, 0, width(), 1e7), Qt::TextWordWrap, text).height();
}

void PageFlow::paragraph(const QString& text, const QFont& f, const QColor& color)
{
    const double height = paragraphHeight(text, f);
    ensure(height);
    if (m_painter) {
        m_painter->setFont(f);
        m_painter->setPen(color);
        m_painter->drawText(QRectF(left(), m_y, width(), height), Qt::TextWordWrap, text);
    }
    m_y += height + mm(1);
}

void PageFlow::space(double millimetres)
{
    if (m_y > m_content.top())
        m_y = std::min(m_y + mm(millimetres), m_content.bottom());
}

void PageFlow::block(double height, const std::function<void(QPainter&, const QRectF&)>& paint)
{
    ensure(height);
    if (m_painter) {
        m_painter->save();
        paint(*m_painter, QRectF(left(), m_y, width(), height));
        m_painter->restore();
    }
    m_y += height;
}

PageFlow::Columns PageFlow::columnsOf(const TextTable& t, TableWidth widthMode) const
{
    Columns c;
    const auto n = t.columns.size();
    // The free text (a reason, a note, a detail's value) is the last left-aligned column after the
    // first: it wraps rather than pushing the table off the page.
    for (qsizetype i = n - 1; i > 0; --i) {
        if (!t.rightAligned.value(i)) {
            c.wrapColumn = int(i);
            break;
        }
    }
    const double available = width();
    const double pad = mm(CellPadding);
    double total = 0;
    for (const double points : TableFontPoints) {
        c.font = font(points);
        c.headerFont = font(points, true);
        const QFontMetricsF m(c.font, &m_device);
        const QFontMetricsF hm(c.headerFont, &m_device);
        c.widths.assign(size_t(n), 0.0);
        for (qsizetype i = 0; i < n; ++i)
            c.widths[size_t(i)] = hm.horizontalAdvance(t.columns[i]);
        for (const QStringList& row : t.rows)
            for (qsizetype i = 0; i < n && i < row.size(); ++i)
                c.widths[size_t(i)] = std::max(c.widths[size_t(i)], m.horizontalAdvance(row[i]));
        total = 0;
        for (double& w : c.widths) {
            w += 2 * pad + 1; // the advance can round below the drawn width: a pixel to spare
            total += w;
        }
        if (total <= available)
            break;
        if (c.wrapColumn >= 0) {
            const double rest = available - (total - c.widths[size_t(c.wrapColumn)]);
            if (rest >= mm(NarrowestFreeText)) {
                c.widths[size_t(c.wrapColumn)] = rest;
                total = available;
                break;
            }
        }
    }
    // A free-text column without any text (events without a note) takes no more than the others.
    const bool freeText = c.wrapColumn >= 0 &&
                          std::any_of(t.rows.begin(), t.rows.end(),
                                      [&](const QStringList& r) { return !r.value(c.wrapColumn).isEmpty(); });
    if (widthMode == TableWidth::Full && total < available && n > 0) {
        if (freeText)
            c.widths[size_t(c.wrapColumn)] += available - total;
        else
            for (double& w : c.widths)
                w += (available - total) / double(n);
    }
    return c;
}

double PageFlow::rowHeight(const Columns& c, const QStringList& cells) const
{
    const QFontMetricsF m(c.font, &m_device);
    double text = m.lineSpacing();
    if (c.wrapColumn >= 0 && c.wrapColumn < cells.size()) {
        const double w = c.widths[size_t(c.wrapColumn)] - 2 * mm(CellPadding);
        text = std::max(text,
                        m.boundingRect(QRectF(0, 0, w, 1e7), Qt::TextWordWrap, cells[c.wrapColumn]).height());
    }
    return text + 2 * mm(CellVPadding);
}

double PageFlow::tableLead(const TextTable& t) const
{
    const Columns c = columnsOf(t, TableWidth::Natural);
    double lead = QFontMetricsF(c.headerFont, &m_device).lineSpacing() + 2 * mm(CellVPadding);
    for (qsizetype i = 0; i < std::min<qsizetype>(2, t.rows.size()); ++i)
        lead += rowHeight(c, t.rows[i]);
    return lead;
}

void PageFlow::drawRow(const Columns& c, const TextTable& t, const QStringList& cells, bool header,
                       bool shaded, double height)
{
    if (!m_painter)
        return;
    QPainter& p = *m_painter;
    double tableWidth = 0;
    for (const double w : c.widths)
        tableWidth += w;
    if (header || shaded)
        p.fillRect(QRectF(left(), m_y, tableWidth, height), header ? HeaderFill : StripeFill);
    p.setFont(header ? c.headerFont : c.font);
    p.setPen(Qt::black);
    const double pad = mm(CellPadding);
    const double vpad = mm(CellVPadding);
    double x = left();
    for (qsizetype i = 0; i < qsizetype(c.widths.size()); ++i) {
        const double w = c.widths[size_t(i)];
        const QString text = cells.value(i);
        if (!text.isEmpty()) {
            int flags = Qt::AlignTop | (t.rightAligned.value(i) ? Qt::AlignRight : Qt::AlignLeft);
            if (i == c.wrapColumn && !header)
                flags |= Qt::TextWordWrap;
            p.drawText(QRectF(x + pad, m_y + vpad, w - 2 * pad, height - 2 * vpad), flags, text);
        }
        x += w;
    }
    if (header) {
        p.setPen(QPen(RuleColour, mm(0.2)));
        p.drawLine(QPointF(left(), m_y + height), QPointF(left() + tableWidth, m_y + height));
    }
}

void PageFlow::table(const TextTable& t, const QString& title, TableWidth widthMode)
{
    const Columns c = columnsOf(t, widthMode);
    double tableWidth = 0;
    for (const double w : c.widths)
        tableWidth += w;
    const double headerHeight = QFontMetricsF(c.headerFont, &m_device).lineSpacing() + 2 * mm(CellVPadding);
    auto closeRule = [&] {
        if (m_painter) {
            m_painter->setPen(QPen(RuleColour, mm(0.2)));
            m_painter->drawLine(QPointF(left(), m_y), QPointF(left() + tableWidth, m_y));
        }
    };
    ensure(headerHeight + (t.rows.isEmpty() ? 0 : rowHeight(c, t.rows.first())));
    drawRow(c, t, t.columns, true, false, headerHeight);
    m_y += headerHeight;
    for (qsizetype i = 0; i < t.rows.size(); ++i) {
        const double height = rowHeight(c, t.rows[i]);
        if (m_y + height > m_content.bottom()) {
            closeRule();
            newPage();
            const QFont f = font(9, true);
            const QFontMetricsF m(f, &m_device);
            if (m_painter) {
                m_painter->setFont(f);
                m_painter->setPen(Qt::black);
                m_painter->drawText(QPointF(left(), m_y + m.ascent()),
                                    QStringLiteral("%1 (continued)").arg(title));
            }
            m_y += m.lineSpacing() + mm(1);
            drawRow(c, t, t.columns, true, false, headerHeight);
            m_y += headerHeight;
        }
        drawRow(c, t, t.rows[i], false, i % 2 == 1, height);
        m_y += height;
    }
    closeRule();
    m_y += mm(1.5);
}

void PageFlow::ensure(double height)
{
    if (m_y + height > m_content.bottom() && m_y > m_content.top())
        newPage();
}

void PageFlow::newPage()
{
    drawFoot();
    if (m_painter && !m_device.newPage())
        m_ok = false;
    ++m_page;
    m_y = m_content.top();
}

void PageFlow::drawFoot()
{
    if (!m_painter)
        return;
    QPainter& p = *m_painter;
    const double h = m_device.height();
    const double ruleY = h - mm(FootRuleFromEdge);
    p.setPen(QPen(RuleColour, mm(0.15)));
    p.drawLine(QPointF(left(), ruleY), QPointF(m_content.right(), ruleY));
    const QFont f = font(7.5);
    const QFontMetricsF m(f, &m_device);
    p.setFont(f);
    p.setPen(FootColour);
    const double third = width() / 3;
    const QRectF line(left(), h - mm(FootBaselineFromEdge) - m.ascent(), width(), m.lineSpacing());
    p.drawText(QRectF(line.left(), line.top(), third, line.height()), Qt::AlignLeft,
               m.elidedText(m_foot.fileName, Qt::ElideMiddle, third - mm(2)));
    p.drawText(line, Qt::AlignHCenter, QStringLiteral("Page %1 of %2").arg(m_page).arg(m_totalPages));
    p.drawText(QRectF(line.right() - third, line.top(), third, line.height()), Qt::AlignRight,
               m_foot.version);
}

void PageFlow::finish()
{
    drawFoot();
}

} // namespace slm::report
