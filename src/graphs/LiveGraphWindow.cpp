#include "graphs/LiveGraphWindow.h"

#include "graphs/LiveTrends.h"
#include "shared/Twips.h"
#include "shared/WindowPlacement.h"
#include "views/plot/CursorInfoFrame.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"
#include "views/plot/GraphicFrame.h"
#include "views/plot/TrackModePicker.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace slm
{

namespace
{
constexpr int CursorOne = 1;
constexpr int CursorTwo = 2;

QSize twipsSize(const QWidget* w, int width, int height)
{
    return {twipsToPixels(width, screenDpiX(w)), twipsToPixels(height, screenDpiY(w))};
}
} // namespace

LiveGraphWindow::LiveGraphWindow(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("RealTimeGraph"));
    setWindowTitle(QStringLiteral("Real Time Graph"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (parent)
        setWindowFlag(Qt::Window);

    m_note = new QLabel(noSampleYetText(), this);
    m_note->setObjectName(QStringLiteral("LblNoSample"));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->hide();

    m_graph = new Graph(this);
    m_graph->setObjectName(QStringLiteral("CWGraph1"));
    m_graph->setAccessibleName(QStringLiteral("Real time graph"));
    m_graph->setMinimumSize(300, 200);
    // Samples are counted in whole numbers: no tick between two of them.
    m_graph->setAxisLabelFormat(Graph::Axis::X, QStringLiteral("0"));
    // Two cursors from the start; the track modes show and hide them, never add or remove.
    for (int c = 0; c < 2; ++c)
        m_graph->setCursorVisible(m_graph->addCursor(), false);

    m_frame = new GraphicFrame(liveGraphFrameSettings(), this);
    m_frame->attach(m_graph);
    m_frame->cursorInfo()->xPosition()->setAccessibleDescription(QStringLiteral("Sample number"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_graph, 1);
    layout->addWidget(m_frame);
    setGraphMargins(GraphMarginTwips);

    connect(m_frame, &GraphicFrame::trackModeChosen, this,
            [this](int index, int) { onTrackModeChosen(index); });
    connect(m_frame, &GraphicFrame::resetClicked, this, &LiveGraphWindow::resetScale);
    connect(m_frame, &GraphicFrame::printClicked, this, [this] { print(); });
    connect(m_frame, &GraphicFrame::previewClicked, this, [this] { printPreview(); });

    resize(twipsSize(this, WidthTwips, HeightTwips));
    placeAtScreenTopLeft(this);
}

LiveGraphWindow::~LiveGraphWindow() = default;

QLabel* LiveGraphWindow::unitLabel() const
{
    return m_frame->ranges()->yRowLabel();
}

void LiveGraphWindow::setGraphMargins(int twips)
{
    const int x = twipsToPixels(twips, screenDpiX(this));
    const int y = twipsToPixels(twips, screenDpiY(this));
    layout()->setContentsMargins(x, y, x, x);
}

void LiveGraphWindow::fill(const LiveGraphView& view)
{
    m_view = view;
    GraphRangeFrame* ranges = m_frame->ranges();
    // The program's own values: the frame takes them without applying each one to the graph.
    m_graph->setAxisCaption(Graph::Axis::Y, view.unit);
    ranges->setValue(GraphRangeFrame::Edit::XMax, view.count);
    ranges->setValue(GraphRangeFrame::Edit::XMin, 1);
    ranges->setValue(GraphRangeFrame::Edit::YMax, view.yMax);
    ranges->setValue(GraphRangeFrame::Edit::YMin, view.yMin);
    ranges->setYRowLabel(view.unit);

    m_graph->setAxisRange(Graph::Axis::Y, view.yMin, view.yMax);
    m_graph->setAxisRange(Graph::Axis::X, 1, view.count);
    m_note->setVisible(view.count == 0);
    if (view.count > 0 && view.samples)
        m_graph->plotShared(view.samples, 1, 1);
    else
        m_graph->clearData();
}

void LiveGraphWindow::chooseTrackMode(int index)
{
    m_frame->picker()->choose(index);
}

void LiveGraphWindow::onTrackModeChosen(int index)
{
    const bool cursor = index == CursorEntry;
    m_graph->setCursorVisible(CursorTwo, false);
    m_graph->setCursorVisible(CursorOne, cursor);
    if (!cursor)
        return;
    const Graph::Range x = m_graph->axisRange(Graph::Axis::X);
    const Graph::Range y = m_graph->axisRange(Graph::Axis::Y);
    const double cx = (x.min + x.max) / 2;
    const double cy = (y.min + y.max) / 2;
    m_graph->setCursorPosition(CursorOne, cx, cy);
    m_frame->cursorInfo()->showPosition(cx, cy);
}

void LiveGraphWindow::resetScale()
{
    GraphRangeFrame* ranges = m_frame->ranges();
    ranges->setValue(GraphRangeFrame::Edit::XMax, m_view.count);
    ranges->setValue(GraphRangeFrame::Edit::XMin, 1);
    ranges->setValue(GraphRangeFrame::Edit::YMax, m_view.yMax);
    ranges->setValue(GraphRangeFrame::Edit::YMin, m_view.yMin);
    m_frame->applyRanges();
    m_graph->setAxisRange(Graph::Axis::Y, m_view.yMin, m_view.yMax);
    m_graph->setAxisRange(Graph::Axis::X, 1, m_view.count);
}

bool LiveGraphWindow::print()
{
    QPrinter printer;
    return printTo(printer);
}

bool LiveGraphWindow::printPreview()
{
    QPrinter printer;
    return printTo(printer, PrintOutput::Preview);
}

bool LiveGraphWindow::printTo(QPrinter& printer, PrintOutput output)
{
    m_frame->chooseNormal(); // plain mode, both cursors hidden
    QString caption;
    QSize size;
    GraphPrintJob job;
    job.window = this;
    job.graph = m_graph;
    job.hiddenWhilePrinting = {m_frame};
    job.showPrinterNote = true;
    job.pagePerCopy = true;
    job.prepare = [this, &caption, &size] {
        caption = m_graph->axisCaption(Graph::Axis::Y);
        size = this->size();
        // The graph keeps its size and moves in from the page's corner; the window widens for it.
        m_graph->setFixedSize(m_graph->size());
        setGraphMargins(PrintGraphMarginTwips);
        resize(twipsSize(this, PrintWidthTwips, HeightTwips).width(), height());
        m_graph->setAxisCaption(Graph::Axis::Y, QString());
    };
    job.restore = [this, &caption, &size] {
        m_graph->setAxisCaption(Graph::Axis::Y, caption);
        m_graph->setMinimumSize(300, 200);
        m_graph->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setGraphMargins(GraphMarginTwips);
        // The size it had: the design size, unless the screen or the user made it smaller. The
        // layout lets go of the printing size first, or the window could not shrink back.
        layout()->activate();
        resize(size);
    };
    return outputGraphWindow(job, m_dialogs, printer, output);
}

LiveGraphWindow* openLiveGraph(QPointer<LiveGraphWindow>& shown, const LiveTrends& trends, LiveTrend trend,
                               const QString& unit, Dialogs& dialogs, QWidget* parent)
{
    if (shown) {
        shown->close(); // deletes it on close
        delete shown.data();
    }
    auto* window = new LiveGraphWindow(dialogs, parent);
    window->fill(liveGraphView(trends, trend, unit));
    window->show();
    shown = window;
    return window;
}

} // namespace slm
