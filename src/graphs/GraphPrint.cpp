#include "graphs/GraphPrint.h"

#include "graphs/Graph.h"
#include "shared/Dialogs.h"

#include <QPainter>
#include <QPrinter>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <qcustomplot.h>

QString printerNoteText()
{
    return QStringList{
        QStringLiteral("Note"),
        QStringLiteral("The effect of the properties of the Printer settings"),
        QStringLiteral("depends on the driver supplied by the printer manufacturer."),
        QStringLiteral("Some property settings may have no effect, or several different property settings"),
        QStringLiteral(
            "may all have the same effect. Settings outside the accepted range may or may not produce "
            "an error."),
        QStringLiteral("For more information, see the manufacturer's documentation for the specific driver."),
    }
        .join(QChar(13));
}

namespace
{

// Puts the window back on screen as it was, however the print ends.
class ScreenLookGuard
{
public:
    explicit ScreenLookGuard(const GraphPrintJob& job) : m_job(job)
    {
        QWidget* w = job.window;
        m_palette = w->palette();
        m_autoFill = w->autoFillBackground();
        QPalette white = m_palette;
        // The page background is the title-bar text colour, white in the standard scheme.
        white.setColor(QPalette::Window, m_palette.color(QPalette::HighlightedText));
        w->setPalette(white);
        w->setAutoFillBackground(true);
        if (job.graph) {
            m_plotArea = job.graph->plotAreaColor();
            job.graph->setPlotAreaColor(Qt::white);
        }
        for (QWidget* h : job.hiddenWhilePrinting) {
            m_wasHidden.push_back(h->isHidden());
            h->hide();
        }
        if (job.prepare)
            job.prepare();
        if (job.graph)
            job.graph->replotNow();
    }
    ~ScreenLookGuard()
    {
        if (m_job.restore)
            m_job.restore();
        QWidget* w = m_job.window;
        w->setPalette(m_palette);
        w->setAutoFillBackground(m_autoFill);
        for (int i = 0; i < m_job.hiddenWhilePrinting.size(); ++i)
            m_job.hiddenWhilePrinting[i]->setHidden(m_wasHidden[size_t(i)]);
        if (m_job.graph) {
            m_job.graph->setPlotAreaColor(m_plotArea);
            m_job.graph->replotNow();
        }
    }
    ScreenLookGuard(const ScreenLookGuard&) = delete;
    ScreenLookGuard& operator=(const ScreenLookGuard&) = delete;

private:
    const GraphPrintJob& m_job;
    QPalette m_palette;
    bool m_autoFill = false;
    QColor m_plotArea;
    std::vector<bool> m_wasHidden;
};

} // namespace

void drawWindowPage(QWidget* window, QPainter& painter)
{
    const QRect page = painter.viewport();
    const QSize size = window->size();
    if (size.isEmpty() || page.isEmpty())
        return;
    const double scale = std::min(double(page.width()) / size.width(), double(page.height()) / size.height());
    painter.save();
    painter.scale(scale, scale);
    window->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.restore();
}

bool printGraphWindow(const GraphPrintJob& job, Dialogs& dialogs, QPrinter& printer)
{
    if (!job.window || !dialogs.choosePrinter(job.window, printer))
        return false;
    if (job.showPrinterNote)
        dialogs.message(job.window, printerNoteText(), QString(), Dialogs::Icon::Information);
    // The copies are drawn here, one page each, so the driver must not multiply them again.
    const int copies = job.pagePerCopy ? std::max(1, printer.copyCount()) : 1;
    if (job.pagePerCopy)
        printer.setCopyCount(1);

    ScreenLookGuard look(job);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        drawWindowPage(job.window, painter);
    }
    return painter.end();
}
