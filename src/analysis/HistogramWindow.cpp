#include "analysis/HistogramWindow.h"

#include "shared/Dialogs.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"
#include "views/plot/TrackModePicker.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <qcustomplot.h>

namespace slm
{

std::vector<TrackModeEntry> histogramTrackModes()
{
    return {
        {"Normal", 1, "Normal mode"},
        {"PanXY", 3,
         "Clique em alguma parte da área de renderização e arraste para expandir o gráfico horizontal e "
         "verticalmente."},
        {"PanX", 4,
         "Clique em alguma parte da área de renderização e arraste para expandir o gráfico horizontalmente."},
        {"PanY", 5,
         "Clique em alguma parte da área de renderização e arraste para expandir o gráfico verticalmente."},
        {"ZoomXY", 6, "Selecione uma região do gráfico para aumentar o zoom horizontal e verticalmente."},
        {"ZoomX", 7, "Selecione uma região do gráfico para aumentar o zoom horizontalmente."},
        {"ZoomY", 8, "Selecione uma região do gráfico para aumentar o zoom verticalmente."},
        // An action: the window sets the plain mode itself and the help text stays.
        {"Reset", 0, ""},
    };
}

namespace
{

constexpr int TableColumns = 11;
constexpr int TableRows = 10;

} // namespace

HistogramWindow::HistogramWindow(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Histogram"));
    setWindowTitle(QStringLiteral("Histogram"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (parent)
        setWindowFlag(Qt::Window);

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* limit = m_toolbar->addAction(QStringLiteral("Limit"));
    limit->setObjectName(QStringLiteral("Limit"));
    limit->setToolTip(QStringLiteral("Limit"));
    connect(limit, &QAction::triggered, this, &HistogramWindow::toggleLimit);
    QAction* print = m_toolbar->addAction(QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("Print"));
    print->setToolTip(QStringLiteral("Print"));
    connect(print, &QAction::triggered, this, [this] { this->print(); });
    QAction* preview = m_toolbar->addAction(QStringLiteral("Print Preview"));
    preview->setObjectName(QStringLiteral("PrintPreview"));
    preview->setToolTip(QStringLiteral("Print Preview"));
    connect(preview, &QAction::triggered, this, [this] { printPreview(); });

    m_graph = new Graph(this);
    m_graph->setObjectName(QStringLiteral("CWG"));
    m_graph->setTraceStyle(Graph::Style::Bars);
    m_graph->setAxisCaption(Graph::Axis::X, QStringLiteral("dB"));
    m_graph->setAxisCaption(Graph::Axis::Y, QStringLiteral("Frequency (Times)"));
    m_graph->setAxisLabelFormat(Graph::Axis::X, QStringLiteral("*.1"));
    m_graph->setMinimumSize(420, 260);
    // Cursor-1 and Cursor-2: every track mode of this window keeps them hidden.
    for (int i = 0; i < 2; ++i)
        m_graph->setCursorVisible(m_graph->addCursor(), false);

    m_trackBox = new QGroupBox(QStringLiteral("Track Mode"), this);
    m_trackBox->setObjectName(QStringLiteral("Picture1"));
    auto* boxLayout = new QVBoxLayout(m_trackBox);
    m_picker = new TrackModePicker(histogramTrackModes(), m_trackBox);
    m_picker->attach(m_graph);
    boxLayout->addWidget(m_picker);
    m_trackBox->setFixedWidth(230);
    m_trackBox->hide();
    // The combo's own activation goes through the picker (mode and help text); what the window
    // adds (cursors, reset, hiding the box) follows here.
    connect(m_picker, &TrackModePicker::chosen, this, [this](int index, int) {
        for (int c = 1; c <= m_graph->cursorCount(); ++c)
            m_graph->setCursorVisible(c, false);
        if (index == HistogramResetEntry)
            resetRanges();
        m_trackBox->hide();
    });

    m_table = new QTableWidget(TableRows, TableColumns, this);
    m_table->setObjectName(QStringLiteral("GridLn"));
    m_table->setAccessibleName(QStringLiteral("Ln"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUpTable();

    auto* top = new QHBoxLayout;
    top->addWidget(m_graph, 1);
    top->addWidget(m_trackBox, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addWidget(m_toolbar);
    layout->addLayout(top, 1);
    layout->addWidget(m_table, 0, Qt::AlignLeft);

    move(0, 0);
}

HistogramWindow::HistogramWindow(const LnResult& result, Dialogs& dialogs, QWidget* parent)
    : HistogramWindow(dialogs, parent)
{
    showResult(result);
}

HistogramWindow::~HistogramWindow() = default;

void HistogramWindow::setUpTable()
{
    // Title row: "Ln" over the row titles, then " 0" .. " 9" over the units digit of p.
    QStringList titles{QStringLiteral("Ln")};
    for (int c = 0; c < 10; ++c)
        titles << QStringLiteral(" ") + QChar(u'0' + c);
    m_table->setHorizontalHeaderLabels(titles);
    const QFontMetrics metrics(font());
    m_table->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("ABCDEFAA1")));
    for (int c = 1; c < TableColumns; ++c)
        m_table->setColumnWidth(c, metrics.horizontalAdvance(QStringLiteral("ABCDEFAA")));
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Rows as high as the text needs, so the ten rows sit under the graph without scrolling.
    m_table->verticalHeader()->setDefaultSectionSize(metrics.height() + 8);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int r = 0; r < TableRows; ++r)
        for (int c = 0; c < TableColumns; ++c)
            m_table->setItem(r, c, new QTableWidgetItem);

    int width = 2 * m_table->frameWidth();
    for (int c = 0; c < TableColumns; ++c)
        width += m_table->columnWidth(c);
    int height = 2 * m_table->frameWidth() + m_table->horizontalHeader()->sizeHint().height();
    for (int r = 0; r < TableRows; ++r)
        height += m_table->rowHeight(r);
    m_table->setFixedSize(width, height);
}

bool HistogramWindow::showResult(const LnResult& result)
{
    if (!result.drawable()) {
        m_dialogs.message(this, lnNothingToDrawMessage(), windowTitle(), Dialogs::Icon::Information);
        return false;
    }
    m_classMin = result.classMin;
    m_classMax = result.classMax;
    m_yMax = result.yMax;

    m_graph->setAxisLabelFormat(Graph::Axis::X, result.xLabelFormat());
    // The count of class k stands at x = k + 1, so the range ends one class above the highest.
    std::vector<double> counts(result.counts.begin(), result.counts.end());
    m_graph->plotY(counts, 1, 1);
    resetRanges();

    for (int r = 0; r < TableRows; ++r) {
        const QStringList cells =
            r < result.tableRows.size() ? result.tableRows[r].split(QChar(9)) : QStringList();
        for (int c = 0; c < TableColumns; ++c)
            m_table->item(r, c)->setText(c < cells.size() ? cells[c] : QString());
    }
    return true;
}

void HistogramWindow::resetRanges()
{
    m_graph->setAxisRange(Graph::Axis::X, m_classMin, m_classMax + 1);
    m_graph->setAxisRange(Graph::Axis::Y, 0, m_yMax);
    m_graph->setTrackMode(TrackMode::Normal);
    m_graph->requestReplot();
}

void HistogramWindow::chooseTrackMode(int index)
{
    if (index < 0 || index >= m_picker->entryCount()) {
        m_dialogs.message(this, QStringLiteral("Select a valid TrackMode."), QString(), Dialogs::Icon::None);
        m_trackBox->hide();
        return;
    }
    m_picker->choose(index);
}

void HistogramWindow::toggleLimit()
{
    m_trackBox->setVisible(m_trackBox->isHidden());
}

bool HistogramWindow::print()
{
    // At screen resolution the window's pixels and its fonts keep their proportions on the page;
    // the output is lines and text either way.
    QPrinter printer;
    if (QPrinterInfo::availablePrinters().isEmpty() || !printer.isValid()) {
        // No printer on this system: rather than fail without a word, offer a PDF file.
        const QString path = m_dialogs.saveFile(this, QStringLiteral("PDF Files (*.pdf)|*.pdf|"));
        if (path.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
    }
    return printTo(printer);
}

bool HistogramWindow::printTo(QPrinter& printer)
{
    m_toolbar->hide();
    m_trackBox->hide();
    // The page shows the window as it stands without them; lay it out again before drawing.
    if (layout())
        layout()->activate();
    m_graph->replotNow();
    bool printed = false;
    {
        QCPPainter painter;
        if (painter.begin(&printer)) {
            painter.setModes(QCPPainter::pmVectorized | QCPPainter::pmNoCaching);
            drawWindowPage(this, painter, m_graph);
            printed = painter.end();
        }
    }
    m_toolbar->show();
    if (layout())
        layout()->activate();
    m_graph->requestReplot();
    return printed;
}

bool HistogramWindow::printPreview()
{
    QPrinter printer;
    return printPreview(printer);
}

bool HistogramWindow::printPreview(QPrinter& printer)
{
    return m_dialogs.previewPrint(this, printer, [this](QPrinter* target) { printTo(*target); });
}

HistogramWindow* showLnResult(QPointer<HistogramWindow>& shown, const LnResult& result, Dialogs& dialogs,
                              QWidget* parent)
{
    if (!result.drawable()) {
        dialogs.message(shown ? static_cast<QWidget*>(shown) : parent, lnNothingToDrawMessage(),
                        QStringLiteral("Histogram"), Dialogs::Icon::Information);
        return shown;
    }
    if (shown) {
        shown->close(); // deletes it on close
        delete shown.data();
    }
    shown = new HistogramWindow(result, dialogs, parent);
    shown->show();
    return shown;
}

} // namespace slm
