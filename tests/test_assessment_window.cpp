// The assessment window over a small record file: a shift-drag on the plot excludes a span, and the
// figures, the hour and the dose then say what slm-report says with the same assessment file; undo
// gives everything back; the details and the calibration drift; the names a screen reader reads.
#include "analysis/OpenRecordFile.h"
#include "app/AssessmentWindows.h"
#include "app/SessionReport.h"
#include "assessment/AssessmentSession.h"
#include "assessment/AssessmentWindow.h"
#include "measurement/Measurement.h"
#include "measurement/MeasurementReader.h"
#include "measurement/RecordCsv.h"
#include "measurement/RecordListModel.h"
#include "recording/Recorder.h"
#include "support/ReportProgram.h"
#include "support/ScriptedDialogs.h"
#include "support/SimPanelRig.h"
#include "support/TestFiles.h"
#include "views/ComputedGroup.h"
#include "views/plot/Graph.h"

#include <QAccessible>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <qcustomplot.h>

using namespace slm;

namespace
{

QJsonObject reportJson(const QString& path)
{
    const ReportRun r = runReportProgram({"--json", "--periods", "--dose", "osha-pel", path});
    if (r.status != 0)
        qFatal("slm-report failed: %s", r.err.constData());
    return QJsonDocument::fromJson(r.out).object();
}

QJsonObject fileJson(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

QString cell(QTableView* view, int row, int column)
{
    return view->model()->index(row, column).data().toString();
}

// slm-report writes the figures to 0.1 dB and the tables to 0.01 dB, the window shows 0.1 dB: the
// window's text must be of the very value slm-report rounded.
bool agrees(const QString& shown, std::optional<double> value, const QJsonValue& json)
{
    const auto rounded = [&](double scale) { return std::round(*value * scale) / scale == json.toDouble(); };
    return value && (rounded(10) || rounded(100)) && shown.startsWith(QString::number(*value, 'f', 1));
}

} // namespace

class TestAssessmentWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void dragExcludesAsTheReportProgramDoes();
    void calibrationDrift_data();
    void calibrationDrift();
    void detailsAreKeptAndNamed();
    void reportSaysWhatTheWindowShows();
    void dragOverAnEmptyListExcludesNothing();
    void unsavedSetOffersItsAssessment();
    void assessFromTheViewsAndTheSavedList();

private:
    QTemporaryDir m_dir;
    QString m_path;
    Measurement m_measurement;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<AssessmentSession> m_session;
    std::unique_ptr<AssessmentWindow> m_window;
};

void TestAssessmentWindow::initTestCase()
{
    // Three hours every 10 s: 62 dB with a 95 dB passage from 10:20 to 10:30.
    m_path = m_dir.filePath("site.slmm");
    QByteArray bytes =
        "Real Time\r\n10\r\nA\r\nFAST\r\n50-110\r\n 95.0 \r\n2026/03/02 10:20:00\r\nXXX\r\nXXX\r\n"
        "No.s\tDate Time\tdB\t\r\n";
    const QDateTime start(QDate(2026, 3, 2), QTime(9, 0));
    for (int i = 0; i < 1080; ++i) {
        const bool loud = i >= 480 && i < 540;
        bytes += QByteArray::number(i + 1) + '\t' +
                 start.addSecs(10 * i).toString("yyyy/MM/dd HH:mm:ss").toLatin1() + '\t' +
                 QByteArray::number(loud ? 95.0 : 62.0 + i % 7 * 0.3, 'f', 1) + "\t\r\n";
    }
    QCOMPARE(writeAndOpen(m_path, bytes, m_measurement), QString());

    m_session = std::make_unique<AssessmentSession>(m_measurement, m_dialogs);
    m_window = std::make_unique<AssessmentWindow>(*m_session, m_dialogs);
    m_window->setReportWriter(writeSessionReport);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_VERIFY(m_window->resultsShown() > 0);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Assessment - site.slmm"));
}

void TestAssessmentWindow::dragExcludesAsTheReportProgramDoes()
{
    ComputedGroup* computed = m_window->computed();
    QTableView* hours = m_window->table("Hours");
    QTableView* dose = m_window->table("Dose");
    const QStringList names = {"ComputedLeq", "ComputedLmax", "ComputedL90", "ComputedExcluded",
                               "ComputedBasis"};
    QStringList before;
    for (const QString& n : names)
        before << computed->field(n);
    const QString hourBefore = cell(hours, 1, 1);

    // Shift and a drag from record 470 to record 510 takes half the passage out: the dose stays.
    QCustomPlot* plot = m_window->graph()->plot();
    const int y = plot->axisRect()->center().y();
    const QPoint from(int(plot->xAxis->coordToPixel(470)), y);
    const QPoint to(int(plot->xAxis->coordToPixel(510)), y);
    m_dialogs.inputAnswers.enqueue("truck");
    QTest::mousePress(plot, Qt::LeftButton, Qt::ShiftModifier, from);
    QTest::mouseMove(plot, (from + to) / 2);
    QVERIFY(m_window->findChild<QWidget*>("ExclusionBand")->isVisible());
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::ShiftModifier, to);
    QCOMPARE(m_session->exclusions().size(), size_t(1));
    QTRY_VERIFY(m_session->resultsCurrent() && computed->field("ComputedLeq") != before[0]);

    // The file beside the records holds the exclusion; slm-report reads it and agrees.
    const QJsonArray written = fileJson(m_path + ".assessment.json")["exclusions"].toArray();
    QCOMPARE(written.size(), 1);
    QCOMPARE(written[0].toObject()["reason"].toString(), QStringLiteral("truck"));
    const QJsonObject report = reportJson(m_path);
    QCOMPARE(report["excluded"].toInt(), m_session->results().excluded());
    QVERIFY(report["excluded"].toInt() >= 30);
    QVERIFY(report["dose"].toObject()["dose"].toDouble() > 0);
    const AssessmentResults& r = m_session->results();
    QVERIFY(agrees(computed->field("ComputedLeq"), r.figures.leq, report["leq"]));
    QVERIFY(agrees(computed->field("ComputedLmax"), r.figures.lmax, report["lmax"]));
    QCOMPARE(computed->field("ComputedExcluded"), QString::number(report["excluded"].toInt()));
    const QJsonObject hour = report["hours"].toArray()[1].toObject();
    QCOMPARE(cell(hours, 1, 0), QStringLiteral("2026-03-02 10:00"));
    QVERIFY(agrees(cell(hours, 1, 1), r.hours[1].leq, hour["leq"]));
    QCOMPARE(cell(hours, 1, 9), QString::number(hour["excluded"].toInt()));
    QCOMPARE(cell(dose, 0, 0), QStringLiteral("Dose"));
    QVERIFY(agrees(cell(dose, 0, 1), r.dose.dose, report["dose"].toObject()["dose"]));
    QVERIFY(cell(dose, 0, 1).endsWith(" %"));
    QCOMPARE(cell(m_window->table("Exclusions"), 0, 2), QStringLiteral("truck"));

    // Ctrl+Z, Ctrl+Shift+Z and "Undo": the figures as they were, and the file without the exclusion.
    const qint64 excluded = m_session->results().excluded();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_session->exclusions().size(), size_t(0));
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(m_session->resultsCurrent() && m_session->results().excluded() == excluded);
    m_window->findChild<QPushButton*>("Undo")->click();
    QTRY_VERIFY(m_session->resultsCurrent() && m_session->results().excluded() == 0);
    QTRY_COMPARE(computed->field("ComputedLeq"), before[0]);
    QStringList after;
    for (const QString& n : names)
        after << computed->field(n);
    QCOMPARE(after, before);
    QCOMPARE(cell(hours, 1, 1), hourBefore);
    QVERIFY(fileJson(m_path + ".assessment.json")["exclusions"].toArray().isEmpty());
    QCOMPARE(m_window->table("Exclusions")->model()->rowCount(), 0);
}

void TestAssessmentWindow::calibrationDrift_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("shown");
    QTest::newRow("0.6 dB") << "94.0"
                            << "94.6" << true;
    QTest::newRow("0.5 dB") << "94.0"
                            << "94.5" << false;
    QTest::newRow("one check") << "94.0"
                               << "" << false;
    QTest::newRow("out of range, not saved") << "94.0"
                                             << "250" << false;
    QTest::newRow("0.55 dB") << "94.0"
                             << "94.55" << true;
}

void TestAssessmentWindow::calibrationDrift()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, shown);
    for (const auto& [name, text] :
         {std::pair{"DetailCalibrationBefore", before}, {"DetailCalibrationAfter", after}}) {
        auto* edit = m_window->findChild<QLineEdit*>(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    emit m_window->findChild<QLineEdit*>("DetailSite")->editingFinished(); // saves every field it can
    QCOMPARE(m_window->findChild<QLineEdit*>("DetailCalibrationAfter")->text(), after);
    QLabel* drift = m_window->findChild<QLabel*>("CalibrationDrift");
    QCOMPARE(drift->isVisibleTo(m_window.get()), shown);
    QCOMPARE(drift->text(), QStringLiteral("Calibration drift above 0.5 dB: the results are not valid"));
}

void TestAssessmentWindow::detailsAreKeptAndNamed()
{
    auto* site = m_window->findChild<QLineEdit*>("DetailSite");
    site->setText("Works yard, north fence");
    emit site->editingFinished();
    const QJsonObject details = fileJson(m_path + ".assessment.json")["details"].toObject();
    QCOMPARE(details["site"].toString(), QStringLiteral("Works yard, north fence"));
    QCOMPARE(details["calibration"].toObject()["before"].toDouble(), 94.0);
    // Notes typed just before the window closes are kept.
    m_window->findChild<QPlainTextEdit*>("DetailConditions")->setPlainText("Dry, light wind");
    m_window->close();
    QCOMPARE(fileJson(m_path + ".assessment.json")["details"].toObject()["conditions"].toString(),
             "Dry, light wind");
    m_window->show();

    // What a screen reader says: the tables and the fields by name, a figure with its value.
    const auto name = [](QObject* o) {
        return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
    };
    QCOMPARE(name(m_window->table("Exclusions")), QStringLiteral("Exclusions"));
    QCOMPARE(name(site), QStringLiteral("Site"));
    QLabel* leq = m_window->computed()->findChild<QLabel*>("ComputedLeq");
    QCOMPARE(name(leq), QStringLiteral("Computed Leq: ") + leq->text());
    QStringList tabs;
    for (int i = 0; i < m_window->tabs()->count(); ++i)
        tabs << m_window->tabs()->tabText(i).remove('&');
    QCOMPARE(tabs, (QStringList{"Figures", "Hours", "Day-Evening-Night", "Dose", "Events", "Exclusions",
                                "Details", "Standards"}));
}

void TestAssessmentWindow::reportSaysWhatTheWindowShows()
{
    const QString pdf = m_dir.filePath("site.pdf");
    m_dialogs.saveAnswers.enqueue(pdf);
    m_dialogs.confirmAnswers.enqueue(false); // not opened in a viewer
    m_window->writeReport();
    QCOMPARE(m_dialogs.proposedPaths.last(), m_dir.filePath("site-report.pdf"));
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QVERIFY2(text.contains("Works yard, north fence"), qPrintable(text));
    QVERIFY(text.contains(m_window->computed()->field("ComputedLeq") + " dB"));
    QCOMPARE(text.contains("Calibration drift above 0.5 dB: the results are not valid"),
             m_window->findChild<QLabel*>("CalibrationDrift")->isVisibleTo(m_window.get()));
}

void TestAssessmentWindow::dragOverAnEmptyListExcludesNothing()
{
    Measurement empty;
    AssessmentSession session(empty, m_dialogs);
    AssessmentWindow window(session, m_dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCustomPlot* plot = window.graph()->plot();
    const QPoint middle = plot->axisRect()->center();
    QTest::mousePress(plot, Qt::LeftButton, Qt::ShiftModifier, middle - QPoint(40, 0));
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::ShiftModifier, middle + QPoint(40, 0));
    QVERIFY(session.exclusions().empty());
}

// A logged set closed before its list was saved: its exclusion is offered for saving once its
// window is gone, and written where the user says.
void TestAssessmentWindow::unsavedSetOffersItsAssessment()
{
    FixedClock clock;
    ScriptedDialogs dialogs;
    QWidget panel;
    AssessmentWindows windows(Desk{dialogs, clock}, &panel);
    auto* set = new Measurement;
    set->setOrigin({MeasurementOrigin::Kind::LoggedSet, "Set 3"});
    windows.open(*set)->session().addExclusion(
        {QDateTime(QDate(2026, 3, 2), QTime(9, 0)), QDateTime(QDate(2026, 3, 2), QTime(9, 5)), "door"});
    const QString path = m_dir.filePath("set3.assessment.json");
    dialogs.confirmAnswers.enqueue(true);
    dialogs.saveAnswers.enqueue(path);
    delete set;
    QVERIFY(dialogs.confirmTexts.isEmpty()); // not asked while the set is being deleted
    QTRY_COMPARE(dialogs.confirmTexts.size(), 1);
    QVERIFY(dialogs.confirmTexts[0].contains("Set 3"));
    QCOMPARE(fileJson(path)["exclusions"].toArray()[0].toObject()["reason"].toString(),
             QStringLiteral("door"));
}

void TestAssessmentWindow::assessFromTheViewsAndTheSavedList()
{
    SimPanelOptions options;
    options.wiring = true;
    SimPanelRig rig(options);
    QVERIFY(rig.start());
    QVERIFY(rig.startUp());
    AssessmentWindows& windows = rig.wiring->assessments();

    // A file view's "Assess": one window per measurement, raised again by a second "Assess".
    QVERIFY(rig.wiring->openFile().open(m_path));
    FileListWindow* view = rig.wiring->openFile().realTimeView();
    view->findChild<QAction*>("Assess")->trigger();
    QPointer<AssessmentWindow> fileWindow = windows.window(view->measurement());
    QVERIFY(fileWindow && fileWindow->isVisible());
    QCOMPARE(fileWindow->windowTitle(), QStringLiteral("Assessment - site.slmm"));
    view->findChild<QAction*>("Assess")->trigger();
    QCOMPARE(windows.window(view->measurement()), fileWindow.data());

    // The panel's list keeps its exclusion in memory until the list is saved, then beside it.
    rig.panel->widgets().toolbar->findChild<QAction*>("Assess", Qt::FindDirectChildrenOnly)->trigger();
    AssessmentWindow* listWindow = windows.window(rig.wiring->listModel().measurement());
    QVERIFY(listWindow && listWindow != fileWindow);
    const QDateTime now = QDateTime::currentDateTime();
    listWindow->session().addExclusion({now.addSecs(-60), now, "door slammed"});
    QCOMPARE(listWindow->session().filePath(), QString());
    const QString saved = rig.dir.filePath("list.slmm");
    rig.wiring->recorder().setSaveMode(SaveMode::List);
    rig.dialogs.saveAnswers.enqueue(saved);
    rig.wiring->recorder().saveOk();
    QVERIFY(QFile::exists(saved));
    const QJsonArray beside = fileJson(saved + ".assessment.json")["exclusions"].toArray();
    QCOMPARE(beside.size(), 1);
    QCOMPARE(beside[0].toObject()["reason"].toString(), QStringLiteral("door slammed"));
    QCOMPARE(listWindow->windowTitle(), QStringLiteral("Assessment - list.slmm"));

    // The window goes with its file's view.
    view->close();
    QTRY_VERIFY(!fileWindow);
    // The saved list opened as a file: its Assess raises the window already writing that file.
    QVERIFY(rig.wiring->openFile().open(saved));
    QCOMPARE(windows.open(rig.wiring->openFile().realTimeView()->measurement()), listWindow);

    // A set's exclusions kept only in memory are offered once as the program closes, not lost.
    auto set = std::make_unique<Measurement>();
    set->setOrigin({MeasurementOrigin::Kind::LoggedSet, "Set 4"});
    windows.open(*set)->session().addExclusion({now.addSecs(-30), now, "rain"});
    const QString kept = rig.dir.filePath("set4.assessment.json");
    rig.dialogs.confirmTexts.clear();
    rig.dialogs.confirmAnswers.enqueue(true);
    rig.dialogs.saveAnswers.enqueue(kept);
    rig.panel->close(); // asked now: the program's event loop ends with its panel
    QCOMPARE(rig.dialogs.confirmTexts.size(), 1);
    set.reset();
    QTest::qWait(50);
    QCOMPARE(rig.dialogs.confirmTexts.size(), 1);
    QCOMPARE(fileJson(kept)["exclusions"].toArray()[0].toObject()["reason"].toString(),
             QStringLiteral("rain"));
}

QTEST_MAIN(TestAssessmentWindow)
#include "test_assessment_window.moc"
