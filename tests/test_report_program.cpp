// The slm-report program as a script runs it: files written by the program's own writers, the
// JSON keys and values, several files with a damaged one, the CSV, the text report and the usage.
#include "measurement/MeasurementFigures.h"
#include "measurement/RecordCsv.h"
#include "measurement/RecordListModel.h"
#include "views/FileTransfer.h"

#include "support/ReportProgram.h"
#include "support/TestFiles.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace slm;

namespace
{

void fill(RecordListModel& list, const QStringList& levels)
{
    const QDateTime start(QDate(2026, 1, 17), QTime(8, 30, 0));
    for (int i = 0; i < levels.size(); ++i)
        list.append(QString::number(i + 1), start.addSecs(5 * i).toString("yyyy/MM/dd HH:mm:ss"), levels[i]);
}

// An hour at 1 s from 10:00 local time, the first half hour at 90 dB: 1800 events' worth of noise
// when it is not excluded.
QByteArray hourOfRecords()
{
    QByteArray bytes = "Real Time\r\n1\r\nA\r\nFAST\r\n50-110\r\n 90.0 \r\n2026/03/02 10:00:00\r\nXXX\r\n"
                       "XXX\r\nNo.s\tDate Time\tdB\t\r\n";
    const QDateTime start(QDate(2026, 3, 2), QTime(10, 0), Qt::UTC);
    for (int i = 0; i < 3600; ++i)
        bytes += QByteArray::number(i + 1) + '\t' +
                 start.addSecs(i).toString("yyyy/MM/dd HH:mm:ss").toLatin1() +
                 (i < 1800 ? "\t90.0\t\r\n" : "\t60.0\t\r\n");
    return bytes;
}

const QByteArray HalfHourExcluded = R"({"format": "slm-assessment", "version": 1, "exclusions": [
    {"start": "2026-03-02T10:00:00+01:00", "end": "2026-03-02T10:30:00+01:00", "reason": "works"}]})";

const QStringList Levels = {"60.0", "70.0", "65.3*", "--", "OL", "XXX", "62.5", "64.1"};

} // namespace

class TestReportProgram : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void jsonOfARealTimeFileAgreesWithTheWindows();
    void severalFilesOneDamaged();
    void listFileAndResolution();
    void csvOfOneFile();
    void textReportAndUsage();
    void assessmentsFollowTheExclusions();
    void filesAndOptionsRefused_data();
    void filesAndOptionsRefused();
    void tablesOfAPipeAndOfAFileAgree_data();
    void tablesOfAPipeAndOfAFileAgree();

private:
    QTemporaryDir m_dir;
    RecordListModel m_list;
    QString m_realTime;
    QString m_logged;
    QString m_listFile;
};

void TestReportProgram::initTestCase()
{
    fill(m_list, Levels);
    RealTimeHeader rt{5, "A", "FAST", "50-110", " 70 ", "2026/01/17 08:30:05", "XXX", "XXX"};
    m_realTime = m_dir.filePath("real.slmm");
    QCOMPARE(writeRealTimeListFile(m_realTime, rt, m_list, nullptr), QString());
    DataLoggerHeader dl;
    dl.samplingInterval = 5;
    dl.freqWeighting = "C";
    dl.l05 = dl.l10 = dl.l50 = dl.l90 = dl.l95 = dl.sel = dl.leq = "XXX";
    m_logged = m_dir.filePath("logged.slmm");
    QCOMPARE(writeDataLoggerFile(m_logged, dl, m_list, nullptr), QString());
    m_listFile = m_dir.filePath("0117083000.slmm");
    QCOMPARE(writeListFile(m_listFile, m_list, nullptr), QString());
}

void TestReportProgram::jsonOfARealTimeFileAgreesWithTheWindows()
{
    const ReportRun r = runReportProgram({"--json", m_realTime});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QVERIFY(doc.isObject());
    const QJsonObject o = doc.object();

    // The keys, in the order a reader of the raw text finds them.
    const QStringList keys = {"file",     "kind", "interval_s", "records",   "levels",    "paused", "other",
                              "excluded", "leq",  "sel",        "lmax",      "lmin",      "l5",     "l10",
                              "l50",      "l90",  "l95",        "class_min", "class_max", "ln"};
    qsizetype at = 0;
    for (const QString& k : keys) {
        const qsizetype found = r.out.indexOf("\"" + k.toUtf8() + "\":", at);
        QVERIFY2(found > at, qPrintable(k));
        at = found;
    }
    QCOMPARE(o.keys().size(), keys.size());

    // The figures the windows show for the same records at the file's 5 s.
    const LevelFigures f = figuresOfList(m_list, 5.0);
    QCOMPARE(o["file"].toString(), m_realTime);
    QCOMPARE(o["kind"].toString(), QStringLiteral("real-time"));
    QCOMPARE(o["interval_s"].toDouble(), 5.0);
    QCOMPARE(o["records"].toInt(), 8);
    QCOMPARE(o["levels"].toInt(), 4);
    QCOMPARE(o["paused"].toInt(), 1);
    QCOMPARE(o["other"].toInt(), 3);
    QCOMPARE(QString::number(o["leq"].toDouble(), 'f', 1), figureText(f.leq));
    QCOMPARE(QString::number(o["sel"].toDouble(), 'f', 1), figureText(f.sel));
    QCOMPARE(o["lmax"].toDouble(), 70.0);
    QCOMPARE(o["lmin"].toDouble(), 60.0);
    QCOMPARE(QString::number(o["l50"].toDouble(), 'f', 1), f.percentile(50));
    QCOMPARE(QString::number(o["l5"].toDouble(), 'f', 1), f.percentile(5));
    QCOMPARE(o["class_min"].toInt(), f.ln.classMin);
    QCOMPARE(o["class_max"].toInt(), f.ln.classMax);
    const QJsonArray ln = o["ln"].toArray();
    QCOMPARE(ln.size(), 100);
    for (int p = 0; p < 100; ++p) {
        QVERIFY(ln[p].isString());
        QCOMPARE(ln[p].toString(), f.percentile(p));
    }
}

void TestReportProgram::severalFilesOneDamaged()
{
    const QString damaged = m_dir.filePath("damaged.slmm");
    QFile out(damaged);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("No.s\tDate Time\tdB\t\r\n1\t2026/01/17 08:30:00\t60.0\t\r\n2 no tabs here\r\n");
    out.close();
    const QString missing = m_dir.filePath("missing.slmm");

    const ReportRun r = runReportProgram({"--json", m_realTime, damaged, missing, m_logged});
    QCOMPARE(r.status, 1);
    // Each bad file named, with the line where there is one.
    QVERIFY2(r.err.contains("damaged.slmm: Line 3:"), r.err.constData());
    QVERIFY(r.err.contains("missing.slmm"));
    // The others are still reported, as an array.
    const QJsonDocument doc = QJsonDocument::fromJson(r.out);
    QVERIFY(doc.isArray());
    const QJsonArray files = doc.array();
    QCOMPARE(files.size(), 2);
    QCOMPARE(files[0].toObject()["kind"].toString(), QStringLiteral("real-time"));
    QCOMPARE(files[1].toObject()["kind"].toString(), QStringLiteral("data-logger"));
    QCOMPARE(files[1].toObject()["leq"], files[0].toObject()["leq"]);
}

void TestReportProgram::listFileAndResolution()
{
    // No header: the interval comes from the record times, 5 s apart.
    const ReportRun r = runReportProgram({"--json", "--resolution", "1", m_listFile});
    QCOMPARE(r.status, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(o["kind"].toString(), QStringLiteral("list"));
    QCOMPARE(o["interval_s"].toDouble(), 5.0);
    QCOMPARE(o["records"].toInt(), 8);
    const LevelFigures whole = figuresOfList(m_list, 5.0, LnResolution::WholeDb);
    QCOMPARE(o["ln"].toArray()[50].toString(), whole.percentile(50));
    QVERIFY(!whole.percentile(50).contains(u'.'));
    QCOMPARE(o["class_max"].toInt(), whole.ln.classMax);

    // A file with one record: no step, so no interval and no SEL.
    const QString one = m_dir.filePath("one.slmm");
    QFile out(one);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("No.s\tDate Time\tdB\t\r\n1\t2026/01/17 08:30:00\t60.0\t\r\n");
    out.close();
    const QJsonObject single = QJsonDocument::fromJson(runReportProgram({"--json", one}).out).object();
    QVERIFY(single["interval_s"].isNull());
    QVERIFY(single["sel"].isNull());
    QCOMPARE(single["leq"].toDouble(), 60.0);

    QCOMPARE(runReportProgram({"--resolution", "0.5", one}).status, 2);
}

void TestReportProgram::csvOfOneFile()
{
    const ReportRun r = runReportProgram({"--csv", m_logged});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, recordListCsv(m_list));
    QVERIFY(r.out.startsWith("number,time,level,flag\r\n1,2026-01-17T08:30:00"));
    QCOMPARE(runReportProgram({"--csv", m_logged, m_realTime}).status, 2);
}

void TestReportProgram::textReportAndUsage()
{
    const ReportRun r = runReportProgram({m_realTime});
    QCOMPARE(r.status, 0);
    const QString text = QString::fromUtf8(r.out);
    const LevelFigures f = figuresOfList(m_list, 5.0);
    QVERIFY2(text.contains("Kind:        real-time"), qPrintable(text));
    QVERIFY(text.contains("Level Range: 50-110"));
    QVERIFY(text.contains("Records:     8"));
    QVERIFY(text.contains("Leq:       " + figureText(f.leq) + " dB"));
    QVERIFY(text.contains(figuresBasisText(f)));
    QVERIFY(text.contains("L(90)"));

    const ReportRun help = runReportProgram({"--help"});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains("SYNOPSIS") && help.out.contains("EXIT STATUS"));
    const ReportRun wrong = runReportProgram({"--frobnicate", m_realTime});
    QCOMPARE(wrong.status, 2);
    QVERIFY(wrong.err.contains("--frobnicate"));
    QCOMPARE(runReportProgram({}).status, 2);
}

void TestReportProgram::assessmentsFollowTheExclusions()
{
    qputenv("TZ", "Europe/Berlin");
    // 09:00..12:00 at 1 s, the hour from 10:00 at 90 dB, the rest at 60 dB; the loud hour excluded
    // by the file's own assessment file.
    const QString path = m_dir.filePath("site1.slmm");
    QByteArray bytes =
        "Real Time\r\n1\r\nA\r\nFAST\r\n50-110\r\n 90.0 \r\n2026/03/02 10:00:00\r\nXXX\r\nXXX\r\n"
        "No.s\tDate Time\tdB\t\r\n";
    const QDateTime start(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
    for (int i = 0; i < 10800; ++i)
        bytes += QByteArray::number(i + 1) + '\t' +
                 start.addSecs(i).toString("yyyy/MM/dd HH:mm:ss").toLatin1() +
                 (i / 3600 == 1 ? "\t90.0\t\r\n" : "\t60.0\t\r\n");
    QCOMPARE(writeFileAtomically(path, bytes), QString());
    const QByteArray exclusions = R"({"format": "slm-assessment", "version": 1, "exclusions": [
        {"start": "2026-03-02T10:00:00+01:00", "end": "2026-03-02T11:00:00+01:00", "reason": "truck"}]})";
    QCOMPARE(writeFileAtomically(path + ".assessment.json", exclusions), QString());

    const QStringList asked = {"--json", "--periods", "--dose", "osha-pel", "--events", "70", path};
    const QJsonObject with = QJsonDocument::fromJson(runReportProgram(asked).out).object();
    const QJsonObject without =
        QJsonDocument::fromJson(runReportProgram(QStringList{"--no-exclusions"} + asked).out).object();
    QCOMPARE(with["excluded"].toInt(), 3600);
    QCOMPARE(without["excluded"].toInt(), 0);
    QCOMPARE(with["records"].toInt(), 10800);
    QCOMPARE(with["leq"].toDouble(), 60.0);
    QCOMPARE(without["leq"].toDouble(), 85.2);
    QCOMPARE(with["lmin"], without["lmin"]);
    const QJsonObject loudHour = with["hours"].toArray()[1].toObject();
    QCOMPARE(loudHour["start"].toString(), QStringLiteral("2026-03-02T10:00:00+01:00"));
    QCOMPARE(loudHour["excluded"].toInt(), 3600);
    QVERIFY(loudHour["leq"].isNull());
    QCOMPARE(without["hours"].toArray()[1].toObject()["leq"].toDouble(), 90.0);
    QCOMPARE(with["hours"].toArray()[0], without["hours"].toArray()[0]);
    QCOMPARE(with["dose"].toObject()["dose"].toDouble(), 0.0);
    QCOMPARE(without["dose"].toObject()["dose"].toDouble(), 12.5);
    QCOMPARE(with["events"].toObject()["count"].toInt(), 0);
    QCOMPARE(without["events"].toObject()["list"].toArray()[0].toObject()["duration_s"].toDouble(), 3600.0);
    QVERIFY(with["days"].toArray()[0].toObject()["lday"].isNull()); // 2 h of 12: below 50 %

    const ReportRun hours = runReportProgram({"--csv", "hours", path});
    QCOMPARE(hours.status, 0);
    QVERIFY(hours.out.startsWith("start,leq,lmax,lmin,l10,l50,l90,levels,coverage,excluded\r\n"
                                 "2026-03-02T09:00:00+01:00,60.0,60.0,60.0,60.0,60.0,60.0,3600,100.0,0\r\n"));
    QVERIFY(runReportProgram({path}).out.contains("from 7200 readings every 1 s; 3600 excluded left out"));

    // Bad input: named, nothing written.
    const std::pair<QStringList, int> bad[] = {{{"--dose", "osha", path}, 2},
                                               {{"--events", "loud", path}, 2},
                                               {{"--periods", "--day", "20:00", path}, 2},
                                               {{"--csv", "events", path}, 2}};
    for (const auto& [arguments, status] : bad) {
        const ReportRun r = runReportProgram(arguments);
        QCOMPARE(r.status, status);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(arguments[1].toUtf8()) || r.err.contains("--csv events"), r.err.constData());
    }
    QCOMPARE(writeFileAtomically(path + ".assessment.json", exclusions.left(40)), QString());
    const ReportRun damaged = runReportProgram({"--json", path});
    QCOMPARE(damaged.status, 1);
    QVERIFY(damaged.out.isEmpty());
    QVERIFY2(damaged.err.contains("site1.slmm.assessment.json: not valid JSON"), damaged.err.constData());
}

// Files and options that must be refused with a message naming what is wrong, and with nothing
// touched; and the ones that must work although they look odd. "@" stands for the test's folder;
// "cafe~" in a name is "caf" and the Latin-1 byte of "e acute": a name that is not UTF-8.
void TestReportProgram::filesAndOptionsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("said");   // on standard error ("" for nothing)
    QTest::addColumn<QByteArray>("output"); // in standard output
    const QStringList all = {"--periods", "--dose", "niosh", "--events", "70"};
    // --pdf never replaces what it reads nor what is not a regular file.
    QTest::newRow("pdf onto the record file") << QStringList{"--pdf", "@/own.slmm", "@/own.slmm"} << 2
                                              << QByteArray("the record file itself") << QByteArray();
    QTest::newRow("pdf onto its assessment file")
        << QStringList{"--pdf", "@/own.slmm.assessment.json", "@/own.slmm"} << 2
        << QByteArray("the record file's assessment file") << QByteArray();
    QTest::newRow("pdf onto the --exclusions file")
        << QStringList{"--pdf", "@/other.json", "--exclusions", "@/other.json", "@/own.slmm"} << 2
        << QByteArray("given with --exclusions") << QByteArray();
    QTest::newRow("pdf onto a FIFO") << QStringList{"--pdf", "@/fifo", "@/own.slmm"} << 2
                                     << QByteArray("not a regular file") << QByteArray();
    QTest::newRow("pdf onto a device") << QStringList{"--pdf", "/dev/null", "@/own.slmm"} << 2
                                       << QByteArray("not a regular file") << QByteArray();
    // An assessment file beside the records that cannot be read is an error in every output.
    for (const auto& [name, said] : {std::pair{"dangling", "a link that leads nowhere"},
                                     {"looping", "a link that leads nowhere"},
                                     {"zero", "not a regular file"},
                                     {"fifo", "not a regular file"},
                                     {"large", "larger than 64 MB"}}) {
        const QString file = QStringLiteral("@/%1.slmm").arg(QString::fromLatin1(name));
        const QByteArray message = QByteArray(name) + ".slmm.assessment.json: ";
        QTest::newRow(name) << QStringList{file} << 1 << QByteArray(said) << QByteArray();
        QTest::addRow("%s, json", name) << QStringList{"--json", file} << 1 << message << QByteArray();
        QTest::addRow("%s, csv hours", name)
            << QStringList{"--csv", "hours", file} << 1 << message << QByteArray();
        QTest::addRow("%s, pdf", name)
            << QStringList{"--pdf", "@/out.pdf", file} << 1 << message << QByteArray();
    }
    // Names that are not UTF-8: the file's own exclusions and --exclusions are found.
    QTest::newRow("own exclusions, name not UTF-8")
        << QStringList{"@/cafe~.slmm"} << 0 << QByteArray() << QByteArray("1800 excluded left out");
    QTest::newRow("--exclusions, name not UTF-8")
        << QStringList{"--exclusions", "@/cafe~.slmm.assessment.json", "@/plain.slmm"} << 0 << QByteArray()
        << QByteArray("1800 excluded left out");
    // Not a record file however large, with or without the assessments.
    QTest::newRow("huge, no record file")
        << QStringList{"@/huge.bin"} << 1 << QByteArray("no record file") << QByteArray();
    QTest::newRow("huge, assessed") << all + QStringList{"@/huge.bin"} << 1 << QByteArray("no record file")
                                    << QByteArray();
    // Custom dose criteria within their bounds only.
    QTest::newRow("criterion too high") << QStringList{"--dose", "1e308,5,80", "@/plain.slmm"} << 2
                                        << QByteArray("0 to 200 dB") << QByteArray();
    QTest::newRow("exchange rate too small") << QStringList{"--dose", "90,1e-300,80", "@/plain.slmm"} << 2
                                             << QByteArray("1 to 10 dB") << QByteArray();
    QTest::newRow("threshold below 0")
        << QStringList{"--dose", "90,5,-1", "@/plain.slmm"} << 2 << QByteArray("0 to 200 dB") << QByteArray();
    QTest::newRow("bounds themselves") << QStringList{"--json", "--dose", "200,10,0", "@/plain.slmm"} << 0
                                       << QByteArray() << QByteArray("\"exchange\": 10");
    // The notice of a file without records stays, and conflicting outputs are usage errors.
    QTest::newRow("no records, assessed")
        << all + QStringList{"@/empty.slmm"} << 0 << QByteArray("the file holds no records.")
        << QByteArray("Records:     0");
    QTest::newRow("no records, csv table")
        << QStringList{"--csv", "days", "@/empty.slmm"} << 0 << QByteArray("the file holds no records.")
        << QByteArray("overall");
    QTest::newRow("records csv with --periods")
        << QStringList{"--csv", "--periods", "@/plain.slmm"} << 2
        << QByteArray("--csv alone writes the records") << QByteArray();
    QTest::newRow("two csv tables") << QStringList{"--csv", "hours", "--csv", "days", "@/plain.slmm"} << 2
                                    << QByteArray("--csv is given twice") << QByteArray();
}

void TestReportProgram::filesAndOptionsRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, said);
    QFETCH(QByteArray, output);
    const QString dir = m_dir.filePath("refused");
    const QByteArray d = QFile::encodeName(dir);
    if (!QFileInfo::exists(dir)) {
        QVERIFY(QDir().mkpath(dir));
        const QByteArray records = hourOfRecords();
        for (const char* name : {"own", "plain", "dangling", "looping", "zero", "fifo", "large"})
            QCOMPARE(writeFileAtomically(dir + "/" + name + ".slmm", records), QString());
        QCOMPARE(writeFileAtomically(dir + "/own.slmm.assessment.json", HalfHourExcluded), QString());
        QCOMPARE(writeFileAtomically(dir + "/other.json", HalfHourExcluded), QString());
        QCOMPARE(writeFileAtomically(dir + "/empty.slmm", "No.s\tDate Time\tdB\t\r\n"), QString());
        QCOMPARE(::symlink("nowhere", d + "/dangling.slmm.assessment.json"), 0);
        QCOMPARE(::symlink("looping.slmm.assessment.json", d + "/looping.slmm.assessment.json"), 0);
        QCOMPARE(::symlink("/dev/zero", d + "/zero.slmm.assessment.json"), 0);
        QCOMPARE(::mkfifo(d + "/fifo.slmm.assessment.json", 0600), 0);
        QCOMPARE(::mkfifo(d + "/fifo", 0600), 0);
        QFile large(dir + "/large.slmm.assessment.json");
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(65 * 1024 * 1024)); // sparse
        QFile huge(dir + "/huge.bin");
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30));
        QFile latin1;
        QVERIFY(latin1.open(::fopen(d + "/caf\xe9.slmm", "wb"), QIODevice::WriteOnly,
                            QFileDevice::AutoCloseHandle));
        latin1.write(records);
        latin1.close();
        QVERIFY(latin1.open(::fopen(d + "/caf\xe9.slmm.assessment.json", "wb"), QIODevice::WriteOnly,
                            QFileDevice::AutoCloseHandle));
        latin1.write(HalfHourExcluded);
        latin1.close();
    }
    const QByteArray ownBefore = readAll(dir + "/own.slmm") + readAll(dir + "/own.slmm.assessment.json");
    // Through the shell, so a name's Latin-1 byte reaches the program as it is (printf makes it).
    QString line = "exec \"" + QCoreApplication::applicationDirPath() + "/slm-report\"";
    for (QString a : arguments)
        line +=
            " \"" +
            a.replace(u'@', dir).replace(QStringLiteral("cafe~"), QStringLiteral("caf$(printf '\\351')")) +
            "\"";
    QProcess p;
    p.start("/bin/sh", {"-c", line});
    QVERIFY(p.waitForFinished(60000));
    const QByteArray err = p.readAllStandardError();
    const QByteArray out = p.readAllStandardOutput();
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == status, err.constData());
    if (!said.isEmpty())
        QVERIFY2(err.contains(said), err.constData());
    else
        QVERIFY2(err.isEmpty(), err.constData());
    QVERIFY2(out.contains(output), out.left(400).constData());
    if (status != 0)
        QVERIFY(out.isEmpty());
    QCOMPARE(readAll(dir + "/own.slmm") + readAll(dir + "/own.slmm.assessment.json"), ownBefore);
    QVERIFY(!QFileInfo::exists(dir + "/out.pdf"));
    QVERIFY(QFileInfo(dir + "/fifo").isFile() == false);
}

// The tables of a file are read in passes over it; a pipe's records are held instead. Both must
// write the same bytes, with exclusions and pauses, and for a list file whose interval only its
// records give.
void TestReportProgram::tablesOfAPipeAndOfAFileAgree_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("list");
    QTest::addColumn<QByteArray>("output");
    const QStringList all = {"--periods", "--dose", "niosh", "--events", "70"};
    QTest::newRow("text") << all << false << QByteArray("     182  2026-03-02T10:59:50+01:00");
    QTest::newRow("json") << QStringList{"--json"} + all << false << QByteArray("\"count\": 182,");
    QTest::newRow("csv events") << QStringList{"--csv", "events", "--events", "70"} << false
                                << QByteArray("\r\n182,2026-03-02T10:59:50+01:00,");
    QTest::newRow("csv hours") << QStringList{"--csv", "hours"} << false
                               << QByteArray(
                                      "T10:00:00+01:00,69.9,75.0,55.0,75.0,55.0,55.0,1781,49.5,1800\r\n");
    QTest::newRow("csv days") << QStringList{"--csv", "days"} << false << QByteArray("\r\noverall,");
    QTest::newRow("list file, text") << all << true << QByteArray("continuation 0 s): 182, ");
    QTest::newRow("list file, csv events") << QStringList{"--csv", "events", "--events", "70"} << true
                                           << QByteArray("\r\n182,2026-03-02T10:59:50+01:00,");
}

void TestReportProgram::tablesOfAPipeAndOfAFileAgree()
{
    qputenv("TZ", "Europe/Berlin");
    QFETCH(QStringList, arguments);
    QFETCH(bool, list);
    QFETCH(QByteArray, output);
    // Three records in ten at 75 dB (an event each), one in 97 paused, which splits two of them;
    // the first half hour excluded.
    QByteArray bytes = hourOfRecords();
    bytes.truncate(bytes.indexOf("No.s"));
    bytes = (list ? QByteArray() : bytes) + "No.s\tDate Time\tdB\t\r\n";
    const QDateTime start(QDate(2026, 3, 2), QTime(10, 0), Qt::UTC);
    for (int i = 0; i < 3600; ++i)
        bytes += QByteArray::number(i + 1) + '\t' +
                 start.addSecs(i).toString("yyyy/MM/dd HH:mm:ss").toLatin1() +
                 (i % 97 == 0  ? "\t55.0*\t\r\n"
                  : i % 10 < 3 ? "\t75.0\t\r\n"
                               : "\t55.0\t\r\n");
    const QString path = m_dir.filePath(list ? "streamed-list.slmm" : "streamed.slmm");
    const QString exclusions = m_dir.filePath("streamed.json");
    QCOMPARE(writeFileAtomically(path, bytes), QString());
    QCOMPARE(writeFileAtomically(exclusions, HalfHourExcluded), QString());
    arguments = QStringList{"--exclusions", exclusions} + arguments;

    const ReportRun fromFile = runReportProgram(arguments + QStringList{path});
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/slm-report", arguments + QStringList{"/dev/stdin"});
    QVERIFY(p.waitForStarted());
    p.write(bytes);
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(fromFile.status == 0 && fromFile.err.isEmpty(), fromFile.err.constData());
    QVERIFY2(fromFile.out.contains(output), fromFile.out.right(300).constData());
    QCOMPARE(QByteArray(fromFile.out).replace(QFile::encodeName(path), "/dev/stdin"),
             p.readAllStandardOutput());
}

QTEST_GUILESS_MAIN(TestReportProgram)
#include "test_report_program.moc"
