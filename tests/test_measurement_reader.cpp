// The one record file reader as a user meets it, through the file view ("Open") and through
// slm-report: line ends, a byte-order mark, a missing title line, pipes and FIFOs, a full output,
// a CSV that streams, a time in a daylight-saving gap, a file name that is no UTF-8, files without
// records. Each row gives a file and what both ways must say of it.
#include "analysis/FileListWindow.h"
#include "analysis/OpenRecordFile.h"
#include "measurement/Measurement.h"
#include "support/CountingPanelTimers.h"
#include "support/QuietLink.h"
#include "support/TestServices.h"
#include "views/ComputedGroup.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace slm;

namespace
{

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SanitizedBuild = true;
#else
constexpr bool SanitizedBuild = false;
#endif

const QByteArray Title = "No.s\tDate Time\tdB\t\r\n";
const QByteArray RealTime =
    "Real Time\r\n 1 \r\nA\r\nFAST\r\n80-140\r\n 71.5 \r\n2026/01/17 08:30:06\r\nXXX\r\nXXX\r\n";

QByteArray records(int n, const char* day = "2026/01/17 08:30:")
{
    QByteArray bytes;
    for (int i = 1; i <= n; ++i)
        bytes += QByteArray::number(i) + '\t' + day + QByteArray::number(10 + i) + "\t6" +
                 QByteArray::number(i % 10) + ".5\t\r\n";
    return bytes;
}

// How the file reaches the reader.
enum class Feed { File, Fifo, Stdin, OddName, FullOutput, CsvInBerlin, BigCsv };

// The peak resident memory of the largest child waited for, in kB.
long childPeakKb()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

QString program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/slm-report");
}

} // namespace

class TestMeasurementReader : public QObject
{
    Q_OBJECT
private slots:
    void faults_data();
    void faults();

private:
    // Runs slm-report through the shell, so a file name goes as the file system's bytes.
    Run report(const QString& shellArgs, Feed feed, const QString& input, const QByteArray& tz = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        if (!tz.isEmpty())
            env.insert("TZ", QString::fromLatin1(tz));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        if (feed == Feed::Stdin)
            p.setStandardInputFile(input);
        if (feed == Feed::FullOutput)
            p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("exec \"%1\" %2").arg(program(), shellArgs)});
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }
    // A writer that feeds `file` into the FIFO once a reader opens it.
    void feedFifo(QProcess& writer, const QString& file, const QString& fifo)
    {
        writer.start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"), QStringLiteral("cat \"%1\" > \"%2\"").arg(file, fifo)});
        QVERIFY(writer.waitForStarted());
    }

    QTemporaryDir m_dir;
};

void TestMeasurementReader::faults_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("feed");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("stderrHas");
    QTest::addColumn<QByteArray>("stdoutHas");

    const QByteArray list = Title + records(10);
    QByteArray lf = list;
    lf.replace("\r\n", "\n");
    QByteArray cr = list;
    cr.replace("\r\n", "\r");
    const int file = int(Feed::File);
    QTest::newRow("CR LF line ends") << list << file << 10 << 0 << QByteArray() << QByteArray();
    QTest::newRow("LF line ends") << lf << file << 10 << 0 << QByteArray() << QByteArray();
    QTest::newRow("CR line ends: 10 records, not one line")
        << cr << file << 10 << 0 << QByteArray() << QByteArray();
    QTest::newRow("UTF-8 byte-order mark skipped")
        << "\xEF\xBB\xBF" + list << file << 10 << 0 << QByteArray() << QByteArray();
    QTest::newRow("real-time file without its title line")
        << RealTime + records(3) << file << 3 << 0 << QByteArray() << QByteArray();
    QTest::newRow("FIFO read as a stream")
        << list << int(Feed::Fifo) << 10 << 0 << QByteArray() << QByteArray();
    QTest::newRow("/dev/stdin read as a stream")
        << list << int(Feed::Stdin) << 10 << 0 << QByteArray() << QByteArray();
    QTest::newRow("file name that is no UTF-8")
        << list << int(Feed::OddName) << 10 << 0 << QByteArray() << QByteArray();
    QTest::newRow("full output: message and status 1")
        << list << int(Feed::FullOutput) << -1 << 1 << QByteArray("could not be written") << QByteArray();
    QTest::newRow("empty file") << QByteArray() << file << 0 << 0 << QByteArray("holds no records")
                                << QByteArray();
    QTest::newRow("header without records")
        << RealTime + Title << file << 0 << 0 << QByteArray("holds no records") << QByteArray();
    // 02:30 on 29 March 2026 does not exist in Berlin: read as the clock meant it before the change.
    QTest::newRow("time in a daylight-saving gap") << Title + "1\t2026/03/29 02:30:00\t65.0\t\r\n"
                                                   << int(Feed::CsvInBerlin) << -1 << 0 << QByteArray()
                                                   << QByteArray("1,2026-03-29T02:30:00+02:00,65.0,\r\n");
    // A million records make a CSV of some 50 MB: streamed, the program stays far below that.
    QTest::newRow("CSV streams in bounded memory")
        << QByteArray() << int(Feed::BigCsv) << -1 << 0 << QByteArray() << QByteArray("1000000,2026-");
}

void TestMeasurementReader::faults()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, feed);
    QFETCH(int, records);
    QFETCH(int, status);
    QFETCH(QByteArray, stderrHas);
    QFETCH(QByteArray, stdoutHas);
    const Feed how = Feed(feed);

    const QString path = m_dir.filePath(QStringLiteral("f.slmm"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        if (how == Feed::BigCsv) {
            f.write(Title);
            QByteArray chunk;
            for (int i = 1; i <= 1000000; ++i) {
                chunk += QByteArray::number(i) + "\t2026/01/17 08:30:00\t65.3\t\r\n";
                if (chunk.size() > 1 << 20) {
                    f.write(chunk);
                    chunk.clear();
                }
            }
            f.write(chunk);
        }
    }
    QString arg = QStringLiteral("--json f.slmm");
    QString viewPath = path;
    QProcess writer;
    const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
    if (how == Feed::Fifo) {
        ::unlink(QFile::encodeName(fifo).constData());
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        arg = QStringLiteral("--json fifo");
        viewPath = fifo;
    } else if (how == Feed::Stdin) {
        arg = QStringLiteral("--json /dev/stdin");
        viewPath.clear(); // the panel reads no standard input
    } else if (how == Feed::OddName) {
        // "r<E9>.slmm": Latin-1, not UTF-8.
        QCOMPARE(::rename(QFile::encodeName(path).constData(),
                          (QFile::encodeName(m_dir.path()) + "/r\xE9.slmm").constData()),
                 0);
        arg = QStringLiteral("--json \"$(printf 'r\\351.slmm')\"");
        viewPath.clear(); // a dialog's name is text already
    } else if (how == Feed::CsvInBerlin || how == Feed::BigCsv) {
        arg = QStringLiteral("--csv f.slmm");
        viewPath.clear(); // the CSV export of a view writes the same rows (test_shared_csv)
    }

    if (how == Feed::Fifo)
        feedFifo(writer, path, fifo);
    const Run r =
        report(arg, how, path, how == Feed::CsvInBerlin ? QByteArray("Europe/Berlin") : QByteArray());
    writer.waitForFinished();
    QCOMPARE(r.status, status);
    if (!stderrHas.isEmpty())
        QVERIFY2(r.err.contains(stderrHas), r.err.constData());
    else
        QVERIFY2(r.err.isEmpty(), r.err.constData());
    if (!stdoutHas.isEmpty())
        QVERIFY2(r.out.contains(stdoutHas), r.out.left(300).constData());
    // The sanitizers' shadow memory makes the child's peak meaningless there.
    if (how == Feed::BigCsv && !SanitizedBuild)
        QVERIFY2(childPeakKb() < 50 * 1024, qPrintable(QString::number(childPeakKb())));
    if (records < 0)
        return;
    const QJsonObject json = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(json.value(QStringLiteral("records")).toInt(-1), records);

    // The file view reads the same file into the same records and figures.
    if (viewPath.isEmpty())
        return;
    TestServices<QuietLink> t;
    CountingPanelTimers timers;
    QWidget panel;
    OpenRecordFile open(t.services.desk(), timers, &panel, [] { return false; });
    if (how == Feed::Fifo)
        feedFifo(writer, path, fifo);
    QVERIFY(open.open(viewPath));
    writer.waitForFinished();
    FileListWindow* view = open.realTimeView();
    if (bytes.isEmpty()) {
        QVERIFY(!view); // nothing to show
        return;
    }
    QVERIFY(view);
    QCOMPARE(view->measurement().recordCount(), records);
    const QJsonValue leq = json.value(QStringLiteral("leq"));
    QCOMPARE(view->computed()->field(QStringLiteral("ComputedLeq")),
             leq.isNull() ? QStringLiteral("unknown") : QString::number(leq.toDouble(), 'f', 1));
    QCOMPARE(view->computed()->field(QStringLiteral("ComputedL90")),
             json.value(QStringLiteral("l90")).isNull()
                 ? QStringLiteral("unknown")
                 : QString::number(json.value("l90").toDouble(), 'f', 1));
}

QTEST_MAIN(TestMeasurementReader)
#include "test_measurement_reader.moc"
