// The histogram window: its controls, the graph and table of a run, the track-mode box, "Reset",
// printing to a PDF read back as text, and the table as a screen reader sees it.
#include "analysis/HistogramWindow.h"
#include "analysis/LnStatistics.h"
#include "support/ScriptedDialogs.h"
#include "views/plot/Graph.h"
#include "views/plot/TrackModePicker.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

using namespace slm;

namespace
{

LnResult compute(const QStringList& levels, LnResolution resolution)
{
    return ComputeLnStatistics(std::span<const QString>(levels.begin(), levels.end()), resolution);
}

LnResult workedExample()
{
    return compute({"60.0", "61.0", "62.0", "63.0"}, LnResolution::TenthDb);
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QAction* toolAction(HistogramWindow& w, const QString& key)
{
    return w.toolbar()->findChild<QAction*>(key);
}

} // namespace

class TestAnalysisHistogram : public QObject
{
    Q_OBJECT
private slots:
    void controlsAndTitleRow();
    void runFillsGraphAndTable();
    void nextRunReplacesTheFirst();
    void emptyResultKeepsWhatIsShown();
    void eachRunOpensItsOwnWindow();
    void trackModesHideBoxAndCursors();
    void resetBringsBackComputedRanges();
    void invalidChoiceSaysSo();
    void printGoesToPdfWithoutToolbarOrBox();
    void previewShowsThePrintedPage();
    void tableIsReadableByScreenReaders();
};

void TestAnalysisHistogram::controlsAndTitleRow()
{
    ScriptedDialogs dialogs;
    HistogramWindow w(dialogs);
    QCOMPARE(w.objectName(), QStringLiteral("Histogram"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Histogram"));
    QCOMPARE(w.pos(), QPoint(0, 0));
    QVERIFY(w.findChild<Graph*>(QStringLiteral("CWG")));
    QVERIFY(w.findChild<QTableWidget*>(QStringLiteral("GridLn")));
    QVERIFY(w.findChild<QWidget*>(QStringLiteral("Picture1")));
    QVERIFY(w.findChild<QComboBox*>(QStringLiteral("Combo1")));
    QVERIFY(w.findChild<QPlainTextEdit*>(QStringLiteral("txtDescription")));
    QVERIFY(w.findChild<QToolBar*>(QStringLiteral("Toolbar1")));
    QCOMPARE(toolAction(w, "Limit")->toolTip(), QStringLiteral("Limit"));
    QCOMPARE(toolAction(w, "Print")->toolTip(), QStringLiteral("Print"));
    QCOMPARE(w.graph()->axisCaption(Graph::Axis::X), QStringLiteral("dB"));
    QCOMPARE(w.graph()->axisCaption(Graph::Axis::Y), QStringLiteral("Frequency (Times)"));
    QCOMPARE(w.graph()->axisLabelFormat(Graph::Axis::X), QStringLiteral("*.1"));
    QCOMPARE(w.graph()->cursorCount(), 2);

    QCOMPARE(w.picker()->combo()->count(), 8);
    const QStringList entries{"Normal", "PanXY", "PanX", "PanY", "ZoomXY", "ZoomX", "ZoomY", "Reset"};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(w.picker()->combo()->itemText(i), entries[i]);
    QCOMPARE(w.picker()->combo()->currentText(), QStringLiteral("Normal"));

    QTableWidget* t = w.table();
    QCOMPARE(t->columnCount(), 11);
    QCOMPARE(t->rowCount(), 10);
    QCOMPARE(t->horizontalHeaderItem(0)->text(), QStringLiteral("Ln"));
    for (int c = 0; c < 10; ++c)
        QCOMPARE(t->horizontalHeaderItem(c + 1)->text(), QStringLiteral(" %1").arg(c));
    const QFontMetrics fm(w.font());
    QCOMPARE(t->columnWidth(0), fm.horizontalAdvance(QStringLiteral("ABCDEFAA1")));
    for (int c = 1; c < 11; ++c)
        QCOMPARE(t->columnWidth(c), fm.horizontalAdvance(QStringLiteral("ABCDEFAA")));
}

void TestAnalysisHistogram::runFillsGraphAndTable()
{
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    Graph* g = w.graph();
    QCOMPARE(g->axisLabelFormat(Graph::Axis::X), QStringLiteral("*0.1"));
    QCOMPARE(g->axisRange(Graph::Axis::X).min, 600.0);
    QCOMPARE(g->axisRange(Graph::Axis::X).max, 631.0);
    QCOMPARE(g->tickLabel(Graph::Axis::X, 600), QStringLiteral("60.0"));
    QCOMPARE(g->tickLabel(Graph::Axis::X, 631), QStringLiteral("63.1"));
    // One bar per class, the count of class k at x = k + 1.
    QCOMPARE(g->pointCount(), 1451);
    QCOMPARE(g->pointX(600), 601.0);
    QCOMPARE(g->pointY(600), 1.0);
    QCOMPARE(g->pointY(601), 0.0);
    QCOMPARE(g->axisRange(Graph::Axis::Y).min, 0.0);
    QCOMPARE(g->axisRange(Graph::Axis::Y).max, w.yMax());
    QVERIFY(w.yMax() >= 1.0);

    QTableWidget* t = w.table();
    QCOMPARE(t->item(0, 0)->text(), QStringLiteral("L(00)"));
    QCOMPARE(t->item(9, 0)->text(), QStringLiteral("L(90)"));
    QCOMPARE(t->item(0, 1)->text(), QStringLiteral("63.0"));  // L0
    QCOMPARE(t->item(9, 10)->text(), QStringLiteral("60.0")); // L99
    QCOMPARE(t->item(5, 1)->text(), QStringLiteral("61.0"));  // L50
    QCOMPARE(t->item(1, 1)->text(), QStringLiteral("63.0"));  // L10
    QCOMPARE(t->item(9, 1)->text(), QStringLiteral("60.0"));  // L90
    // The cell under " 5" in the second data row is L15: T = 3.38, the fourth class.
    QCOMPARE(t->item(1, 6)->text(), QStringLiteral("63.0"));
    QVERIFY(t->editTriggers() == QAbstractItemView::NoEditTriggers);
}

void TestAnalysisHistogram::nextRunReplacesTheFirst()
{
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    QVERIFY(w.showResult(compute({"40.2", "90.7", "90.7"}, LnResolution::WholeDb)));
    Graph* g = w.graph();
    QCOMPARE(g->axisLabelFormat(Graph::Axis::X), QStringLiteral("0"));
    QCOMPARE(g->pointCount(), 146);
    QCOMPARE(g->axisRange(Graph::Axis::X).min, 40.0);
    QCOMPARE(g->axisRange(Graph::Axis::X).max, 91.0);
    QCOMPARE(g->pointY(90), 2.0);
    QCOMPARE(w.table()->item(0, 1)->text(), QStringLiteral("90"));
    QCOMPARE(w.table()->item(9, 10)->text(), QStringLiteral("40"));
    QCOMPARE(w.classMin(), 40);
    QCOMPARE(w.classMax(), 90);
    QVERIFY(dialogs.messages.isEmpty());
}

void TestAnalysisHistogram::emptyResultKeepsWhatIsShown()
{
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    QVERIFY(!w.showResult(compute({"60.0*", "XXX"}, LnResolution::WholeDb)));
    QCOMPARE(dialogs.messageTexts(), QStringList{lnNothingToDrawMessage()});
    QCOMPARE(w.graph()->axisLabelFormat(Graph::Axis::X), QStringLiteral("*0.1"));
    QCOMPARE(w.graph()->pointCount(), 1451);
    QCOMPARE(w.table()->item(0, 1)->text(), QStringLiteral("63.0"));
    QCOMPARE(w.classMin(), 600);
}

void TestAnalysisHistogram::eachRunOpensItsOwnWindow()
{
    ScriptedDialogs dialogs;
    QWidget panel;
    QPointer<HistogramWindow> shown;
    HistogramWindow* first = showLnResult(shown, workedExample(), dialogs, &panel);
    QVERIFY(first && first->isVisible());
    QPointer<HistogramWindow> firstAlive(first);
    first->chooseTrackMode(5); // ZoomX; a new run starts from the plain mode again

    HistogramWindow* second =
        showLnResult(shown, compute({"50.0", "55.0"}, LnResolution::WholeDb), dialogs, &panel);
    QVERIFY(!firstAlive);
    QCOMPARE(shown.data(), second);
    QVERIFY(second->isVisible());
    QVERIFY(second->graph()->trackMode() == TrackMode::Normal);
    QCOMPARE(second->picker()->combo()->currentText(), QStringLiteral("Normal"));
    QCOMPARE(second->table()->item(0, 1)->text(), QStringLiteral("55"));
    QCOMPARE(panel.findChildren<HistogramWindow*>().size(), 1);

    // Nothing to draw: the last window stays as it was, and the user is told.
    QCOMPARE(showLnResult(shown, compute({"1*"}, LnResolution::TenthDb), dialogs, &panel), second);
    QCOMPARE(dialogs.messageTexts(), QStringList{lnNothingToDrawMessage()});
    QCOMPARE(second->table()->item(0, 1)->text(), QStringLiteral("55"));

    // The user closed the window: the next run opens a fresh one.
    second->close();
    QTRY_VERIFY(!shown);
    QVERIFY(showLnResult(shown, workedExample(), dialogs, &panel));
    QCOMPARE(shown->table()->item(0, 1)->text(), QStringLiteral("63.0"));
}

void TestAnalysisHistogram::trackModesHideBoxAndCursors()
{
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    w.show();
    QVERIFY(w.trackBox()->isHidden());
    w.toggleLimit();
    QVERIFY(w.trackBox()->isVisible());
    w.toggleLimit();
    QVERIFY(w.trackBox()->isHidden());

    const std::vector<TrackModeEntry> modes = histogramTrackModes();
    for (int i = 0; i < 7; ++i) {
        toolAction(w, "Limit")->trigger();
        QVERIFY(w.trackBox()->isVisible());
        w.graph()->setCursorVisible(1, true);
        // A user's pick in the list, through the combo's own signal.
        emit w.picker()->combo()->activated(i);
        QVERIFY(w.trackBox()->isHidden());
        QCOMPARE(int(w.graph()->trackMode()), modes[size_t(i)].mode);
        QCOMPARE(w.picker()->description()->toPlainText(), QString::fromUtf8(modes[size_t(i)].help));
        QVERIFY(!w.graph()->cursorVisible(1));
        QVERIFY(!w.graph()->cursorVisible(2));
    }
    QCOMPARE(w.picker()->description()->toPlainText(),
             QString::fromUtf8("Selecione uma região do gráfico para aumentar o zoom verticalmente."));
    w.chooseTrackMode(1);
    QCOMPARE(w.picker()->description()->toPlainText(),
             QString::fromUtf8("Clique em alguma parte da área de renderização e arraste para expandir o "
                               "gráfico horizontal e verticalmente."));
}

void TestAnalysisHistogram::resetBringsBackComputedRanges()
{
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    w.show();
    w.chooseTrackMode(4); // ZoomXY
    const QString zoomHelp = w.picker()->description()->toPlainText();
    w.graph()->setAxisRange(Graph::Axis::X, 610, 615);
    w.graph()->setAxisRange(Graph::Axis::Y, 0.2, 0.5);
    w.toggleLimit();
    w.chooseTrackMode(HistogramResetEntry);
    QVERIFY(w.trackBox()->isHidden());
    QVERIFY(w.graph()->trackMode() == TrackMode::Normal);
    QCOMPARE(w.graph()->axisRange(Graph::Axis::X).min, 600.0);
    QCOMPARE(w.graph()->axisRange(Graph::Axis::X).max, 631.0);
    QCOMPARE(w.graph()->axisRange(Graph::Axis::Y).min, 0.0);
    QCOMPARE(w.graph()->axisRange(Graph::Axis::Y).max, w.yMax());
    QCOMPARE(w.picker()->description()->toPlainText(), zoomHelp);
}

void TestAnalysisHistogram::invalidChoiceSaysSo()
{
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    w.show();
    w.toggleLimit();
    w.chooseTrackMode(-1);
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral("Select a valid TrackMode.")});
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::None);
    QVERIFY(w.trackBox()->isHidden());
    w.chooseTrackMode(8);
    QCOMPARE(dialogs.messages.size(), 2);
}

void TestAnalysisHistogram::printGoesToPdfWithoutToolbarOrBox()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    w.resize(820, 640);
    w.show();
    w.toggleLimit();
    QVERIFY(w.trackBox()->isVisible());

    const QString path = dir.filePath(QStringLiteral("histogram.pdf"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    QVERIFY(w.printTo(printer));
    QVERIFY(w.toolbar()->isVisible());
    QVERIFY(w.trackBox()->isHidden());

    const QString text = pdfText(path);
    QVERIFY2(text.contains(QStringLiteral("L(00)")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("L(90)")));
    QVERIFY(text.contains(QStringLiteral("63.0")));
    QVERIFY(text.contains(QStringLiteral("Frequency (Times)")));
    QVERIFY(text.contains(QStringLiteral("dB")));
    QVERIFY(!text.contains(QStringLiteral("Limit")));
    QVERIFY(!text.contains(QStringLiteral("Track Mode")));
    QVERIFY(!text.contains(QStringLiteral("Normal")));

    // Print from the toolbar: without a printer the user is asked for a PDF file; no answer
    // prints nothing and says nothing more.
    const QString asked = dir.filePath(QStringLiteral("asked.pdf"));
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        QVERIFY(!w.print());
        QCOMPARE(dialogs.saveDialogs, 1);
        dialogs.saveAnswers.enqueue(asked);
        toolAction(w, "Print")->trigger();
        QCOMPARE(dialogs.saveDialogs, 2);
        QVERIFY(pdfText(asked).contains(QStringLiteral("L(50)")));
        QVERIFY(w.toolbar()->isVisible());
    } else {
        qInfo("a printer is installed: the PDF fallback is not exercised");
    }
}

void TestAnalysisHistogram::previewShowsThePrintedPage()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    w.resize(820, 640);
    w.show();
    QAction* preview = toolAction(w, "PrintPreview");
    QVERIFY(preview);
    QCOMPARE(preview->toolTip(), QStringLiteral("Print Preview"));

    // Closed without printing: the preview showed the page, nothing was printed.
    dialogs.previewPdfPath = dir.filePath(QStringLiteral("shown.pdf"));
    preview->trigger();
    QCOMPARE(dialogs.previewDialogs, 1);
    QVERIFY(w.toolbar()->isVisible());

    // Printed from the preview: the page sent is the page shown, and the page "Print" sends.
    const QString sent = dir.filePath(QStringLiteral("sent.pdf"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(sent);
    dialogs.previewAnswers << true;
    QVERIFY(w.printPreview(printer));
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    QPrinter direct;
    direct.setOutputFormat(QPrinter::PdfFormat);
    direct.setOutputFileName(printed);
    QVERIFY(w.printTo(direct));
    const QString page = pdfText(printed);
    QVERIFY(page.contains(QStringLiteral("L(50)")));
    QCOMPARE(pdfText(sent), page);
    QCOMPARE(pdfText(dir.filePath(QStringLiteral("shown.pdf"))), page);
}

void TestAnalysisHistogram::tableIsReadableByScreenReaders()
{
    ScriptedDialogs dialogs;
    HistogramWindow w(workedExample(), dialogs);
    w.show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w.table());
    QVERIFY(iface);
    QAccessibleTableInterface* table = iface->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 10);
    QCOMPARE(table->columnCount(), 11);
    QAccessibleInterface* cell = table->cellAt(1, 6);
    QVERIFY(cell);
    QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("63.0"));
    QAccessibleTableCellInterface* tc = cell->tableCellInterface();
    QVERIFY(tc);
    const QList<QAccessibleInterface*> headers = tc->columnHeaderCells();
    QCOMPARE(headers.size(), 1);
    QCOMPARE(headers.first()->text(QAccessible::Name), QStringLiteral(" 5"));
    // Qt registers a new header interface on every call and frees it only when told to.
    for (QAccessibleInterface* header : headers)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(header));
    QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), QStringLiteral("L(00)"));
    QVERIFY(cell->state().readOnly || !cell->state().editable);
}

QTEST_MAIN(TestAnalysisHistogram)
#include "test_analysis_histogram.moc"
