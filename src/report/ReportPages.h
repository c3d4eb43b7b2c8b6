#pragma once

#include "measurement/AssessmentTables.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <functional>

class QPainter;
class QPagedPaintDevice;

// The report's pages as a flow from top to bottom: headings, paragraphs, tables that break across
// pages with their header row repeated, and blocks of drawing. The same flow is run twice: once
// without a painter, to count the pages, and once drawing them, so each foot can say "Page N of M".
// Everything is in device pixels of the page.

namespace slm::report
{

struct PageFoot {
    QString fileName;
    QString version; // "slm-panel 8.01"
};

// How wide a table is set: as wide as its texts, or across the page (the free-text column, when
// there is one, taking what is left).
enum class TableWidth { Natural, Full };

class PageFlow
{
public:
    // `painter` null: nothing is drawn, the pages are only counted. `totalPages` is what the feet
    // say (0 in the counting run).
    PageFlow(QPagedPaintDevice& device, QPainter* painter, PageFoot foot, int totalPages);

    double mm(double millimetres) const { return millimetres * m_dotsPerMm; }
    double left() const { return m_content.left(); }
    double width() const { return m_content.width(); }
    int pages() const { return m_page; }
    bool drawing() const { return m_painter != nullptr; }
    // False when the device refused a new page.
    bool ok() const { return m_ok; }

    QFont font(double points, bool bold = false) const;
    const QFont& bodyFont() const { return m_body; }

    void title(const QString& text);
    // A section heading, kept on one page with the `keep` pixels that follow it.
    void heading(const QString& text, double keep = 0);
    // A new page unless `height` fits below: what follows stays together.
    void keep(double height) { ensure(height); }
    // Word-wrapped text across the page.
    void paragraph(const QString& text, const QFont& font, const QColor& color = Qt::black);
    double paragraphHeight(const QString& text, const QFont& font) const;
    void space(double millimetres);
    // A block of drawing `height` high across the page; `paint` is called in the drawing run only.
    void block(double height, const std::function<void(QPainter&, const QRectF&)>& paint);
    // The table, continued on the next pages with `title` "(continued)" and its header row.
    void table(const TextTable& table, const QString& title, TableWidth widthMode);
    // What a table's header and first rows need to stay with its heading.
    double tableLead(const TextTable& table) const;
    // Ends the last page (its foot).
    void finish();

private:
    struct Columns {
        QFont font;
        QFont headerFont;
        std::vector<double> widths;
        int wrapColumn = -1; // the free-text column whose cells wrap, or -1
    };
    Columns columnsOf(const TextTable& table, TableWidth widthMode) const;
    double rowHeight(const Columns& columns, const QStringList& cells) const;
    void drawRow(const Columns& columns, const TextTable& table, const QStringList& cells, bool header,
                 bool shaded, double height);
    void ensure(double height);
    void newPage();
    void drawFoot();

    QPagedPaintDevice& m_device;
    QPainter* m_painter;
    PageFoot m_foot;
    int m_totalPages;
    double m_dotsPerMm;
    QRectF m_content; // the area above the foot
    double m_y = 0;
    int m_page = 1;
    bool m_ok = true;
    QFont m_body;
};

} // namespace slm::report
