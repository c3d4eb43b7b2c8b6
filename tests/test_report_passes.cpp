// A record file read by the report program a pass at a time: a later pass reads what the first
// did, from a file or a pipe, and a file rewritten between the passes is an error, never tables
// that disagree with the figures.
#include "RecordSamples.h"

#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace slm;

namespace
{

QByteArray recordLines(int from, int count, const char* level)
{
    QByteArray lines;
    for (int i = from; i < from + count; ++i)
        lines += QByteArray::number(i + 1) + "\t2026/03/02 " +
                 QTime(10, 10, 10).addSecs(i).toString("HH:mm:ss").toLatin1() + '\t' + level + "\t\r\n";
    return lines;
}

const QByteArray Header = "Real Time\r\n1\r\nA\r\nFAST\r\n50-110\r\n 90.0 \r\n2026/03/02 10:10:10\r\nXXX\r\n"
                          "XXX\r\nNo.s\tDate Time\tdB\t\r\n";

} // namespace

class TestReportPasses : public QObject
{
    Q_OBJECT
private slots:
    void laterPassReadsTheSameRecords_data();
    void laterPassReadsTheSameRecords();
};

void TestReportPasses::laterPassReadsTheSameRecords_data()
{
    QTest::addColumn<QString>("between"); // what happens to the file between the passes
    QTest::addColumn<bool>("whole");
    QTest::newRow("nothing") << "" << true;
    QTest::newRow("read from a pipe") << "pipe" << true;
    QTest::newRow("records appended") << "append" << true;
    QTest::newRow("a level rewritten in place") << "rewrite" << false;
    QTest::newRow("cut short") << "truncate" << false;
}

void TestReportPasses::laterPassReadsTheSameRecords()
{
    QFETCH(QString, between);
    QFETCH(bool, whole);
    QTemporaryDir dir;
    const QString path = dir.filePath("site.slmm");
    const QByteArray bytes = Header + recordLines(0, 100, "60.5") + recordLines(100, 20, "61.0*");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.write(bytes) == bytes.size() && file.flush());
    QByteArray name = QFile::encodeName(path);
    int pipeEnds[2] = {-1, -1};
    if (between == u"pipe") {
        QCOMPARE(::pipe(pipeEnds), 0);
        QCOMPARE(::write(pipeEnds[1], bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(pipeEnds[1]);
        name = "/proc/self/fd/" + QByteArray::number(pipeEnds[0]);
    }
    RecordFilePasses passes(name);
    std::vector<RecordSample> first;
    QVERIFY(passes.first([&](const RecordSample& s) {
        first.push_back(s);
        return true;
    }));
    QCOMPARE(passes.records(), 120);
    QCOMPARE(passes.interval(), std::optional<double>(1.0));
    if (between == u"append")
        file.write(recordLines(120, 5, "70.0"));
    else if (between == u"rewrite")
        file.seek(bytes.indexOf("60.5")), file.write("65.5");
    else if (between == u"truncate")
        file.resize(bytes.size() - 30);
    file.flush();

    std::vector<RecordSample> again;
    const bool read = passes.again([&](const RecordSample& s) {
        again.push_back(s);
        return true;
    });
    QCOMPARE(read, whole);
    if (pipeEnds[0] >= 0)
        ::close(pipeEnds[0]);
    if (!whole) {
        QVERIFY2(passes.error().contains("site.slmm: the file changed while it was read"),
                 qPrintable(passes.error()));
        return;
    }
    QVERIFY(passes.error().isEmpty());
    QCOMPARE(again.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        QCOMPARE(again[i].time, first[i].time);
        QCOMPARE(again[i].tenths, first[i].tenths);
        QCOMPARE(again[i].kind, first[i].kind);
    }
    QCOMPARE(first.back().kind, LevelTextKind::Paused);
}

QTEST_GUILESS_MAIN(TestReportPasses)
#include "test_report_passes.moc"
