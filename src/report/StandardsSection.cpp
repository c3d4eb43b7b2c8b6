#include "report/StandardsSection.h"

#include "report/ReportPages.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace slm::report
{

namespace
{

// As many rows as the hourly table prints: a month of hours. The rest are in the window and in
// slm-report's CSV tables.
constexpr qsizetype MaxListedRows = 744;

const QColor Quiet(0x55, 0x55, 0x55);
const QColor Alarm(0xc0, 0x10, 0x10);
const QColor DayColour(0xd8, 0x8a, 0x2a);
const QColor NightColour(0x3a, 0x5f, 0xb0);
const QColor GridColour(0xd4, 0xd8, 0xde);
const QColor AxisColour(0x33, 0x33, 0x33);

// The day's and the night's count in each 1 dB class, side by side.
void paintClasses(QPainter& p, const QRectF& area, double mm, const QFont& font, const BackgroundTable& b)
{
    std::map<int, std::pair<std::int64_t, std::int64_t>> classes;
    for (const auto& [n, count] : b.day.classes)
        classes[n].first = count;
    for (const auto& [n, count] : b.night.classes)
        classes[n].second = count;
    p.setFont(font);
    const QFontMetricsF m(font, p.device());
    const double line = m.lineSpacing();
    if (classes.empty()) {
        p.setPen(QPen(AxisColour, 0.2 * mm));
        p.drawRect(area.adjusted(mm, mm, -mm, -mm));
        p.drawText(area, Qt::AlignCenter, QStringLiteral("No interval meets the coverage."));
        return;
    }
    const int first = classes.begin()->first;
    const int last = classes.rbegin()->first;
    std::int64_t most = 1;
    for (const auto& [n, counts] : classes)
        most = std::max({most, counts.first, counts.second});
    const std::int64_t yStep = std::max<std::int64_t>(1, std::int64_t(std::ceil(double(most) / 5)));
    const double yHi = double((most + yStep - 1) / yStep * yStep);
    const double labelWidth = m.horizontalAdvance(QString::number(std::int64_t(yHi))) + 1.5 * mm;
    const QRectF plot(area.left() + labelWidth, area.top() + line + 0.8 * mm, area.width() - labelWidth - mm,
                      area.height() - 2 * line - 1.5 * mm);
    const double classWidth = plot.width() / double(last - first + 1);
    const auto xOf = [&](double n) { return plot.left() + (n - first) * classWidth; };
    const auto yOf = [&](double count) { return plot.bottom() - count / yHi * plot.height(); };
    p.setPen(QPen(GridColour, 0.12 * mm));
    for (double y = 0; y <= yHi; y += double(yStep))
        p.drawLine(QPointF(plot.left(), yOf(y)), QPointF(plot.right(), yOf(y)));
    for (const auto& [n, counts] : classes) {
        const double a = xOf(n) + 0.08 * classWidth;
        const double half = 0.42 * classWidth;
        if (counts.first > 0)
            p.fillRect(QRectF(QPointF(a, yOf(double(counts.first))), QPointF(a + half, plot.bottom())),
                       DayColour);
        if (counts.second > 0)
            p.fillRect(
                QRectF(QPointF(a + half, yOf(double(counts.second))), QPointF(a + 2 * half, plot.bottom())),
                NightColour);
    }
    p.setPen(QPen(AxisColour, 0.2 * mm));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    for (double y = 0; y <= yHi; y += double(yStep))
        p.drawText(QRectF(area.left(), yOf(y) - line / 2, labelWidth - mm, line),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(std::int64_t(y)));
    // Every class labelled where there is room, else every second or fifth.
    const double widest = m.horizontalAdvance(QStringLiteral("000")) + mm;
    const int every = classWidth >= widest ? 1 : 2 * classWidth >= widest ? 2 : 5;
    for (int n = first; n <= last; ++n) {
        if (n % every != 0)
            continue;
        const QString text = QString::number(n);
        const double w = m.horizontalAdvance(text);
        p.drawText(QRectF(xOf(n + 0.5) - w / 2, plot.bottom() + 0.8 * mm, w, line), Qt::AlignHCenter, text);
    }
    // The legend, and the unit under the axis.
    double x = plot.left();
    for (const auto& [name, colour] :
         {std::pair{QStringLiteral("Day"), DayColour}, {QStringLiteral("Night"), NightColour}}) {
        p.fillRect(QRectF(x, area.top() + 0.2 * line, 0.6 * line, 0.6 * line), colour);
        p.drawText(QPointF(x + 0.8 * line, area.top() + 0.8 * line), name);
        x += 0.8 * line + m.horizontalAdvance(name) + 3 * mm;
    }
    p.drawText(QPointF(x, area.top() + 0.8 * line), QStringLiteral("intervals per 1 dB class of L90"));
    const QString unit = QStringLiteral("dB");
    p.drawText(QRectF(plot.right() - m.horizontalAdvance(unit), plot.bottom() + 0.8 * mm + line,
                      m.horizontalAdvance(unit), line),
               Qt::AlignRight, unit);
}

} // namespace

void composeStandards(PageFlow& flow, const StandardsOutcome& o, const QString& fileName)
{
    const QFont small = flow.font(8);
    const QFont bold = flow.font(9, true);
    const TextTable inputs = standardsInputsTable(o);
    flow.heading(QStringLiteral("Standards"), flow.tableLead(inputs));
    flow.table(inputs, QStringLiteral("Standards' inputs"), TableWidth::Full);
    for (const QString& message : o.messages)
        flow.paragraph(message, small, Alarm);
    for (const StandardsTable& t : o.tables) {
        TextTable shown = shownStandardsTable(t);
        const qsizetype more = shown.rows.size() - MaxListedRows;
        if (more > 0)
            shown.rows.resize(MaxListedRows);
        const double lead =
            flow.paragraphHeight(t.caption, bold) + (t.columns.isEmpty() ? 0 : flow.tableLead(shown));
        flow.space(2);
        flow.keep(lead);
        flow.paragraph(t.caption, bold);
        if (!t.columns.isEmpty())
            flow.table(shown, t.caption, TableWidth::Natural);
        if (more > 0)
            flow.paragraph(
                QStringLiteral("... and %1 more rows: the window's Standards tab shows them all, and "
                               "slm-report writes them for %2.")
                    .arg(more)
                    .arg(fileName.isEmpty() ? QStringLiteral("a saved file")
                                            : QFileInfo(fileName).fileName()),
                small, Quiet);
        for (const QString& note : t.notes)
            flow.paragraph(note, small, Quiet);
        if (t.name == u"Background" && o.results.background) {
            const double height = flow.mm(50);
            flow.space(1.5);
            flow.block(height, [&](QPainter& p, const QRectF& area) {
                paintClasses(p, area, flow.mm(1), flow.font(7), *o.results.background);
            });
        }
    }
}

} // namespace slm::report
