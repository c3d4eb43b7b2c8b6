#include "views/ListPagePainter.h"

#include "views/RecordListPrintout.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

namespace slm
{

QFont listPrintFont()
{
    const QString preferred = QStringLiteral("Lucida Console");
    QFont font = QFontDatabase::hasFamily(preferred) ? QFont(preferred)
                                                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(8);
    // Blanks carry the alignment, so every glyph must keep its own width.
    font.setFixedPitch(true);
    font.setKerning(false);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

PagesPainted paintListPages(QPainter& painter, QPagedPaintDevice& device, const ListPrintout& printout,
                            const LinePainted& progress)
{
    PagesPainted result;
    painter.setFont(QFont(listPrintFont(), &device));
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const int linesPerPage = std::max(1, device.height() / lineHeight);
    const int lines = printout.lineCount();
    result.pages = 1;
    int row = 0;
    for (int i = 0; i < lines; ++i) {
        if (progress && !progress(i)) {
            result.end = PaintEnd::Cancelled;
            return result;
        }
        if (row == linesPerPage) {
            if (!device.newPage() || !painter.isActive()) {
                result.end = PaintEnd::Failed;
                return result;
            }
            ++result.pages;
            row = 0;
        }
        painter.drawText(0, row * lineHeight + metrics.ascent(), printout.line(i));
        ++row;
    }
    return result;
}

} // namespace slm
