// The measurement report as a batch run writes it: `slm-report --pdf` on a file with details, a
// calibration drift and two exclusions, read back with pdftotext: the details, the drift message,
// every hourly row as the tables give it, the header row again on the continuation page and the
// reasons in order; and a report that cannot be written leaves no file.
#include "measurement/AssessmentFile.h"
#include "measurement/AssessmentRun.h"
#include "measurement/AssessmentTables.h"
#include "measurement/RecordCsv.h"
#include "report/AssessmentReport.h"
#include "support/ReportProgram.h"
#include "support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm;

namespace
{

// A table row as pdftotext -layout lays it out: its cells in order on one line.
QRegularExpression rowPattern(const QStringList& cells)
{
    QStringList parts;
    for (const QString& c : cells)
        if (!c.isEmpty())
            parts << QRegularExpression::escape(c);
    return QRegularExpression(u'^' + QStringLiteral("\\s*") + parts.join(QStringLiteral("\\s+")) +
                                  QStringLiteral("\\s*$"),
                              QRegularExpression::MultilineOption);
}

constexpr int Records = 60 * 60; // 60 hours at 60 s: the hourly table runs onto a second page
const QDateTime Start(QDate(2026, 3, 2), QTime(0, 0, 0));

} // namespace

class TestReportPdf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void reportReadsBackInOrder();
    void failureLeavesNoFile_data();
    void failureLeavesNoFile();
    void damagedOwnAssessment_data();
    void damagedOwnAssessment();
    void longListsAreCutShort();

private:
    QTemporaryDir m_dir;
    QString m_records;
    std::vector<RecordSample> m_samples;
    AssessmentFile m_assessment;
};

void TestReportPdf::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
             "pdftotext is missing: run scripts/install-deps.sh");
    QByteArray bytes =
        "Real Time\r\n60\r\nA\r\nFAST\r\n30-130\r\n 75.0 \r\n2026/03/02 01:37:00\r\nXXX\r\nXXX\r\n"
        "No.s\tDate Time\tdB\t\r\n";
    for (int n = 0; n < Records; ++n) {
        const QByteArray time = Start.addSecs(60 * n).toString("yyyy/MM/dd HH:mm:ss").toLatin1();
        const QByteArray level = n % 97 == 0 ? "75.0" : QByteArray::number(50 + (n % 20) / 2.0, 'f', 1);
        bytes += QByteArray::number(n + 1) + '\t' + time + '\t' + level + "\t\r\n";
        m_samples.push_back(parseRecordSample(time, level));
    }
    m_records = m_dir.filePath("north fence.slmm");
    QCOMPARE(writeFileAtomically(m_records, bytes), QString());

    AssessmentDetails& d = m_assessment.details;
    d.site = "North fence, plant 2";
    d.address = "52.5200 N, 13.4050 E";
    d.operatorName = "J. Example";
    d.purpose = "Baseline before the new compressor";
    d.instrumentModel = "Model 8";
    d.instrumentSerial = "A123456";
    d.instrumentClass = "2";
    d.calibratorModel = "Cal 94";
    d.calibratorSerial = "C998";
    d.calibratorReferenceLevel = 94.0;
    d.calibrationBefore = 94.0;
    d.calibrationAfter = 94.6;
    d.conditions = "Dry, wind 2 m/s from the west";
    m_assessment.exclusions = {
        {{Start.addSecs(5 * 3600), Start.addSecs(6 * 3600), "Truck at the gate"}, {}},
        {{Start.addSecs(34 * 3600), Start.addSecs(34 * 3600 + 1800), "Calibration tone"}, {}},
    };
    QCOMPARE(writeAssessmentFile(assessmentFilePath(m_records), m_assessment), QString());
    QCOMPARE(writeFileAtomically(m_dir.filePath("earlier.pdf"), "an earlier report"), QString());
}

void TestReportPdf::reportReadsBackInOrder()
{
    const QString pdf = m_dir.filePath("report.pdf");
    const ReportRun run = runReportProgram({"--pdf", pdf, m_records});
    QVERIFY2(run.status == 0 && run.err.isEmpty(), run.err.constData());
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());

    // What the report must say, in the order it says it: the title block with the details and the
    // drift, then the sections, the exclusions' reasons last.
    const std::vector<Exclusion> spans = m_assessment.spans();
    const AssessmentResults results = assessSamples(m_samples, 60.0, true, spans, AssessmentSettings{});
    const TextTable hours = hoursTable(results);
    QList<QRegularExpression> expected = {
        QRegularExpression("Measurement report"),
        rowPattern({"Site", "North fence, plant 2"}),
        rowPattern({"Operator", "J. Example"}),
        rowPattern({"Instrument serial number", "A123456"}),
        rowPattern({"Calibration check before", "94.0 dB"}),
        rowPattern({"Calibration check after", "94.6 dB"}),
        rowPattern({"Calibration drift", "0.60 dB"}),
        rowPattern({calibrationDriftText()}),
        rowPattern({"Leq", figuresTable(results).rows[0][1]}),
        QRegularExpression(
            QRegularExpression::escape(assessedBasisText(results.figures, results.excluded()))),
        rowPattern(hours.columns),
    };
    for (const QStringList& row : hours.rows)
        expected << rowPattern(row);
    expected << rowPattern({"Noise events"}) << rowPattern(exclusionsTable(spans).columns)
             << QRegularExpression("Truck at the gate") << QRegularExpression("Calibration tone");
    qsizetype at = 0;
    for (const QRegularExpression& e : expected) {
        const QRegularExpressionMatch m = e.match(page, at);
        QVERIFY2(m.hasMatch(),
                 qPrintable(QStringLiteral("not found after offset %1: %2").arg(at).arg(e.pattern())));
        at = m.capturedEnd();
    }
    // The hourly table runs onto a second page and says so, with its header row again.
    QVERIFY(page.contains("Hourly levels (continued)"));
    QCOMPARE(page.count(rowPattern(hours.columns)), 2);
    // Every page's foot: its number of the same total, and the program's version.
    QStringList feet;
    for (const QRegularExpressionMatch& m : QRegularExpression("Page (\\d+) of (\\d+)").globalMatch(page))
        feet << m.captured(0);
    QVERIFY(feet.size() >= 3);
    for (qsizetype i = 0; i < feet.size(); ++i)
        QCOMPARE(feet[i], QStringLiteral("Page %1 of %2").arg(i + 1).arg(feet.size()));
    QVERIFY(page.contains(QStringLiteral("slm-panel %1").arg(programVersionText())));
    QCOMPARE(programVersionText(), QStringLiteral("8.01"));
}

void TestReportPdf::failureLeavesNoFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("records");
    QTest::addColumn<QString>("named"); // what the message names
    QTest::addColumn<int>("status");
    QTest::newRow("folder missing") << "missing/report.pdf"
                                    << ""
                                    << "missing/report.pdf" << 1;
    // Refused before anything is read: the command line names what cannot be written.
    QTest::newRow("target is a folder") << "."
                                        << ""
                                        << "not a regular file" << 2;
    // A report already there stays as it was.
    QTest::newRow("record file missing") << "earlier.pdf"
                                         << "nothing.slmm"
                                         << "nothing.slmm" << 1;
}

void TestReportPdf::failureLeavesNoFile()
{
    QFETCH(QString, target);
    QFETCH(QString, records);
    QFETCH(QString, named);
    QFETCH(int, status);
    const QString path = QDir::cleanPath(m_dir.filePath(target));
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
    const QByteArray earlier = QFileInfo(path).isFile() ? readAll(path) : QByteArray();
    const ReportRun run =
        runReportProgram({"--pdf", path, records.isEmpty() ? m_records : m_dir.filePath(records)});
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(named.toUtf8()), run.err.constData());
    QCOMPARE(QFileInfo(path).isFile() ? readAll(path) : QByteArray(), earlier);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
}

// A damaged assessment file beside the records stops the report only when its exclusions are the
// ones asked for; otherwise the report is written without its details, with a warning naming it.
void TestReportPdf::damagedOwnAssessment_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::newRow("its own exclusions") << QStringList{} << 1;
    QTest::newRow("--no-exclusions") << QStringList{"--no-exclusions"} << 0;
    QTest::newRow("--exclusions another file") << QStringList{"--exclusions", "other.json"} << 0;
}

void TestReportPdf::damagedOwnAssessment()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    const QString records = m_dir.filePath("damaged.slmm");
    QFile::remove(records);
    QVERIFY(QFile::copy(m_records, records));
    QCOMPARE(writeFileAtomically(assessmentFilePath(records), "{ damaged"), QString());
    QCOMPARE(writeAssessmentFile(m_dir.filePath("other.json"), m_assessment), QString());
    for (QString& o : options)
        if (o.endsWith(".json"))
            o = m_dir.filePath(o);
    const QString pdf = m_dir.filePath("damaged.pdf");
    QFile::remove(pdf);
    const ReportRun run = runReportProgram(options + QStringList{"--pdf", pdf, records});
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains("damaged.slmm.assessment.json"), run.err.constData());
    QCOMPARE(QFile::exists(pdf), status == 0);
}

// 650 events in 1300 s: the report lists the first 500 and says how to get the rest.
void TestReportPdf::longListsAreCutShort()
{
    QByteArray bytes =
        "Real Time\r\n1\r\nA\r\nFAST\r\n30-130\r\n 80.0 \r\n2026/03/02 10:00:00\r\nXXX\r\nXXX\r\n"
        "No.s\tDate Time\tdB\t\r\n";
    const QDateTime start(QDate(2026, 3, 2), QTime(10, 0), Qt::UTC);
    for (int n = 0; n < 1300; ++n)
        bytes += QByteArray::number(n + 1) + '\t' +
                 start.addSecs(n).toString("yyyy/MM/dd HH:mm:ss").toLatin1() +
                 (n % 2 == 0 ? "\t80.0\t\r\n" : "\t50.0\t\r\n");
    const QString records = m_dir.filePath("busy road.slmm");
    QCOMPARE(writeFileAtomically(records, bytes), QString());
    const QString pdf = m_dir.filePath("busy.pdf");
    const ReportRun run = runReportProgram({"--pdf", pdf, records});
    QVERIFY2(run.status == 0, run.err.constData());
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(page.contains("650 events"));
    QVERIFY(page.contains(QRegularExpression("\\n\\s*500\\s+2026-03-02 10:16:38")));
    QVERIFY(!page.contains(QRegularExpression("\\n\\s*501\\s+2026")));
    QVERIFY2(page.contains("... and 150 more: slm-report --csv events 'busy road.slmm' --events 70,0,0"),
             qPrintable(page.right(600)));
}

QTEST_MAIN(TestReportPdf)
#include "test_report_pdf.moc"
