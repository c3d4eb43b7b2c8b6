// The assessment window from the keyboard and to a screen reader: it opens on its plot, the undo
// keys reach the exclusions from wherever the focus is (but a text field being typed in), a
// dialog gives the focus back, and every value field is named with its caption and value. Its
// plot reads clock time with gaps where there are no levels, and an event of overloads shows
// its bounds.
#include "assessment/AssessmentPlot.h"
#include "assessment/AssessmentSession.h"
#include "assessment/AssessmentWindow.h"
#include "measurement/Measurement.h"
#include "measurement/MeasurementReader.h"
#include "measurement/RecordCsv.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "views/ComputedGroup.h"
#include "views/plot/Graph.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>
#include <qcustomplot.h>

using namespace slm;

class TestAssessmentKeys : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void undoKeysAndFocus_data();
    void undoKeysAndFocus();
    void valueFieldNames_data();
    void valueFieldNames();
    void plotReadsClockTimeWithGaps();

private:
    QWidget* show(const QString& objectName);

    QTemporaryDir m_dir;
    Measurement m_measurement;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<AssessmentSession> m_session;
    std::unique_ptr<AssessmentWindow> m_window;
};

void TestAssessmentKeys::initTestCase()
{
    // Twenty records every 10 s from 09:00: 62 dB, paused at records 6-8, overloads at 12-13.
    QByteArray bytes =
        "Real Time\r\n10\r\nA\r\nFAST\r\n50-110\r\n 62.0 \r\n2026/03/02 09:00:00\r\nXXX\r\nXXX\r\n"
        "No.s\tDate Time\tdB\t\r\n";
    const QDateTime start(QDate(2026, 3, 2), QTime(9, 0));
    for (int i = 1; i <= 20; ++i) {
        const QByteArray level = i >= 6 && i <= 8 ? "0.0*" : i == 12 || i == 13 ? "OL" : "62.0";
        bytes += QByteArray::number(i) + '\t' +
                 start.addSecs(10 * (i - 1)).toString("yyyy/MM/dd HH:mm:ss").toLatin1() + '\t' + level +
                 "\t\r\n";
    }
    const QString path = m_dir.filePath("keys.slmm");
    QCOMPARE(writeAndOpen(path, bytes, m_measurement), QString());
    m_session = std::make_unique<AssessmentSession>(m_measurement, m_dialogs);
    m_window = std::make_unique<AssessmentWindow>(*m_session, m_dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTRY_VERIFY(m_window->resultsShown() > 0);
    QCOMPARE(QApplication::focusWidget(), m_window->plot()->keyTarget());
}

// The widget of that name, its tab brought to the front.
QWidget* TestAssessmentKeys::show(const QString& objectName)
{
    auto* widget = m_window->findChild<QWidget*>(objectName);
    for (int i = 0; widget && i < m_window->tabs()->count(); ++i)
        if (m_window->tabs()->widget(i)->isAncestorOf(widget))
            m_window->tabs()->setCurrentIndex(i);
    return widget;
}

void TestAssessmentKeys::undoKeysAndFocus_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("undoneFirst");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("exclusions");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("plot, undo") << "AssessmentPlot"
                                << "" << false << "Ctrl+Z" << 0 << "AssessmentPlot" << 0;
    QTest::newRow("plot, redo") << "AssessmentPlot"
                                << "" << true << "Ctrl+Shift+Z" << 1 << "AssessmentPlot" << 0;
    QTest::newRow("X axis minimum, undo") << "AxisMin1"
                                          << "" << false << "Ctrl+Z" << 0 << "AxisMin1" << 0;
    QTest::newRow("X axis minimum, redo") << "AxisMin1"
                                          << "" << true << "Ctrl+Shift+Z" << 1 << "AxisMin1" << 0;
    QTest::newRow("event threshold") << "EventThreshold"
                                     << "" << false << "Ctrl+Z" << 0 << "EventThreshold" << 0;
    QTest::newRow("standards interval") << "StandardsIntervals"
                                        << "" << false << "Ctrl+Z" << 0 << "StandardsIntervals" << 0;
    QTest::newRow("exclusions list") << "Exclusions"
                                     << "" << false << "Ctrl+Z" << 0 << "Exclusions" << 0;
    QTest::newRow("site typed: its own undo") << "DetailSite"
                                              << "abc" << false << "Ctrl+Z" << 1 << "DetailSite" << 0;
    QTest::newRow("Alt+C, dialog cancelled") << "AssessmentPlot"
                                             << "" << false << "Alt+C" << 1 << "AssessmentPlot" << 1;
}

void TestAssessmentKeys::undoKeysAndFocus()
{
    QFETCH(QString, focus);
    QFETCH(QString, typed);
    QFETCH(bool, undoneFirst);
    QFETCH(QString, keys);
    QFETCH(int, exclusions);
    QFETCH(QString, focusAfter);
    QFETCH(int, dialogs);
    m_session->addExclusion(
        {QDateTime(QDate(2026, 3, 2), QTime(9, 0)), QDateTime(QDate(2026, 3, 2), QTime(9, 1)), "keys"});
    if (undoneFirst)
        m_session->undoStack()->undo();
    // "Exclude..." is on the Exclusions tab, where Alt+C reaches it.
    m_window->tabs()->setCurrentWidget(show("Exclusions")->parentWidget());
    QWidget* widget = show(focus);
    QVERIFY(widget);
    widget->setFocus();
    QTRY_VERIFY(widget->hasFocus());
    auto* line = qobject_cast<QLineEdit*>(widget);
    const QString before = line ? line->text() : QString();
    QTest::keyClicks(widget, typed);
    // A dialog that opens is cancelled from the keyboard.
    int cancelled = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&cancelled] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++cancelled;
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    poll.start(20);
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(keys));
    // A mnemonic clicks a moment later.
    QTest::qWait(300);
    poll.stop();
    QCOMPARE(cancelled, dialogs);
    QCOMPARE(int(m_session->exclusions().size()), exclusions);
    QTRY_COMPARE(QApplication::focusWidget(), m_window->findChild<QWidget*>(focusAfter));
    if (line)
        QCOMPARE(line->text(), before);
    while (!m_session->exclusions().empty())
        m_session->removeExclusion(0);
    m_session->undoStack()->clear();
}

void TestAssessmentKeys::valueFieldNames_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");
    QTest::newRow("Leq") << "ComputedLeq"
                         << "Computed Leq"
                         << "Leq";
    QTest::newRow("L 90") << "ComputedL90"
                          << "Computed L 90"
                          << "L 90";
    QTest::newRow("duration") << "ComputedDuration"
                              << "Computed Duration"
                              << "Duration";
    QTest::newRow("excluded") << "ComputedExcluded"
                              << "Excluded records"
                              << "Excluded";
    QTest::newRow("basis") << "ComputedBasis"
                           << "How the figures were computed"
                           << "";
}

void TestAssessmentKeys::valueFieldNames()
{
    QFETCH(QString, field);
    QFETCH(QString, caption);
    QFETCH(QString, label);
    auto* value = m_window->computed()->findChild<QLabel*>(field);
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(value);
    QVERIFY(!value->text().isEmpty());
    QCOMPARE(spoken->text(QAccessible::Name), caption + ": " + value->text());
    // The caption label, where there is one, still names the field.
    QStringList labels;
    for (const auto& [by, relation] : spoken->relations(QAccessible::Label))
        labels << by->text(QAccessible::Name);
    QVERIFY2(label.isEmpty() || labels.contains(label), qPrintable(labels.join('|')));
    // The name follows the value.
    const int shown = m_window->resultsShown();
    m_session->addExclusion(
        {QDateTime(QDate(2026, 3, 2), QTime(9, 0)), QDateTime(QDate(2026, 3, 2), QTime(9, 1)), "name"});
    QTRY_VERIFY(m_window->resultsShown() > shown && m_session->resultsCurrent());
    QCOMPARE(spoken->text(QAccessible::Name), caption + ": " + value->text());
    m_session->removeExclusion(0);
    QTRY_VERIFY(m_session->resultsCurrent());
}

void TestAssessmentKeys::plotReadsClockTimeWithGaps()
{
    Graph* graph = m_window->graph();
    graph->replotNow();
    for (int record : {6, 7, 8, 12, 13})
        QVERIFY2(std::isnan(graph->pointY(record - 1)), qPrintable(QString::number(record)));
    QCOMPARE(graph->pointY(0), 62.0);
    // 62 dB with a decibel to spare, in whole tens, twenty at least.
    QCOMPARE(graph->axisRange(Graph::Axis::Y).min, 60.0);
    QCOMPARE(graph->axisRange(Graph::Axis::Y).max, 80.0);
    const QVector<QString> labels = graph->plot()->xAxis->tickVectorLabels();
    QVERIFY2(labels.contains("09:01:00"), qPrintable(QStringList(labels.begin(), labels.end()).join('|')));
    QVERIFY(labels.first().endsWith("\n2026-03-02"));
    // The overloads are one event, bounded by the range's top: 110 dB for 20 s.
    QTableView* events = m_window->table("Events");
    QCOMPARE(events->model()->rowCount(), 1);
    const auto cell = [&](int column) { return events->model()->index(0, column).data().toString(); };
    QCOMPARE(cell(4), QStringLiteral("\u2265 110.0"));
    QCOMPARE(cell(5), QStringLiteral("\u2265 110.0"));
    QCOMPARE(cell(6), QStringLiteral("\u2265 123.0"));
    QCOMPARE(cell(7), QStringLiteral("over range: lower bounds"));
}

QTEST_MAIN(TestAssessmentKeys)
#include "test_assessment_keys.moc"
