// The assessment window's Standards tab over a day at a constant 60 dB: inputs entered in the tab
// give the tables slm-report gives with the same options (52 over 48 dB corrects to 49.8 dB, the
// day's CNEL is 66.7 dB); they are kept in the assessment file with the keys this program does not
// know and read back by a new window; input it cannot take is said in the tab; the PDF states the
// inputs, the correction with its reason and the tables.
#include "app/SessionReport.h"
#include "assessment/AssessmentSession.h"
#include "assessment/AssessmentWindow.h"
#include "assessment/StandardsForm.h"
#include "assessment/StandardsTab.h"
#include "measurement/Measurement.h"
#include "measurement/MeasurementReader.h"
#include "measurement/RecordCsv.h"
#include "support/ReportProgram.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm;

namespace
{

QJsonObject fileJson(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

// A row as slm-report's text and pdftotext -layout lay it out: its cells in order on one line.
QRegularExpression rowPattern(const QStringList& cells)
{
    QStringList parts;
    for (const QString& c : cells)
        parts << QRegularExpression::escape(c);
    return QRegularExpression(QStringLiteral("^\\s*") + parts.join(QStringLiteral("\\s+")) +
                                  QStringLiteral("\\s*$"),
                              QRegularExpression::MultilineOption);
}

QStringList rowOf(QTableView* view, int row)
{
    QStringList cells;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        cells << view->model()->index(row, c).data().toString();
    return cells;
}

} // namespace

class TestAssessmentStandards : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tabGivesTheReportProgramsTables();
    void inputsAreKeptAndReadBack();
    void badInputIsSaid_data();
    void badInputIsSaid();
    void reportStatesTheStandards();

private:
    template <typename T> T* field(const char* name) { return m_window->findChild<T*>(name); }
    void type(const char* name, const QString& text);
    bool settled();

    QTemporaryDir m_dir;
    QString m_path;
    Measurement m_measurement;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<AssessmentSession> m_session;
    std::unique_ptr<AssessmentWindow> m_window;
};

void TestAssessmentStandards::initTestCase()
{
    qputenv("TZ", "UTC");
    // 60 dB every minute from 2026-03-02 00:00 to 07:00 the next morning: one whole CNEL day.
    QByteArray bytes =
        "Real Time\r\n60\r\nA\r\nFAST\r\n30-130\r\n 90.0 \r\n2026/03/02 00:00:00\r\nXXX\r\nXXX\r\n"
        "No.s\tDate Time\tdB\t\r\n";
    const QDateTime start(QDate(2026, 3, 2), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < 31 * 60; ++i)
        bytes += QByteArray::number(i + 1) + '\t' +
                 start.addSecs(60 * i).toString("yyyy/MM/dd HH:mm:ss").toLatin1() + "\t60.0\t\r\n";
    m_path = m_dir.filePath("yard.slmm");
    QCOMPARE(writeAndOpen(m_path, bytes, m_measurement), QString());
    m_session = std::make_unique<AssessmentSession>(m_measurement, m_dialogs);
    m_window = std::make_unique<AssessmentWindow>(*m_session, m_dialogs);
    m_window->setReportWriter(writeSessionReport);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->tabs()->setCurrentWidget(m_window->standards());
}

void TestAssessmentStandards::type(const char* name, const QString& text)
{
    auto* edit = field<QLineEdit>(name);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

bool TestAssessmentStandards::settled()
{
    return m_session->resultsCurrent() && m_session->resultView().standards != nullptr;
}

void TestAssessmentStandards::tabGivesTheReportProgramsTables()
{
    type("StandardsAmbient", "52");
    type("StandardsResidual", "48");
    field<QCheckBox>("StandardsRating")->click();
    auto* tonal = field<QComboBox>("StandardsTonal");
    tonal->setCurrentIndex(tonal->findData(2));
    type("StandardsTonalReason", "audible tone at 500 Hz");
    type("StandardsBackgroundLevel", "40");
    field<QCheckBox>("StandardsCnel")->click();
    QTRY_VERIFY(settled() && m_window->standards()->table("Cnel"));
    QCOMPARE(m_window->standards()->message()->text(), QString());

    StandardsTab* tab = m_window->standards();
    QLabel* specific = tab->value("Residual", "Specific Ls");
    QCOMPARE(specific->text(), QStringLiteral("49.8 dB"));
    QCOMPARE(specific->accessibleName(), QStringLiteral("Specific Ls: 49.8 dB"));
    QCOMPARE(tab->value("Rating", "Tonal")->text(), QStringLiteral("2 dB (audible tone at 500 Hz)"));
    QTableView* cnel = tab->table("Cnel");
    QCOMPARE(rowOf(cnel, 1).value(0), QStringLiteral("2026-03-02"));
    QCOMPARE(rowOf(cnel, 1).value(5), QStringLiteral("66.7"));
    QVERIFY(!cnel->tabKeyNavigation());

    // slm-report with the same options over the same file: the same rows and figures.
    const QStringList options{"--ambient", "52",     "--residual",         "48", "--rating", "--tonal",
                              "2",         "--cnel", "--background-level", "40", m_path};
    const ReportRun text = runReportProgram(options);
    QVERIFY2(text.status == 0, text.err.constData());
    const QString out = QString::fromUtf8(text.out);
    for (int row = 0; row < cnel->model()->rowCount(); ++row)
        QVERIFY2(rowPattern(rowOf(cnel, row)).match(out).hasMatch(), qPrintable(rowOf(cnel, row).join(u'|')));
    for (const auto& [table, name] : {std::pair{"Residual", "Specific Ls"},
                                      {"Rating", "Rating level LAr"},
                                      {"Rating", "Excess LAr - LA90"}})
        QVERIFY2(
            rowPattern({name + QStringLiteral(":"), tab->value(table, name)->text()}).match(out).hasMatch(),
            name);
    const ReportRun json = runReportProgram(QStringList{"--json"} + options);
    const QJsonObject report = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(QString::number(report["residual"]["specific"].toDouble(), 'f', 1), QStringLiteral("49.8"));
    QCOMPARE(QString::number(report["cnel"]["overall"].toDouble(), 'f', 1), QStringLiteral("66.7"));

    // Every input is reached by Tab and named by a label with its mnemonic.
    for (QWidget* input : m_window->standards()->form()->findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(input) && !qobject_cast<QComboBox*>(input) &&
            !qobject_cast<QPlainTextEdit*>(input) && !qobject_cast<QCheckBox*>(input))
            continue;
        if (input->objectName().isEmpty())
            continue; // a part of a combo box
        QVERIFY2(input->focusPolicy() & Qt::TabFocus, qPrintable(input->objectName()));
        bool named = false;
        if (auto* box = qobject_cast<QCheckBox*>(input))
            named = box->text().contains(u'&');
        for (QLabel* label : m_window->findChildren<QLabel*>())
            named = named || (label->buddy() == input && label->text().contains(u'&'));
        QVERIFY2(named, qPrintable(input->objectName()));
    }
}

void TestAssessmentStandards::inputsAreKeptAndReadBack()
{
    const QString path = m_path + ".assessment.json";
    QJsonObject top = fileJson(path);
    QJsonObject standards = top["standards"].toObject();
    QCOMPARE(standards["ambient"].toDouble(), 52.0);
    QCOMPARE(standards["residual"].toDouble(), 48.0);
    QCOMPARE(standards["cnel"].toBool(), true);
    QCOMPARE(standards["tonal"].toObject()["reason"].toString(), QStringLiteral("audible tone at 500 Hz"));

    // A later version's keys, at the top and among the standards' inputs.
    standards.insert("later_key", "kept");
    top.insert("standards", standards);
    top.insert("other_tool", 1);
    QCOMPARE(writeFileAtomically(path, QJsonDocument(top).toJson()), QString());
    ScriptedDialogs dialogs;
    AssessmentSession session(m_measurement, dialogs);
    AssessmentWindow window(session, dialogs);
    QCOMPARE(window.findChild<QLineEdit*>("StandardsAmbient")->text(), QStringLiteral("52"));
    QCOMPARE(window.findChild<QLineEdit*>("StandardsTonalReason")->text(),
             QStringLiteral("audible tone at 500 Hz"));
    QVERIFY(window.findChild<QCheckBox*>("StandardsCnel")->isChecked());
    QTRY_VERIFY(session.resultsCurrent() && window.standards()->table("Cnel"));
    QCOMPARE(rowOf(window.standards()->table("Cnel"), 1).value(5), QStringLiteral("66.7"));

    auto* intervals = window.findChild<QComboBox*>("StandardsIntervals");
    intervals->setCurrentIndex(intervals->findData(3600));
    const QJsonObject written = fileJson(path);
    QCOMPARE(written["standards"]["intervals_s"].toInt(), 3600);
    QCOMPARE(written["standards"]["later_key"].toString(), QStringLiteral("kept"));
    QCOMPARE(written["other_tool"].toInt(), 1);
    QCOMPARE(written["standards"]["ambient"].toDouble(), 52.0);
    QTRY_VERIFY(session.resultsCurrent() && window.standards()->table("Intervals"));
    QCOMPARE(window.standards()->table("Intervals")->model()->rowCount(), 31);
}

void TestAssessmentStandards::badInputIsSaid_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("taken");
    QTest::newRow("not a level") << "StandardsAmbient"
                                 << "loud"
                                 << "Ambient La not taken: a level in dB or a span START/END" << false;
    QTest::newRow("span outside the file")
        << "StandardsAmbient"
        << "2026-03-05 10:00/2026-03-05 11:00"
        << "Ambient La 2026-03-05 10:00/2026-03-05 11:00: the span lies outside the records" << true;
    QTest::newRow("span backwards") << "StandardsResidual"
                                    << "2026-03-02 11:00/2026-03-02 10:00"
                                    << "Residual Lr not taken: the span" << false;
    QTest::newRow("no duration") << "StandardsTr"
                                 << "soon"
                                 << "Reference interval Tr not taken: a duration" << false;
    QTest::newRow("two of three") << "StandardsAbc"
                                  << "61, 55"
                                  << "ABC ambient not taken: three levels" << false;
    QTest::newRow("no reason") << "StandardsTonalReason"
                               << ""
                               << "Give the reason for the tonal correction of 2 dB." << true;
}

void TestAssessmentStandards::badInputIsSaid()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(bool, taken);
    const QByteArray name = field.toLatin1();
    const QString before = this->field<QLineEdit>(name)->text();
    const QByteArray file = QJsonDocument(fileJson(m_path + ".assessment.json")).toJson();
    type(name, text);
    QLabel* said = m_window->standards()->message();
    QTRY_VERIFY2(said->isVisible() && said->text().contains(message), qPrintable(said->text()));
    QCOMPARE(said->accessibleName(), said->text());
    // Also in the status line, in sight whichever field is.
    QTRY_COMPARE(m_window->findChild<QLabel*>("AssessmentStatus")->text(),
                 "Standards: " + said->text().section(u'\n', 0, 0));
    QCOMPARE(QJsonDocument(fileJson(m_path + ".assessment.json")).toJson() != file, taken);
    type(name, before);
    QTRY_VERIFY2(settled() && said->isHidden(), qPrintable(said->text()));
}

void TestAssessmentStandards::reportStatesTheStandards()
{
    QTRY_VERIFY(settled());
    const QString pdf = m_dir.filePath("yard.pdf");
    m_dialogs.saveAnswers.enqueue(pdf);
    m_dialogs.confirmAnswers.enqueue(false);
    m_window->writeReport();
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    const QStringList rows[] = {{"Ambient La", "52.0 dB"},
                                {"Tonal correction", "2 dB: audible tone at 500 Hz"},
                                {"Background LA90", "40.0 dB (given)"},
                                {"Tonal", "2 dB (audible tone at 500 Hz)"},
                                {"Specific Ls", "49.8 dB"},
                                rowOf(m_window->standards()->table("Cnel"), 1)};
    QVERIFY2(text.contains(QRegularExpression("^Standards$", QRegularExpression::MultilineOption)),
             qPrintable(text));
    for (const QStringList& row : rows)
        QVERIFY2(rowPattern(row).match(text).hasMatch(), qPrintable(row.join(u'|')));
}

QTEST_MAIN(TestAssessmentStandards)
#include "test_assessment_standards.moc"
