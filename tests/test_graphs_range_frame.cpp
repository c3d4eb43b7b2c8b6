// The shared graph-window frames: the range edits' rules and what the composed frame does to a
// graph.
#include "views/plot/CursorInfoFrame.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphRangeFrame.h"
#include "views/plot/GraphicFrame.h"
#include "views/plot/TrackModePicker.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace slm;

class TestGraphsRangeFrame : public QObject
{
    Q_OBJECT

    using Edit = GraphRangeFrame::Edit;

private slots:
    void editsCarryTheirSettings()
    {
        GraphRangeFrame f(recordPlotRangeSettings());
        QCOMPARE(f.findChild<NumericEdit*>("AxisMin1"), f.axisMin(1));
        QCOMPARE(f.findChild<NumericEdit*>("AxisMax2"), f.axisMax(2));
        QCOMPARE(f.axisMin(1)->value(), 1.0);
        QCOMPARE(f.axisMax(1)->value(), 349999.0);
        QCOMPARE(f.axisMin(2)->text(), QStringLiteral("60.0"));
        QCOMPARE(f.axisMax(2)->text(), QStringLiteral("140.0"));
        QCOMPARE(f.axisMin(1)->decimals(), 0);
        QCOMPARE(f.axisMax(2)->singleStep(), 0.1);
        QVERIFY(!f.axisMin(2)->accessibleName().isEmpty());

        GraphRangeFrame live(liveGraphRangeSettings());
        QCOMPARE(live.yRowLabel()->objectName(), QStringLiteral("LblUnit"));
        QCOMPARE(live.axisMax(1)->maximum(), 65535.0);
        QCOMPARE(live.axisMin(2)->value(), 25.0);
        live.setYRowLabel(QStringLiteral("SPL (dB)"));
        QCOMPARE(live.findChild<QLabel*>("LblUnit")->text(), QStringLiteral("SPL (dB)"));
    }

    void programValuesWidenAndStayQuiet()
    {
        GraphRangeFrame f(recordPlotRangeSettings());
        QSignalSpy edited(&f, &GraphRangeFrame::edited);
        QSignalSpy refused(&f, &GraphRangeFrame::refused);
        f.setAxisValues(2, 25, 145);
        f.setAxisValues(1, 1, 400000);
        QCOMPARE(f.axisMax(2)->text(), QStringLiteral("145.0"));
        QCOMPARE(f.axisMax(2)->maximum(), 145.0);
        QCOMPARE(f.axisMax(1)->value(), 400000.0);
        // Even a minimum not below its maximum is the program's business.
        f.setAxisValues(1, 1, 1);
        QCOMPARE(f.axisMax(1)->value(), 1.0);
        QCOMPARE(edited.count(), 0);
        QCOMPARE(refused.count(), 0);
        QVERIFY(!f.loading());
    }

    void userMinimumNotBelowMaximumIsRefused()
    {
        GraphRangeFrame f(recordPlotRangeSettings());
        QSignalSpy edited(&f, &GraphRangeFrame::edited);
        QSignalSpy refused(&f, &GraphRangeFrame::refused);
        f.axisMin(2)->setValue(140); // equal to the maximum
        QCOMPARE(f.axisMin(2)->value(), 60.0);
        f.axisMax(2)->setValue(59.9);
        QCOMPARE(f.axisMax(2)->value(), 140.0);
        QCOMPARE(refused.count(), 2);
        QCOMPARE(refused.at(0).at(1).toString(), GraphRangeFrame::refusalText());
        QCOMPARE(edited.count(), 0);

        // A kept change becomes the value a later refusal returns to.
        f.axisMin(2)->setValue(70);
        QCOMPARE(edited.count(), 1);
        QCOMPARE(edited.at(0).at(0).value<Edit>(), Edit::YMin);
        f.axisMin(2)->setValue(150);
        QCOMPARE(f.axisMin(2)->value(), 70.0);
        // The other axis is judged on its own.
        f.axisMax(1)->setValue(2);
        QCOMPARE(edited.count(), 2);
    }

    void keyboardSteps()
    {
        GraphRangeFrame f(recordPlotRangeSettings());
        f.show();
        QSignalSpy edited(&f, &GraphRangeFrame::edited);
        f.axisMin(2)->setFocus();
        QTest::keyClick(f.axisMin(2), Qt::Key_Up);
        QCOMPARE(f.axisMin(2)->text(), QStringLiteral("60.1"));
        QTest::keyClick(f.axisMin(2), Qt::Key_PageUp);
        QCOMPARE(f.axisMin(2)->text(), QStringLiteral("65.1"));
        QTest::keyClick(f.axisMin(1), Qt::Key_PageUp);
        QCOMPARE(f.axisMin(1)->value(), 6.0);
        QCOMPARE(edited.count(), 3);
        // Typing applies on Enter only, so "1" on the way to "135" is never judged.
        f.axisMax(2)->selectAll();
        QTest::keyClicks(f.axisMax(2), QStringLiteral("135"));
        QCOMPARE(edited.count(), 3);
        QTest::keyClick(f.axisMax(2), Qt::Key_Return);
        QCOMPARE(f.axisMax(2)->value(), 135.0);
        QCOMPARE(edited.count(), 4);
    }

    void composedFrameDrivesTheGraph()
    {
        Graph g;
        GraphicFrame frame(recordPlotFrameSettings());
        frame.attach(&g);
        QVERIFY(frame.findChild<QPushButton*>("CmdReset"));
        QCOMPARE(frame.findChild<QPushButton*>("CmdPrint")->text(), QStringLiteral("Print Graph"));
        QCOMPARE(frame.title(), QStringLiteral("Graphic Plot"));

        frame.ranges()->setAxisValues(1, 1, 500);
        frame.ranges()->setAxisValues(2, 25, 145);
        g.setAxisRange(Graph::Axis::X, 10, 20); // the program's values did not redraw
        frame.ranges()->axisMax(2)->setValue(100);
        QCOMPARE(g.axisRange(Graph::Axis::X).max, 500.0);
        QCOMPARE(g.axisRange(Graph::Axis::Y).min, 25.0);
        QCOMPARE(g.axisRange(Graph::Axis::Y).max, 100.0);

        QSignalSpy chosen(&frame, &GraphicFrame::trackModeChosen);
        frame.picker()->choose(5);
        QCOMPARE(g.trackMode(), TrackMode::ZoomXY);
        frame.chooseNormal();
        QCOMPARE(g.trackMode(), TrackMode::Normal);
        QCOMPARE(frame.picker()->description()->toPlainText(), QStringLiteral("Normal mode"));
        QCOMPARE(chosen.count(), 2);

        emit g.cursorMoved(1, 1234, 65.25);
        QCOMPARE(frame.cursorInfo()->xText(), QStringLiteral("1234"));
        QCOMPARE(frame.cursorInfo()->yText(), QStringLiteral("65.3"));
        emit g.cursorMoved(2, 9, 9);
        QCOMPARE(frame.cursorInfo()->xText(), QStringLiteral("1234"));
        QCOMPARE(frame.findChild<QLineEdit*>("YPosition")->text(), QStringLiteral("65.3"));
    }

    void readoutForms()
    {
        QCOMPARE(generalNumberText(12), QStringLiteral("12"));
        QCOMPARE(generalNumberText(3.5), QStringLiteral("3.5"));
        QCOMPARE(generalNumberText(348000), QStringLiteral("348000"));
        QCOMPARE(oneDecimalText(60), QStringLiteral("60.0"));
        QCOMPARE(oneDecimalText(-0.04), QStringLiteral("0.0"));
        QCOMPARE(oneDecimalText(144.96), QStringLiteral("145.0"));
    }
};

QTEST_MAIN(TestGraphsRangeFrame)
#include "test_graphs_range_frame.moc"
