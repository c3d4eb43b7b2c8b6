// The track-mode lists with their picker, and the printing of a graph window.
#include "shared/Dialogs.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"
#include "views/plot/TrackModePicker.h"
#include "views/plot/TrackModes.h"

#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace slm;

namespace
{

// Answers the printer dialog as scripted and records the messages shown.
class PrinterDialogs : public Dialogs
{
public:
    bool acceptPrinter = true;
    int copies = 1;
    int printerDialogs = 0;
    QStringList messages;

    void message(QWidget*, const QString& text, const QString&, Icon) override { messages << text; }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    QString input(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString openFile(QWidget*, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&) override { return {}; }
    bool choosePrinter(QWidget*, QPrinter& printer) override
    {
        ++printerDialogs;
        printer.setCopyCount(copies);
        return acceptPrinter;
    }
    // Draws the preview's pages onto the printer given, as the preview window would.
    bool previewPrint(QWidget*, QPrinter& printer, std::function<void(QPrinter*)> paint) override
    {
        ++previews;
        paint(&printer);
        return printFromPreview;
    }
    bool startProgram(const QString&, const QStringList&) override { return false; }

    int previews = 0;
    bool printFromPreview = false;
};

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPageCount(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page>") +
               pdf.count("/Type /Page "));
}

// A graph window in miniature: the graph and a frame of controls beside it.
struct MiniWindow {
    QWidget window;
    Graph* graph = nullptr;
    QWidget* frame = nullptr;
    MiniWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        graph = new Graph(&window);
        graph->setObjectName(QStringLiteral("CWGraph1"));
        frame = new QWidget(&window);
        frame->setObjectName(QStringLiteral("FrmGraphic"));
        frame->setMinimumHeight(40);
        layout->addWidget(graph);
        layout->addWidget(frame);
        graph->setPlotAreaColor(QColor(0x20, 0x20, 0x20));
        window.resize(600, 400);
        window.show();
    }
};

} // namespace

class TestGraphsModesPrint : public QObject
{
    Q_OBJECT

private slots:
    void trackModeTableTexts()
    {
        const char* entries[] = {"Normal", "Cursor Coordinates", "PanXY", "PanX", "PanY", "ZoomXY", "ZoomX",
                                 "ZoomY"};
        const char* helps[] = {
            "Normal mode",
            "Drag the cursor with your mouse to get X (Count) and Y (dB) position.",
            "Click anywhere on the plot area and drag to pan the graph both horizontally and vertically.",
            "Click anywhere on the plot area and drag to pan the graph horizontally.",
            "Click anywhere on the plot area and drag to pan the graph vertically.",
            "Select a region on the graph to zoom both horizontally and vertically.",
            "Select a region on the graph to zoom horizontally.",
            "Select a region on the graph to zoom vertically.",
        };
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(QByteArray(TrackModeTable[size_t(i)].entry), QByteArray(entries[i]));
            QCOMPARE(TrackModeTable[size_t(i)].mode, i + 1);
            QCOMPARE(QByteArray(TrackModeTable[size_t(i)].help), QByteArray(helps[i]));
        }
        QCOMPARE(QByteArray(liveGraphTrackModes()[1].help),
                 QByteArray("Drag the cursor with your mouse to get X (Count) and Y (Value) position."));
        const auto histogram = liveHistogramTrackModes();
        QCOMPARE(histogram.size(), size_t(8));
        QCOMPARE(QByteArray(histogram[1].entry), QByteArray("PanXY"));
        QCOMPARE(histogram[1].mode, 3);
        QCOMPARE(QByteArray(histogram[7].entry), QByteArray("Reset Scale"));
        QCOMPARE(histogram[7].mode, 0);
    }

    void pickerAppliesTheChosenMode()
    {
        Graph graph;
        TrackModePicker picker(recordPlotTrackModes());
        picker.attach(&graph);
        auto* combo = picker.findChild<QComboBox*>(QStringLiteral("Combo1"));
        auto* help = picker.findChild<QPlainTextEdit*>(QStringLiteral("txtDescription"));
        QVERIFY(combo && help);
        QCOMPARE(combo->count(), 8);
        QCOMPARE(combo->itemText(1), QStringLiteral("Cursor Coordinates"));
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(help->toPlainText(), QStringLiteral("Normal mode"));
        QVERIFY(help->isReadOnly());

        QSignalSpy chosen(&picker, &TrackModePicker::chosen);
        picker.choose(6);
        QCOMPARE(graph.trackMode(), TrackMode::ZoomX);
        QCOMPARE(help->toPlainText(), QStringLiteral("Select a region on the graph to zoom horizontally."));
        QCOMPARE(chosen.last().at(0).toInt(), 6);
        QCOMPARE(chosen.last().at(1).toInt(), 7);
        // A user's choice in the list goes the same way.
        emit combo->activated(3);
        QCOMPARE(graph.trackMode(), TrackMode::PanX);
        QCOMPARE(picker.currentIndex(), 3);
    }

    void resetEntryKeepsModeAndHelp()
    {
        Graph graph;
        TrackModePicker picker(liveHistogramTrackModes());
        picker.attach(&graph);
        picker.choose(4); // ZoomXY
        QSignalSpy chosen(&picker, &TrackModePicker::chosen);
        picker.choose(7);
        QCOMPARE(graph.trackMode(), TrackMode::ZoomXY);
        QCOMPARE(picker.description()->toPlainText(),
                 QStringLiteral("Select a region on the graph to zoom both horizontally and vertically."));
        QCOMPARE(chosen.last().at(1).toInt(), 0);
    }

    void printerNoteIsSixLinesJoinedByCr()
    {
        const QStringList lines = printerNoteText().split(QChar(13));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.first(), QStringLiteral("Note"));
        QCOMPARE(lines.last(),
                 QStringLiteral(
                     "For more information, see the manufacturer's documentation for the specific driver."));
        QVERIFY(!printerNoteText().contains(u'\n'));
    }

    void cancelledDialogPrintsNothingAndChangesNothing()
    {
        MiniWindow w;
        PrinterDialogs dialogs;
        dialogs.acceptPrinter = false;
        QTemporaryDir dir;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
        bool prepared = false;
        GraphPrintJob job{&w.window, w.graph, {w.frame}, true, false, [&] { prepared = true; }, {}};
        QVERIFY(!printGraphWindow(job, dialogs, printer));
        QCOMPARE(dialogs.printerDialogs, 1);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(!prepared);
        QVERIFY(!QFile::exists(printer.outputFileName()));
        QCOMPARE(w.graph->plotAreaColor(), QColor(0x20, 0x20, 0x20));
    }

    void printsWhiteWithoutFrameAndRestores_data()
    {
        QTest::addColumn<bool>("pagePerCopy");
        QTest::addColumn<int>("pages");
        QTest::newRow("one page") << false << 1;
        QTest::newRow("a page per copy") << true << 3;
    }

    void printsWhiteWithoutFrameAndRestores()
    {
        QFETCH(bool, pagePerCopy);
        QFETCH(int, pages);
        MiniWindow w;
        PrinterDialogs dialogs;
        dialogs.copies = 3;
        QTemporaryDir dir;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
        const QColor screenBackground = w.window.palette().color(QPalette::Window);
        QColor plotWhilePrinting;
        QColor graphBackgroundWhilePrinting;
        const QColor graphBackground = w.graph->backgroundColor();
        QColor backgroundWhilePrinting;
        bool frameHiddenWhilePrinting = false;
        QString captionWhilePrinting = QStringLiteral("unset");
        w.graph->setAxisCaption(Graph::Axis::Y, QStringLiteral("SPL (dB)"));
        GraphPrintJob job;
        job.window = &w.window;
        job.graph = w.graph;
        job.hiddenWhilePrinting = {w.frame};
        job.showPrinterNote = true;
        job.pagePerCopy = pagePerCopy;
        job.prepare = [&] {
            plotWhilePrinting = w.graph->plotAreaColor();
            graphBackgroundWhilePrinting = w.graph->backgroundColor();
            backgroundWhilePrinting = w.window.palette().color(QPalette::Window);
            frameHiddenWhilePrinting = w.frame->isHidden();
            w.graph->setAxisCaption(Graph::Axis::Y, QString());
            captionWhilePrinting = w.graph->axisCaption(Graph::Axis::Y);
        };
        job.restore = [&] { w.graph->setAxisCaption(Graph::Axis::Y, QStringLiteral("SPL (dB)")); };
        QVERIFY(printGraphWindow(job, dialogs, printer));
        QCOMPARE(dialogs.messages, QStringList{printerNoteText()});
        QCOMPARE(plotWhilePrinting, QColor(Qt::white));
        QCOMPARE(graphBackgroundWhilePrinting, QColor(Qt::white));
        QCOMPARE(backgroundWhilePrinting, QColor(Qt::white));
        QVERIFY(frameHiddenWhilePrinting);
        QCOMPARE(captionWhilePrinting, QString());
        QCOMPARE(pdfPageCount(printer.outputFileName()), pages);
        // Back on screen as before.
        QCOMPARE(w.graph->plotAreaColor(), QColor(0x20, 0x20, 0x20));
        QCOMPARE(w.window.palette().color(QPalette::Window), screenBackground);
        QCOMPARE(w.graph->backgroundColor(), graphBackground);
        QVERIFY(!w.frame->isHidden());
        QCOMPARE(w.graph->axisCaption(Graph::Axis::Y), QStringLiteral("SPL (dB)"));
    }

    void previewDrawsThePrintedPagesAndRestores()
    {
        MiniWindow w;
        w.graph->setAxisCaption(Graph::Axis::Y, QStringLiteral("SPL (dB)"));
        QTemporaryDir dir;
        PrinterDialogs dialogs;
        dialogs.copies = 2;
        QColor plotWhileDrawn;
        bool frameHiddenWhileDrawn = false;
        int restores = 0;
        GraphPrintJob job{&w.window,
                          w.graph,
                          {w.frame},
                          true,
                          true,
                          [&] {
                              plotWhileDrawn = w.graph->plotAreaColor();
                              frameHiddenWhileDrawn = w.frame->isHidden();
                          },
                          [&] { ++restores; }};

        // The preview's pages: drawn as "Print" draws them, no printer dialog and no note.
        const QString shown = dir.filePath(QStringLiteral("shown.pdf"));
        QPrinter preview;
        preview.setOutputFormat(QPrinter::PdfFormat);
        preview.setOutputFileName(shown);
        preview.setCopyCount(2);
        QVERIFY(!previewGraphWindow(job, dialogs, preview));
        QCOMPARE(dialogs.previews, 1);
        QCOMPARE(dialogs.printerDialogs, 0);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(plotWhileDrawn, QColor(Qt::white));
        QVERIFY(frameHiddenWhileDrawn);
        QCOMPARE(restores, 1);
        QCOMPARE(w.graph->plotAreaColor(), QColor(0x20, 0x20, 0x20));
        QVERIFY(!w.frame->isHidden());
        QCOMPARE(pdfPageCount(shown), 2); // a page per copy, as printed

        const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        QVERIFY(printGraphWindow(job, dialogs, printer));
        QCOMPARE(pdfPageCount(printed), 2);
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            const QString text = pdfText(printed);
            QVERIFY(text.contains(QStringLiteral("SPL (dB)")));
            QCOMPARE(pdfText(shown), text);
        }

        dialogs.printFromPreview = true;
        QVERIFY(previewGraphWindow(job, dialogs, printer));
    }

    void failedPrintStillRestoresTheScreen()
    {
        MiniWindow w;
        PrinterDialogs dialogs;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("/nonexistent-folder/for/sure/page.pdf"));
        bool restored = false;
        GraphPrintJob job{&w.window, w.graph, {w.frame}, false, false, {}, [&] { restored = true; }};
        QVERIFY(!printGraphWindow(job, dialogs, printer));
        QVERIFY(restored);
        QCOMPARE(w.graph->plotAreaColor(), QColor(0x20, 0x20, 0x20));
        QVERIFY(!w.frame->isHidden());
    }
};

QTEST_MAIN(TestGraphsModesPrint)
#include "test_graphs_modes_print.moc"
