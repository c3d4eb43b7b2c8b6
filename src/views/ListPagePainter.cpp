#include "views/ListPagePainter.h"

#include "views/RecordListPrintout.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

namespace slm
{

namespace
{

// Blanks carry the alignment, so a family serves only when these glyphs all advance alike.
// Measured, because fontconfig does not flag every monospaced family as fixed pitch.
bool advancesAlike(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal blank = metrics.horizontalAdvance(u' ');
    const auto sameAsBlank = [&](QChar c) { return qAbs(metrics.horizontalAdvance(c) - blank) < 0.001; };
    return blank > 0 && sameAsBlank(u'i') && sameAsBlank(u'W') && sameAsBlank(u'0');
}

QFont atListSize(QFont font)
{
    font.setPointSize(8);
    font.setFixedPitch(true);
    font.setKerning(false);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

} // namespace

QFont listPrintFont()
{
    // The design's font first, then fixed-pitch families that Debian and most desktops ship.
    static const char* const Families[] = {"Lucida Console", "DejaVu Sans Mono", "Liberation Mono",
                                           "Noto Mono",      "Noto Sans Mono",   "Nimbus Mono PS"};
    for (const char* name : Families) {
        const QString family = QString::fromLatin1(name);
        if (!QFontDatabase::hasFamily(family))
            continue;
        const QFont font = atListSize(QFont(family));
        if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) == 0 && advancesAlike(font))
            return font;
    }
    return atListSize(QFontDatabase::systemFont(QFontDatabase::FixedFont));
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
