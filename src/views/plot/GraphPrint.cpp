#include "views/plot/GraphPrint.h"

#include "shared/Dialogs.h"
#include "views/plot/Graph.h"

#include <QCoreApplication>
#include <QLayout>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <qcustomplot.h>

namespace slm
{

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
            // Around the plot area the graph takes the page's background as well.
            m_graphBackground = job.graph->backgroundColor();
            job.graph->setBackgroundColor(white.color(QPalette::Window));
        }
        for (QWidget* h : job.hiddenWhilePrinting) {
            m_wasHidden.push_back(h->isHidden());
            h->hide();
        }
        if (job.prepare)
            job.prepare();
        settle();
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
            m_job.graph->setBackgroundColor(m_graphBackground);
        }
        settle();
    }
    ScreenLookGuard(const ScreenLookGuard&) = delete;
    ScreenLookGuard& operator=(const ScreenLookGuard&) = delete;

private:
    // Lays out what the steps moved or resized and redraws the graph at its new size, so the
    // page shows the window as it now stands.
    void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (m_job.window->layout())
            m_job.window->layout()->activate();
        if (m_job.graph)
            m_job.graph->replotNow();
    }

    const GraphPrintJob& m_job;
    QPalette m_palette;
    bool m_autoFill = false;
    QColor m_plotArea;
    QColor m_graphBackground;
    std::vector<bool> m_wasHidden;
};

} // namespace

void drawWindowPage(QWidget* window, QCPPainter& painter, Graph* sharpGraph)
{
    const QRect page = painter.viewport();
    const QSize size = window->size();
    if (size.isEmpty() || page.isEmpty())
        return;
    // Qt paints widgets that render straight onto a printer into a bitmap first, which would turn
    // tables and labels into pictures of text; recorded into a QPicture and played back, they stay
    // text on the page.
    QPicture picture;
    {
        QPainter recorder(&picture);
        window->render(&recorder, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    const double scale = std::min(double(page.width()) / size.width(), double(page.height()) / size.height());
    painter.save();
    painter.scale(scale, scale);
    // A picture plays back scaled from the resolution it was recorded at to the device's; the
    // scale above already maps window pixels to the page, so that step is undone here.
    painter.save();
    painter.scale(double(picture.logicalDpiX()) / painter.device()->logicalDpiX(),
                  double(picture.logicalDpiY()) / painter.device()->logicalDpiY());
    painter.drawPicture(0, 0, picture);
    painter.restore();
    if (sharpGraph && sharpGraph->isVisible() && window->isAncestorOf(sharpGraph)) {
        QCustomPlot* plot = sharpGraph->plot();
        painter.translate(plot->mapTo(window, QPoint(0, 0)));
        painter.setClipRect(QRect(QPoint(0, 0), plot->size()));
        plot->toPainter(&painter, plot->width(), plot->height());
    }
    painter.restore();
}

bool paintGraphPages(const GraphPrintJob& job, QPrinter& printer)
{
    // The copies are drawn here, one page each, so the driver must not multiply them again.
    const int copies = job.pagePerCopy ? std::max(1, printer.copyCount()) : 1;
    if (job.pagePerCopy)
        printer.setCopyCount(1);

    ScreenLookGuard look(job);
    QCPPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setModes(QCPPainter::pmVectorized | QCPPainter::pmNoCaching);
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        drawWindowPage(job.window, painter, job.graph);
    }
    return painter.end();
}

bool printGraphWindow(const GraphPrintJob& job, Dialogs& dialogs, QPrinter& printer)
{
    if (!job.window || !dialogs.choosePrinter(job.window, printer))
        return false;
    if (job.showPrinterNote)
        dialogs.message(job.window, printerNoteText(), QString(), Dialogs::Icon::Information);
    return paintGraphPages(job, printer);
}

bool outputGraphWindow(const GraphPrintJob& job, Dialogs& dialogs, QPrinter& printer, PrintOutput output)
{
    return output == PrintOutput::Preview ? previewGraphWindow(job, dialogs, printer)
                                          : printGraphWindow(job, dialogs, printer);
}

bool previewGraphWindow(const GraphPrintJob& job, Dialogs& dialogs, QPrinter& printer)
{
    if (!job.window)
        return false;
    // The preview and the printout from it are drawn by the same steps as "Print".
    return dialogs.previewPrint(job.window, printer,
                                [&job](QPrinter* target) { paintGraphPages(job, *target); });
}

} // namespace slm
