// The live graph and the live histogram: their filling from the trends, edits, track modes,
// resets and printing.
#include "graphs/LiveGraphWindow.h"
#include "graphs/LiveHistogramWindow.h"
#include "graphs/LiveTrends.h"
#include "support/RunTests.h"
#include "support/ScriptedDialogs.h"
#include "views/plot/CursorInfoFrame.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"
#include "views/plot/GraphRangeFrame.h"
#include "views/plot/GraphicFrame.h"
#include "views/plot/TrackModePicker.h"
#include "views/plot/TrackModes.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <memory>
#include <qcustomplot.h>

using namespace slm;

namespace
{

using Edit = GraphRangeFrame::Edit;

void addLevels(LiveTrends& trends, std::initializer_list<double> levels, double leq = 0.0)
{
    for (double level : levels)
        trends.addSample(level, leq, leq);
}

void compareRange(const Graph::Range& r, double min, double max)
{
    QCOMPARE(r.min, min);
    QCOMPARE(r.max, max);
}

double editValue(LiveGraphWindow& w, Edit which)
{
    return w.frame()->ranges()->value(which);
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    if (!p.waitForFinished(10000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page>") + pdf.count("/Type /Page "));
}

// The two windows opened as a click on the panel opens them.
struct Windows {
    ScriptedDialogs dialogs;
    QPointer<LiveGraphWindow> graph;
    QPointer<LiveHistogramWindow> histogram;
    ~Windows()
    {
        delete graph.data();
        delete histogram.data();
    }
    LiveGraphWindow& openGraph(const LiveTrends& t, LiveTrend trend, const char* unit = "SPL (dB)")
    {
        return *openLiveGraph(graph, t, trend, QString::fromLatin1(unit), dialogs, nullptr);
    }
    LiveHistogramWindow& openHistogram(const LiveTrends& t, LiveClasses classes)
    {
        return *openLiveHistogram(histogram, t, classes, dialogs, nullptr);
    }
};

} // namespace

class LiveGraphTest : public QObject
{
    Q_OBJECT
private slots:
    void tenSamplesAreTenPointsFromOne()
    {
        LiveTrends trends;
        for (int i = 0; i < 10; ++i)
            trends.addSample(50 + i, 51.5, 80.0);
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        QCOMPARE(g.windowTitle(), QStringLiteral("Real Time Graph"));
        QCOMPARE(g.objectName(), QStringLiteral("RealTimeGraph"));
        QCOMPARE(g.graph()->pointCount(), 10);
        QCOMPARE(g.graph()->pointX(0), 1.0);
        QCOMPARE(g.graph()->pointX(9), 10.0);
        QCOMPARE(g.graph()->pointY(9), 59.0);
        compareRange(g.graph()->axisRange(Graph::Axis::X), 1, 10);
        QCOMPARE(editValue(g, Edit::XMax), 10.0);
        QCOMPARE(editValue(g, Edit::XMin), 1.0);
        QCOMPARE(g.unitLabel()->text(), QStringLiteral("SPL (dB)"));
        QCOMPARE(g.unitLabel()->objectName(), QStringLiteral("LblUnit"));
        QCOMPARE(g.graph()->axisCaption(Graph::Axis::Y), QStringLiteral("SPL (dB)"));
        QVERIFY(g.noSampleNote()->isHidden());
        // Two cursors from the start, both hidden; "Normal" chosen.
        QCOMPARE(g.graph()->cursorCount(), 2);
        QVERIFY(!g.graph()->cursorVisible(1) && !g.graph()->cursorVisible(2));
        QCOMPARE(g.frame()->picker()->currentIndex(), 0);
        QCOMPARE(g.pos(), QPoint(0, 0));
    }

    void yRangeFromTheTrendsExtremes()
    {
        LiveTrends trends;
        addLevels(trends, {55.0, 40.0, 72.5, 61.3});
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        compareRange(g.graph()->axisRange(Graph::Axis::Y), 40, 72.5);
        QCOMPARE(editValue(g, Edit::YMin), 40.0);
        QCOMPARE(editValue(g, Edit::YMax), 72.5);

        // Leq and SEL chart the number of their texts; "XXX" has none, so every point is 0 and
        // the empty range 0..0 is widened to show the line; the edits show it beyond their 20..150.
        for (LiveTrend trend : {LiveTrend::Leq, LiveTrend::Sel}) {
            LiveGraphWindow& v =
                w.openGraph(trends, trend, trend == LiveTrend::Leq ? "Leq (dB)" : "SEL (dB)");
            QCOMPARE(v.graph()->pointCount(), 4);
            for (int i = 0; i < 4; ++i)
                QCOMPARE(v.graph()->pointY(i), 0.0);
            compareRange(v.graph()->axisRange(Graph::Axis::Y), -1, 1);
            QCOMPARE(editValue(v, Edit::YMin), -1.0);
            QCOMPARE(editValue(v, Edit::YMax), 1.0);
        }
        QCOMPARE(w.graph->unitLabel()->text(), QStringLiteral("SEL (dB)"));

        LiveTrends numbers;
        numbers.addSample(60, 58.2, 96.0);
        numbers.addSample(61, 59.4, 99.1);
        LiveGraphWindow& sel = w.openGraph(numbers, LiveTrend::Sel, "SEL (dB)");
        compareRange(sel.graph()->axisRange(Graph::Axis::Y), 96.0, 99.1);
        QCOMPARE(sel.graph()->pointY(1), 99.1);
    }

    void programFillingIsNotAppliedEditByEditButAUsersEditIsAtOnce()
    {
        LiveTrends trends;
        addLevels(trends, {50.0, 60.0, 70.0});
        Windows w;
        auto* g = new LiveGraphWindow(w.dialogs);
        w.graph = g;
        QSignalSpy yChanges(g->graph()->plot()->yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged));
        QSignalSpy xChanges(g->graph()->plot()->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged));
        QSignalSpy edits(g->frame()->ranges(), &GraphRangeFrame::edited);
        g->fill(liveGraphView(trends, LiveTrend::Level, QStringLiteral("SPL (dB)")));
        QCOMPARE(edits.count(), 0);
        // One range per axis, the view's: no stop on the way at an edit's half-filled values.
        QCOMPARE(yChanges.count(), 1);
        QCOMPARE(xChanges.count(), 1);
        g->show();

        g->frame()->ranges()->axisMin(2)->setValue(55.0); // as typed by the user
        compareRange(g->graph()->axisRange(Graph::Axis::Y), 55, 70);
        compareRange(g->graph()->axisRange(Graph::Axis::X), 1, 3);
        // A minimum not below the maximum is refused and the range stays.
        g->frame()->ranges()->axisMin(2)->setValue(70.0);
        QCOMPARE(editValue(*g, Edit::YMin), 55.0);
        compareRange(g->graph()->axisRange(Graph::Axis::Y), 55, 70);
    }

    void countsAboveTheEditsRangeAreShownAsSet()
    {
        LiveTrends trends;
        for (int i = 0; i < 70000; ++i)
            trends.addSample(40.0 + (i % 100) / 10.0, 0.0, 0.0);
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        QCOMPARE(editValue(g, Edit::XMax), 70000.0);
        QVERIFY(g.frame()->ranges()->axisMax(1)->maximum() >= 70000);
        compareRange(g.graph()->axisRange(Graph::Axis::X), 1, 70000);
    }

    void afterAWrapOnlyTheSlotsSinceTheWrap()
    {
        LiveTrends trends;
        for (int i = 0; i < TrendSlots; ++i)
            trends.addSample(50.0, 0.0, 0.0);
        addLevels(trends, {61.0, 62.0, 63.0});
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        QCOMPARE(g.graph()->pointCount(), 3);
        QCOMPARE(g.graph()->pointY(0), 61.0);
        QCOMPARE(g.graph()->pointY(2), 63.0);
        QCOMPARE(editValue(g, Edit::XMax), 3.0);
    }

    void theWindowIsASnapshot()
    {
        LiveTrends trends;
        addLevels(trends, {50.0, 51.0, 52.0});
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        addLevels(trends, {90.0, 91.0});
        // "Refresh" and new samples overwrite the slots the window shows.
        trends.clearForRefresh();
        addLevels(trends, {30.0, 31.0});
        QCOMPARE(g.graph()->pointCount(), 3);
        QCOMPARE(g.graph()->pointY(0), 50.0);
        QCOMPARE(g.graph()->pointY(2), 52.0);
        QCOMPARE(trends.levelTrend()[0], 30.0);
        compareRange(g.graph()->axisRange(Graph::Axis::Y), 50, 52);

        // A new click rebuilds it with what is there now, closing the old window.
        QPointer<LiveGraphWindow> old = &g;
        LiveGraphWindow& again = w.openGraph(trends, LiveTrend::Level);
        QVERIFY(old.isNull());
        QCOMPARE(again.graph()->pointCount(), 2);
        QCOMPARE(again.graph()->pointY(0), 30.0);
    }

    void beforeAnySampleAnEmptyGraphWithANote()
    {
        LiveTrends trends;
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        QCOMPARE(g.graph()->pointCount(), 0);
        QVERIFY(g.noSampleNote()->isVisible());
        QCOMPARE(g.noSampleNote()->text(), noSampleYetText());
        compareRange(g.graph()->axisRange(Graph::Axis::Y), 25, 145);
        QCOMPARE(editValue(g, Edit::XMax), 0.0);
        // After a link loss the count restarts too: the same empty view.
        addLevels(trends, {50.0});
        trends.clearForLinkLoss();
        LiveGraphWindow& lost = w.openGraph(trends, LiveTrend::Level);
        QCOMPARE(lost.graph()->pointCount(), 0);
        QVERIFY(lost.noSampleNote()->isVisible());
    }

    void cursorModeShowsCursorOneAtTheCentreAndPrintingHidesIt()
    {
        LiveTrends trends;
        addLevels(trends, {40.0, 50.0, 60.0, 70.0, 80.0});
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        g.chooseTrackMode(CursorEntry);
        QCOMPARE(g.graph()->cursorCount(), 2);
        QVERIFY(g.graph()->cursorVisible(1));
        QVERIFY(!g.graph()->cursorVisible(2));
        QCOMPARE(g.graph()->cursorX(1), 3.0);
        QCOMPARE(g.graph()->cursorY(1), 60.0);
        QCOMPARE(g.graph()->trackMode(), TrackMode::Cursor);
        QCOMPARE(g.frame()->picker()->description()->toPlainText(), QString::fromLatin1(LiveGraphCursorHelp));
        QCOMPARE(g.frame()->cursorInfo()->xText(), QStringLiteral("3"));

        g.chooseTrackMode(2); // PanXY
        QVERIFY(!g.graph()->cursorVisible(1) && !g.graph()->cursorVisible(2));
        QCOMPARE(g.graph()->cursorCount(), 2);

        // Printing goes back to "Normal"; "Cursor Coordinates" afterwards centres cursor 1 again.
        g.chooseTrackMode(CursorEntry);
        g.graph()->setCursorPosition(1, 5, 80);
        QVERIFY(!g.print()); // the printer dialog is cancelled
        QCOMPARE(g.frame()->picker()->currentIndex(), 0);
        QCOMPARE(g.graph()->trackMode(), TrackMode::Normal);
        QVERIFY(!g.graph()->cursorVisible(1));
        g.graph()->setAxisRange(Graph::Axis::X, 2, 4);
        g.chooseTrackMode(CursorEntry);
        QCOMPARE(g.graph()->cursorX(1), 3.0);
    }

    void resetScaleBringsBackTheEditsAndTheRanges()
    {
        LiveTrends trends;
        addLevels(trends, {45.0, 55.5, 65.0, 50.0});
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        g.frame()->ranges()->axisMax(2)->setValue(100.0);
        g.frame()->ranges()->axisMax(1)->setValue(3.0);
        g.graph()->setAxisRange(Graph::Axis::X, 2, 3); // a pan or zoom
        g.frame()->resetButton()->click();
        QCOMPARE(editValue(g, Edit::XMax), 4.0);
        QCOMPARE(editValue(g, Edit::YMax), 65.0);
        QCOMPARE(editValue(g, Edit::YMin), 45.0);
        compareRange(g.graph()->axisRange(Graph::Axis::X), 1, 4);
        compareRange(g.graph()->axisRange(Graph::Axis::Y), 45, 65);
    }

    void aDenseTraceKeepsEverySpike()
    {
        // Far more samples than pixel columns: one loud second among 200000 must still show.
        TrendBuffer buffer(200000);
        for (int i = 0; i < 200000; ++i)
            buffer.set(i, 40.0 + (i % 7) / 10.0);
        buffer.set(123456, 95.0);
        Graph g;
        g.resize(400, 300);
        g.show();
        g.plotShared(buffer.snapshot(200000), 1, 1);
        g.setAxisRange(Graph::Axis::Y, 0, 100);
        g.setAxisRange(Graph::Axis::X, 1, 200000);
        QCOMPARE(g.pointCount(), 200000);
        QCOMPARE(g.pointY(123456), 95.0);
        g.replotNow();
        const QImage image = g.plot()->toPixmap().toImage();
        const int x = int(g.plot()->xAxis->coordToPixel(123457));
        const int y = int(g.plot()->yAxis->coordToPixel(90));
        bool drawn = false;
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c = image.pixelColor(x + dx, y);
            drawn = drawn || (c.blue() > 120 && c.red() < 120);
        }
        QVERIFY(drawn);
        // Nothing drawn at 90 dB away from the spike.
        const QColor elsewhere = image.pixelColor(int(g.plot()->xAxis->coordToPixel(50000)), y);
        QVERIFY(!(elsewhere.blue() > 120 && elsewhere.red() < 120));
    }

    void printsOnePagePerCopyAndComesBack()
    {
        LiveTrends trends;
        addLevels(trends, {45.0, 55.5, 65.0, 50.0});
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        QTRY_VERIFY(g.isVisible());
        const QSize size = g.size();
        const QColor plotArea = g.graph()->plotAreaColor();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("graph.pdf"));
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setCopyCount(2);
        w.dialogs.printerAnswers.enqueue(true);
        QVERIFY(g.printTo(printer));
        QCOMPARE(w.dialogs.messageTexts(), QStringList{printerNoteText()});
        QCOMPARE(pdfPages(pdf), 2);
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("60")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("SPL"))); // the Y caption is left off the page
        QVERIFY(!text.contains(QStringLiteral("Reset Scale")));
        // The window as it was.
        QVERIFY(g.frame()->isVisible());
        QCOMPARE(g.graph()->axisCaption(Graph::Axis::Y), QStringLiteral("SPL (dB)"));
        QCOMPARE(g.graph()->plotAreaColor(), plotArea);
        QCOMPARE(g.size(), size);
        QVERIFY(g.graph()->maximumWidth() > 10000);
    }

    void aFailedPrintAfterTheDialogRestoresTheWindow()
    {
        LiveTrends trends;
        addLevels(trends, {45.0, 55.5});
        Windows w;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("/nonexistent-folder/x/graph.pdf"));
        w.dialogs.printerAnswers.enqueue(true);
        QVERIFY(!g.printTo(printer));
        QVERIFY(g.frame()->isVisible());
        QCOMPARE(g.graph()->axisCaption(Graph::Axis::Y), QStringLiteral("SPL (dB)"));
        QCOMPARE(g.graph()->plotAreaColor(), QColor(Qt::white));
        QCOMPARE(g.layout()->contentsMargins().left(), g.graph()->x());
    }
};

class LiveHistogramTest : public QObject
{
    Q_OBJECT
private slots:
    void bothHistogramsOfThreeLevels()
    {
        LiveTrends trends;
        addLevels(trends, {55.0, 55.3, 56.0});
        Windows w;
        LiveHistogramWindow& h = w.openHistogram(trends, LiveClasses::WholeDb);
        QCOMPARE(h.windowTitle(), QStringLiteral("Histogram"));
        QCOMPARE(h.objectName(), QStringLiteral("RealHistogram"));
        QCOMPARE(h.graph()->pointCount(), LiveTrends::IntClasses);
        QCOMPARE(h.graph()->pointX(0), 0.0);
        QCOMPARE(h.graph()->pointY(55), 1.0);
        QCOMPARE(h.graph()->pointY(56), 2.0);
        compareRange(h.graph()->axisRange(Graph::Axis::X), 53, 57);
        QCOMPARE(h.graph()->axisLabelFormat(Graph::Axis::X), QStringLiteral("0"));
        QCOMPARE(h.graph()->axisRange(Graph::Axis::Y).min, 0.0);
        QVERIFY(h.graph()->axisRange(Graph::Axis::Y).max >= 2);
        QCOMPARE(h.graph()->axisCaption(Graph::Axis::Y), QStringLiteral("Frequency (Times)"));
        QCOMPARE(h.graph()->axisCaption(Graph::Axis::X), QStringLiteral("dB"));
        QVERIFY(h.noSampleNote()->isHidden());

        LiveHistogramWindow& d = w.openHistogram(trends, LiveClasses::TenthDb);
        QCOMPARE(d.graph()->pointCount(), LiveTrends::DecClasses);
        for (int k : {550, 553, 560})
            QCOMPARE(d.graph()->pointY(k), 1.0);
        QCOMPARE(d.graph()->pointY(554), 0.0);
        compareRange(d.graph()->axisRange(Graph::Axis::X), 549, 561);
        QCOMPARE(d.graph()->tickLabel(Graph::Axis::X, 553), QStringLiteral("55.3"));
        QCOMPARE(d.savedXMin(), 549.0);
        QCOMPARE(d.savedXMax(), 561.0);
    }

    void bothResetsGiveTheViewAtOpening()
    {
        LiveTrends trends;
        addLevels(trends, {55.0, 55.3, 56.0, 56.0, 60.2});
        Windows w;
        LiveHistogramWindow& h = w.openHistogram(trends, LiveClasses::WholeDb);
        const Graph::Range x = h.graph()->axisRange(Graph::Axis::X);
        const Graph::Range y = h.graph()->axisRange(Graph::Axis::Y);

        h.chooseTrackMode(1); // PanXY
        h.graph()->setAxisRange(Graph::Axis::X, 10, 20);
        h.graph()->setAxisRange(Graph::Axis::Y, 5, 9);
        h.clickToolbar(QStringLiteral("Track"));
        QVERIFY(h.trackBox()->isVisible());
        h.chooseTrackMode(LiveHistogramWindow::ResetEntry);
        QVERIFY(h.trackBox()->isHidden());
        compareRange(h.graph()->axisRange(Graph::Axis::X), x.min, x.max);
        compareRange(h.graph()->axisRange(Graph::Axis::Y), 0, y.max);
        // The reset entry keeps the mode and help text chosen before it.
        QCOMPARE(h.graph()->trackMode(), TrackMode::PanXY);
        QCOMPARE(h.picker()->description()->toPlainText(), QString::fromLatin1(TrackModeTable[2].help));

        h.graph()->setAxisRange(Graph::Axis::X, 30, 40);
        h.graph()->setAxisRange(Graph::Axis::Y, 1, 2);
        h.clickToolbar(QStringLiteral("Track"));
        h.clickToolbar(QStringLiteral("Reset"));
        QVERIFY(h.trackBox()->isHidden());
        compareRange(h.graph()->axisRange(Graph::Axis::X), x.min, x.max);
        compareRange(h.graph()->axisRange(Graph::Axis::Y), 0, y.max);
    }

    void theListAndTheToolbar()
    {
        LiveTrends trends;
        addLevels(trends, {55.0});
        Windows w;
        LiveHistogramWindow& h = w.openHistogram(trends, LiveClasses::WholeDb);
        QVERIFY(h.trackBox()->isHidden());
        QCOMPARE(h.trackBox()->objectName(), QStringLiteral("Picture1"));
        QCOMPARE(h.toolbar()->objectName(), QStringLiteral("Toolbar1"));
        QStringList tools;
        for (QAction* a : h.toolbar()->actions()) {
            tools << a->objectName();
            QVERIFY(h.toolbar()->widgetForAction(a)->focusPolicy() & Qt::TabFocus); // reachable by Tab
        }
        QCOMPARE(tools, (QStringList{"Track", "Reset", "Print", "PrintPreview"}));
        QStringList entries;
        for (int i = 0; i < h.picker()->combo()->count(); ++i)
            entries << h.picker()->combo()->itemText(i);
        QCOMPARE(entries,
                 (QStringList{"Normal", "PanXY", "PanX", "PanY", "ZoomXY", "ZoomX", "ZoomY", "Reset Scale"}));
        h.clickToolbar(QStringLiteral("Track"));
        QVERIFY(h.trackBox()->isVisible());
        h.chooseTrackMode(6); // ZoomY
        QVERIFY(h.trackBox()->isHidden());
        QCOMPARE(h.graph()->trackMode(), TrackMode::ZoomY);
    }

    void theWindowIsASnapshotAndEmptyBeforeAnySample()
    {
        LiveTrends trends;
        Windows w;
        LiveHistogramWindow& empty = w.openHistogram(trends, LiveClasses::TenthDb);
        QVERIFY(empty.noSampleNote()->isVisible());
        compareRange(empty.graph()->axisRange(Graph::Axis::X), 0, 1400);

        addLevels(trends, {70.0});
        LiveHistogramWindow& h = w.openHistogram(trends, LiveClasses::TenthDb);
        addLevels(trends, {70.0, 71.0});
        QCOMPARE(h.graph()->pointY(700), 1.0);
        QCOMPARE(h.graph()->pointY(710), 0.0);
        compareRange(h.graph()->axisRange(Graph::Axis::X), 699, 701);
    }

    void printsWithoutToolbarAndComesBack()
    {
        LiveTrends trends;
        addLevels(trends, {55.0, 55.3, 56.0});
        Windows w;
        LiveHistogramWindow& h = w.openHistogram(trends, LiveClasses::TenthDb);
        QTRY_VERIFY(h.isVisible());
        const QSize size = h.size();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("histogram.pdf"));
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        w.dialogs.printerAnswers.enqueue(true);
        QVERIFY(h.printTo(printer));
        QCOMPARE(pdfPages(pdf), 1);
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("dB")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("55")));
        QVERIFY(!text.contains(QStringLiteral("Frequency")));
        QVERIFY(!text.contains(QStringLiteral("Track")));
        QVERIFY(h.toolbar()->isVisible());
        QCOMPARE(h.graph()->axisCaption(Graph::Axis::Y), QStringLiteral("Frequency (Times)"));
        QCOMPARE(h.size(), size);

        // Cancelled: nothing printed, nothing changed.
        QVERIFY(!h.printTo(printer));
        QVERIFY(h.toolbar()->isVisible());
    }

    void previewsShowThePrintedPagesWithoutPrinting()
    {
        LiveTrends trends;
        addLevels(trends, {45.0, 55.5, 65.0});
        Windows w;
        QTemporaryDir dir;
        LiveGraphWindow& g = w.openGraph(trends, LiveTrend::Level);
        QTRY_VERIFY(g.isVisible());
        const QSize size = g.size();
        w.dialogs.previewPdfPath = dir.filePath(QStringLiteral("graph.pdf"));
        w.dialogs.previewAnswers.enqueue(false); // looked at, closed without printing
        g.frame()->previewButton()->click();
        QCOMPARE(w.dialogs.previewDialogs, 1);
        QCOMPARE(w.dialogs.printerDialogs, 0);
        QCOMPARE(pdfPages(w.dialogs.previewPdfPath), 1);
        const QString graphText = pdfText(w.dialogs.previewPdfPath);
        QVERIFY2(graphText.contains(QStringLiteral("60")), qPrintable(graphText));
        QVERIFY(!graphText.contains(QStringLiteral("Reset Scale")));
        QVERIFY(g.frame()->isVisible());
        QCOMPARE(g.size(), size);

        LiveHistogramWindow& h = w.openHistogram(trends, LiveClasses::TenthDb);
        QTRY_VERIFY(h.isVisible());
        w.dialogs.previewPdfPath = dir.filePath(QStringLiteral("histogram.pdf"));
        w.dialogs.previewAnswers.enqueue(false);
        h.clickToolbar(QStringLiteral("Print Preview"));
        QCOMPARE(w.dialogs.previewDialogs, 2);
        QCOMPARE(pdfPages(w.dialogs.previewPdfPath), 1);
        QVERIFY(!pdfText(w.dialogs.previewPdfPath).contains(QStringLiteral("Track")));
        QVERIFY(h.toolbar()->isVisible());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return runTests<LiveGraphTest, LiveHistogramTest>(argc, argv);
}

#include "test_graphs_live_windows.moc"
