#include "graphs/LiveHistogramWindow.h"

#include "graphs/LiveTrends.h"
#include "shared/Twips.h"
#include "shared/WindowPlacement.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"
#include "views/plot/TrackModePicker.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>
#include <span>

namespace slm
{

namespace
{
QSize twipsSize(const QWidget* w, int width, int height)
{
    return {twipsToPixels(width, screenDpiX(w)), twipsToPixels(height, screenDpiY(w))};
}
} // namespace

LiveHistogramWindow::LiveHistogramWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("RealHistogram"));
    setWindowTitle(QStringLiteral("Histogram"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (parent)
        setWindowFlag(Qt::Window);

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolbar->setFixedHeight(twipsToPixels(GraphTopTwips, screenDpiY(this)));
    for (const char* name : {"Track", "Reset", "Print", "Print Preview"}) {
        QAction* action = addTool(name);
        const QString key = QString::fromLatin1(name);
        connect(action, &QAction::triggered, this, [this, key] { clickToolbar(key); });
        // A toolbar's buttons take no focus of their own; these are the window's only commands.
        m_toolbar->widgetForAction(action)->setFocusPolicy(Qt::TabFocus);
    }

    m_note = new QLabel(noSampleYetText(), this);
    m_note->setObjectName(QStringLiteral("LblNoSample"));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->hide();

    m_graph = new Graph(this);
    m_graph->setObjectName(QStringLiteral("CWGraph1"));
    m_graph->setAccessibleName(QStringLiteral("Level histogram"));
    m_graph->setTraceStyle(Graph::Style::Bars);
    m_graph->setAxisCaption(Graph::Axis::X, QStringLiteral("dB"));
    m_graph->setAxisCaption(Graph::Axis::Y, QStringLiteral("Frequency (Times)"));
    m_graph->setAxisLabelFormat(Graph::Axis::Y, QStringLiteral("0")); // counts: no half ticks
    m_graph->setMinimumSize(300, 200);

    m_trackBox = new QGroupBox(QStringLiteral("Track Mode"), this);
    m_trackBox->setObjectName(QStringLiteral("Picture1"));
    m_picker = new TrackModePicker(liveHistogramTrackModes(), m_trackBox);
    m_picker->attach(m_graph);
    m_picker->combo()->setAccessibleName(QStringLiteral("Track mode"));
    m_picker->description()->setAccessibleName(QStringLiteral("Track mode help"));
    m_picker->description()->setTabChangesFocus(true);
    auto* boxLayout = new QVBoxLayout(m_trackBox);
    boxLayout->addWidget(m_picker);
    m_trackBox->setFixedWidth(
        m_trackBox->fontMetrics().horizontalAdvance(QStringLiteral("Click anywhere on the plot")));
    m_trackBox->hide();
    connect(m_picker, &TrackModePicker::chosen, this, [this](int index, int) {
        if (index == ResetEntry)
            resetScale();
        m_trackBox->hide();
    });

    auto* graphColumn = new QVBoxLayout;
    graphColumn->addWidget(m_note);
    graphColumn->addWidget(m_graph, 1);
    auto* row = new QHBoxLayout;
    row->addLayout(graphColumn, 1);
    row->addWidget(m_trackBox, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addLayout(row, 1);
    setGraphMargins(0, 0);

    resize(twipsSize(this, WidthTwips, HeightTwips));
    placeAtScreenTopLeft(this);
}

LiveHistogramWindow::~LiveHistogramWindow() = default;

QAction* LiveHistogramWindow::addTool(const char* name)
{
    const QString text = QString::fromLatin1(name);
    QAction* action = m_toolbar->addAction(text);
    action->setObjectName(QString(text).remove(u' '));
    action->setToolTip(text);
    return action;
}

void LiveHistogramWindow::setGraphMargins(int left, int top)
{
    layout()->setContentsMargins(twipsToPixels(left, screenDpiX(this)), twipsToPixels(top, screenDpiY(this)),
                                 0, 0);
}

void LiveHistogramWindow::fill(const LiveHistogramView& view)
{
    m_graph->setAxisLabelFormat(Graph::Axis::X, view.labelFormat);
    m_graph->setAxisRange(Graph::Axis::X, view.xMin, view.xMax);
    // Y is left to the graph: from 0 to at least the largest count.
    m_graph->setAxisAutoScale(Graph::Axis::Y, true);
    m_graph->plotY(std::span<const int>(view.counts), 0, 1);
    m_note->setVisible(view.empty);
    const Graph::Range x = m_graph->axisRange(Graph::Axis::X);
    m_xMax = x.max;
    m_xMin = x.min;
    m_yMax = m_graph->axisRange(Graph::Axis::Y).max;
}

void LiveHistogramWindow::clickToolbar(const QString& name)
{
    m_trackBox->hide();
    if (name == u"Track") {
        m_trackBox->show();
        m_picker->combo()->setFocus();
    } else if (name == u"Reset") {
        resetScale();
    } else if (name == u"Print") {
        print();
    } else if (name == u"Print Preview") {
        printPreview();
    }
}

void LiveHistogramWindow::chooseTrackMode(int index)
{
    m_picker->choose(index);
    m_trackBox->hide();
}

void LiveHistogramWindow::resetScale()
{
    m_graph->setAxisRange(Graph::Axis::Y, 0, m_yMax);
    m_graph->setAxisRange(Graph::Axis::X, m_xMin, m_xMax);
}

bool LiveHistogramWindow::print()
{
    QPrinter printer;
    return printTo(printer);
}

bool LiveHistogramWindow::printPreview()
{
    QPrinter printer;
    return printTo(printer, PrintOutput::Preview);
}

bool LiveHistogramWindow::printTo(QPrinter& printer, PrintOutput output)
{
    QString caption;
    QSize size;
    GraphPrintJob job;
    job.window = this;
    job.graph = m_graph;
    job.hiddenWhilePrinting = {m_toolbar, m_trackBox};
    job.showPrinterNote = true;
    job.pagePerCopy = true;
    job.prepare = [this, &caption, &size] {
        caption = m_graph->axisCaption(Graph::Axis::Y);
        size = this->size();
        m_graph->setAxisCaption(Graph::Axis::Y, QString());
        // The graph keeps its size and moves in from the page's corner; the window grows for it.
        m_graph->setFixedSize(m_graph->size());
        setGraphMargins(PrintGraphMarginTwips, PrintGraphMarginTwips);
        resize(twipsSize(this, PrintWidthTwips, PrintHeightTwips));
    };
    job.restore = [this, &caption, &size] {
        m_graph->setMinimumSize(300, 200);
        m_graph->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setGraphMargins(0, 0);
        // The size it had: the design size, unless the screen or the user made it smaller. The
        // layout lets go of the printing size first, or the window could not shrink back.
        layout()->activate();
        resize(size);
        m_graph->setAxisCaption(Graph::Axis::Y, caption);
    };
    return outputGraphWindow(job, m_dialogs, printer, output);
}

LiveHistogramWindow* openLiveHistogram(QPointer<LiveHistogramWindow>& shown, const LiveTrends& trends,
                                       LiveClasses classes, Dialogs& dialogs, QWidget* parent)
{
    if (shown) {
        shown->close(); // deletes it on close
        delete shown.data();
    }
    auto* window = new LiveHistogramWindow(dialogs, parent);
    window->show();
    window->fill(liveHistogramView(trends, classes));
    shown = window;
    return window;
}

} // namespace slm
