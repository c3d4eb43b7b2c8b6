// The record plot: the Y values and pause runs of a level column, and the "Plot" window that
// shows them.
#include "graphs/RecordPlotWindow.h"
#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/TextHelpers.h"
#include "support/CountingPanelTimers.h"
#include "support/RunTests.h"
#include "support/ScriptedDialogs.h"
#include "views/plot/CursorInfoFrame.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphRangeFrame.h"
#include "views/plot/GraphicFrame.h"
#include "views/plot/LevelPlot.h"
#include "views/plot/TrackModePicker.h"

#include <QComboBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <qcustomplot.h>
#include <vector>

using namespace slm;

namespace
{

std::vector<double> ys(std::initializer_list<double> values)
{
    return std::vector<double>(values);
}

PlotMarker pauseAt(int record)
{
    return {record, QStringLiteral("Pause"), PauseMarkerY};
}

PlotMarker startAt(int record)
{
    return {record, QStringLiteral("Start"), StartMarkerY};
}

} // namespace

class TestLevelPlot : public QObject
{
    Q_OBJECT

private slots:
    void pauseRunGetsPauseAndStartMarkers()
    {
        const LevelPlot p = plotLevelTexts({"60.0", "61.0*", "62.0*", "63.0"});
        QCOMPARE(p.y, ys({60, 61, 62, 63}));
        QCOMPARE(p.markers, (std::vector<PlotMarker>{pauseAt(2), startAt(4)}));
        QCOMPARE(p.pauseEnds, std::vector<int>{4});
    }

    void pauseOpenAtTheLastRecord()
    {
        // With "*" at the end: a "Pause" and no "Start".
        LevelPlot p = plotLevelTexts({"60.0", "61.0*", "62.0*"});
        QCOMPARE(p.markers, std::vector<PlotMarker>{pauseAt(2)});
        // A run that begins at the last record is open there too.
        p = plotLevelTexts({"60.0", "62.0*"});
        QCOMPARE(p.markers, std::vector<PlotMarker>{pauseAt(2)});
        // Ended by "--" (no plain level to close it): the run is never counted, no marker at all.
        p = plotLevelTexts({"60.0", "61.0*", "--"});
        QCOMPARE(p.y, ys({60, 61, UnderRangeY}));
        QVERIFY(p.markers.empty());
        QCOMPARE(p.pauseCount(), 0);
    }

    void specialTextsAndLimits()
    {
        // "*" alone is a paused record at 0; "--" at 25 and "L" at 145 leave the run open.
        LevelPlot p = plotLevelTexts({"*", "--", "L", " 55.3*", "52.0", "-- --"});
        QCOMPARE(p.y, ys({0, 25, 145, 55.3, 52, 25}));
        QCOMPARE(p.markers, (std::vector<PlotMarker>{pauseAt(1), startAt(5)}));

        // 140 and more is the top outside a pause, and does not start one.
        p = plotLevelTexts({"139.9", "140.0", "140.0*", "50.0"});
        QCOMPARE(p.y, ys({139.9, 145, 145, 50}));
        QVERIFY(p.markers.empty());

        // Inside a pause the limit is 145.
        p = plotLevelTexts({"50.0*", "140.0*", "144.9*", "145.0*", "150.0", "50.0"});
        QCOMPARE(p.y, ys({50, 140, 144.9, 145, 145, 50}));
        QCOMPARE(p.markers, (std::vector<PlotMarker>{pauseAt(1), startAt(6)}));
        p = plotLevelTexts({"50.0*", "140.0", "60.0"});
        QCOMPARE(p.y, ys({50, 140, 60}));
        QCOMPARE(p.markers, (std::vector<PlotMarker>{pauseAt(1), startAt(2)}));
    }

    void severalRuns()
    {
        const LevelPlot p = plotLevelTexts({"1*", "2", "3*", "4*", "5", "6*"});
        QCOMPARE(p.markers,
                 (std::vector<PlotMarker>{pauseAt(1), startAt(2), pauseAt(3), startAt(5), pauseAt(6)}));
    }

    void bytesAndTextsReadNumbersAlike()
    {
        for (const char* t : {"65.3*", "  12abc", ".7", "-3.5x", "XXX", "", "1e", "2e3", "+4.5", "-.5",
                              "1e999", "\t7", "8.", "- 1"}) {
            const QString text = QString::fromLatin1(t);
            QCOMPARE(numericValue(QByteArrayView(t)), numericValue(text));
        }
        // The byte reader's shortcut for plain digits must round and stop exactly as the text reader.
        for (const char* t :
             {".", "5.e2", "1.2.3", "0.1", "72.3E", "+", "123456789012345", "1234567890123456",
              "999999999999999.9", "0.000000000000001", "94.7000000000000001"})
            QCOMPARE(numericValue(QByteArrayView(t)), numericValue(QString::fromLatin1(t)));
    }

    void listRunReportsRarelyAndCanStop()
    {
        RecordListModel list;
        for (int i = 1; i <= 1000; ++i)
            list.append(QString::number(i), QStringLiteral("2026/01/01 00:00:00"),
                        QString::number(50 + i % 10) + (i % 100 == 0 ? QStringLiteral("*") : QString()));
        int reports = 0;
        const LevelPlot p = plotLevelList(list, [&](int, int) { return ++reports > 0; });
        QCOMPARE(p.recordCount(), 1000);
        QCOMPARE(p.y[9], 50.0);
        QVERIFY(reports <= 101);
        QCOMPARE(p.pauseCount(), 10);
        const LevelPlot stopped = plotLevelList(list, [](int row, int) { return row < 500; });
        QCOMPARE(stopped.recordCount(), 0);
    }
};

class TestRecordPlotWindow : public QObject
{
    Q_OBJECT

    using Axis = Graph::Axis;

    ScriptedDialogs m_dialogs;
    CountingPanelTimers m_timers;
    std::unique_ptr<QWidget> m_panel;
    QPointer<RecordPlotWindow> m_shown;

    static void fill(RecordListModel& list, const QStringList& levels)
    {
        list.clear();
        for (int i = 0; i < levels.size(); ++i)
            list.append(QString::number(i + 1), QStringLiteral("2026/01/01 00:00:00"), levels[i]);
    }
    RecordPlotWindow* plot(const RecordListModel& list)
    {
        WidgetBusyCaption caption(m_panel.get());
        return plotRecordList(m_shown, list, m_dialogs, &m_timers, &caption, m_panel.get());
    }
    static QStringList markerTexts(const Graph& g)
    {
        QStringList out;
        for (const Graph::Marker& m : g.markers())
            out << QStringLiteral("%1@%2,%3").arg(m.text).arg(m.x).arg(m.y);
        return out;
    }

private slots:
    void init()
    {
        m_dialogs = ScriptedDialogs();
        m_timers.switches.clear();
        m_panel = std::make_unique<QWidget>();
        m_panel->setWindowTitle(QStringLiteral("Panel"));
        m_panel->setGeometry(20, 30, 400, 300);
        m_panel->show();
    }
    void cleanup()
    {
        delete m_shown.data();
        m_panel.reset();
    }

    void emptyListOnlySaysSo()
    {
        RecordListModel list;
        QVERIFY(!plot(list));
        QVERIFY(!m_shown);
        QCOMPARE(m_dialogs.messageTexts(), QStringList{emptyPlotText()});
        QVERIFY(m_timers.switches.isEmpty());
    }

    void plotFillsTheWindowBesideThePanel()
    {
        RecordListModel list;
        fill(list, {"60.0", "61.0*", "62.0*", "63.0", "--"});
        RecordPlotWindow* w = plot(list);
        QVERIFY(w);
        QCOMPARE(w->objectName(), QStringLiteral("Plot"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Plot"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->pos().y(), m_panel->frameGeometry().top());
        // Right of the panel, or slid back towards it to stay on the (small) test screen.
        QVERIFY(w->pos().x() <= m_panel->frameGeometry().right() + 1);
        QVERIFY(w->pos().x() >= w->screen()->availableGeometry().left());
        QCOMPARE(m_timers.switches, (QList<bool>{false, true}));
        QCOMPARE(m_panel->windowTitle(), QStringLiteral("Panel"));

        Graph* g = w->graph();
        QCOMPARE(g->objectName(), QStringLiteral("CWGraph1"));
        QCOMPARE(g->pointCount(), 5);
        QCOMPARE(g->pointX(0), 1.0);
        QCOMPARE(g->pointY(4), 25.0);
        QCOMPARE(g->axisRange(Axis::X).min, 1.0);
        QCOMPARE(g->axisRange(Axis::X).max, 5.0);
        QCOMPARE(g->axisRange(Axis::Y).min, 25.0);
        QCOMPARE(g->axisRange(Axis::Y).max, 145.0);
        GraphRangeFrame* r = w->frame()->ranges();
        QCOMPARE(r->axisMin(1)->value(), 1.0);
        QCOMPARE(r->axisMax(1)->value(), 5.0);
        QCOMPARE(r->axisMin(2)->text(), QStringLiteral("25.0"));
        QCOMPARE(r->axisMax(2)->text(), QStringLiteral("145.0")); // above the edit's 140: shown as set
        QCOMPARE(markerTexts(*g), (QStringList{"Pause@2,30", "Start@4,105"}));
        QCOMPARE(g->markers().at(0).pointIndex, 1);
        QCOMPARE(g->markers().at(1).name, QStringLiteral("Start"));
    }

    void secondPlotReplacesInPlaceAndKeepsTheMode()
    {
        RecordListModel first;
        fill(first, {"60.0", "61.0*", "62.0*", "63.0"});
        RecordPlotWindow* w = plot(first);
        w->chooseTrackMode(6); // ZoomX
        RecordListModel second;
        fill(second, {"70.0", "71.0", "72.0*"});
        QCOMPARE(plot(second), w);
        QCOMPARE(w->graph()->pointCount(), 3);
        QCOMPARE(markerTexts(*w->graph()), QStringList{"Pause@3,30"});
        QCOMPARE(w->graph()->trackMode(), TrackMode::ZoomX);
        QCOMPARE(w->frame()->picker()->combo()->currentText(), QStringLiteral("ZoomX"));
        QCOMPARE(w->frame()->ranges()->axisMax(1)->value(), 3.0);
        QCOMPARE(w->recordCount(), 3);
    }

    void editsRedrawAndResetLeavesThemAlone()
    {
        RecordListModel list;
        QStringList levels;
        for (int i = 0; i < 200; ++i)
            levels << QStringLiteral("65.0");
        fill(list, levels);
        RecordPlotWindow* w = plot(list);
        Graph* g = w->graph();
        GraphRangeFrame* r = w->frame()->ranges();
        r->axisMax(1)->setValue(50); // as the user's change
        QCOMPARE(g->axisRange(Axis::X).max, 50.0);
        r->axisMax(2)->setValue(20); // refused: not above 25
        QCOMPARE(r->axisMax(2)->value(), 145.0);
        QCOMPARE(g->axisRange(Axis::Y).max, 145.0);

        // A zoom changes the graph only; "Reset Scale" goes back to the whole list.
        g->setAxisRange(Axis::X, 20, 30);
        g->setAxisRange(Axis::Y, 60, 70);
        w->frame()->findChild<QPushButton*>("CmdReset")->click();
        QCOMPARE(g->axisRange(Axis::X).min, 1.0);
        QCOMPARE(g->axisRange(Axis::X).max, 200.0);
        QCOMPARE(g->axisRange(Axis::Y).min, 25.0);
        QCOMPARE(g->axisRange(Axis::Y).max, 145.0);
        QCOMPARE(r->axisMax(1)->value(), 50.0);
    }

    void cursorChosenTwiceStaysOneAndCentres()
    {
        RecordListModel list;
        fill(list, {"60.0", "61.0", "62.0", "63.0", "64.0"});
        RecordPlotWindow* w = plot(list);
        Graph* g = w->graph();
        w->chooseTrackMode(CursorEntry);
        QCOMPARE(g->cursorCount(), 1);
        QCOMPARE(colorToBgr(g->cursorColor(1)), 255u);
        QCOMPARE(g->cursorX(1), 3.0);
        QCOMPARE(g->cursorY(1), 85.0);
        QCOMPARE(w->frame()->cursorInfo()->xText(), QStringLiteral("3"));
        QCOMPARE(w->frame()->cursorInfo()->yText(), QStringLiteral("85.0"));
        g->setAxisRange(Axis::X, 2, 5);
        g->setAxisRange(Axis::Y, 60, 70);
        w->chooseTrackMode(CursorEntry);
        QCOMPARE(g->cursorCount(), 1);
        QCOMPARE(g->cursorX(1), 3.5);
        QCOMPARE(g->cursorY(1), 65.0);

        // Dragged, it lands on a record and the readouts follow.
        QVERIFY(QTest::qWaitForWindowExposed(w));
        g->replotNow();
        QCustomPlot* plot = g->plot();
        const QPoint from(int(plot->xAxis->coordToPixel(3.5)), int(plot->yAxis->coordToPixel(65)));
        const QPoint to(int(plot->xAxis->coordToPixel(4.2)), int(plot->yAxis->coordToPixel(65)));
        QTest::mousePress(plot, Qt::LeftButton, {}, from);
        QTest::mouseMove(plot, to);
        QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
        QCOMPARE(w->frame()->cursorInfo()->xText(), QStringLiteral("4"));
        QCOMPARE(w->frame()->cursorInfo()->yText(), QStringLiteral("63.0"));

        w->chooseTrackMode(3);
        QCOMPARE(g->cursorCount(), 0);
    }

    void printsOnWhiteWithoutTheFrameAndComesBack()
    {
        RecordListModel list;
        fill(list, {"60.0", "61.0*", "62.0*", "63.0"});
        RecordPlotWindow* w = plot(list);
        w->chooseTrackMode(CursorEntry);
        const QColor area = QColor(0x30, 0x30, 0x30);
        w->graph()->setPlotAreaColor(area);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("plot.pdf"));

        // Cancelled: nothing printed, but the list is back on "Normal".
        QPrinter cancelled;
        cancelled.setOutputFileName(pdf);
        QVERIFY(!w->print(cancelled));
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(w->graph()->trackMode(), TrackMode::Normal);
        QCOMPARE(w->graph()->cursorCount(), 0);

        m_dialogs.printerAnswers.enqueue(true);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(w->print(printer));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(page.contains(QStringLiteral("Pause")) && page.contains(QStringLiteral("Start")),
                 qPrintable(page));
        QVERIFY(!page.contains(QStringLiteral("Reset Scale")));
        QVERIFY(w->frame()->isVisible());
        QCOMPARE(w->graph()->plotAreaColor(), area);

        // A printer that fails after the dialog leaves the window as it was too.
        m_dialogs.printerAnswers.enqueue(true);
        QPrinter broken;
        broken.setOutputFormat(QPrinter::PdfFormat);
        broken.setOutputFileName(dir.filePath(QStringLiteral("missing/folder/plot.pdf")));
        QVERIFY(!w->print(broken));
        QVERIFY(w->frame()->isVisible());
        QCOMPARE(w->graph()->plotAreaColor(), area);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return runTests<TestLevelPlot, TestRecordPlotWindow>(argc, argv);
}

#include "test_graphs_recordplot.moc"
