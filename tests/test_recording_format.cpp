// Record files byte for byte: the writers of the three kinds, the shared row writer with its
// caption and pointer, the file choice, and reading back.
#include "measurement/Measurement.h"
#include "measurement/MeasurementReader.h"
#include "measurement/RecordFileWriter.h"
#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/TextHelpers.h"
#include "support/RecordReadBack.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "views/FileTransfer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm;

namespace
{

ReadBack readBack(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        ReadBack r;
        r.error = recordFileError(path, QStringLiteral("Cannot open the file: %1").arg(in.errorString()));
        return r;
    }
    ReadBack r = ::readBack(in);
    if (!r.error.isEmpty())
        r.error = recordFileError(path, r.error);
    return r;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Records what the row writer does with the caption and the pointer.
struct FakeCaption : BusyCaption {
    QString current = QStringLiteral("Panel");
    QStringList shown;
    int busyDepth = 0;
    int busyCalls = 0;
    QString caption() const override { return current; }
    void setCaption(const QString& text) override
    {
        current = text;
        shown << text;
    }
    void setBusy(bool busy) override
    {
        busyDepth += busy ? 1 : -1;
        ++busyCalls;
    }
};

void fillTwoRows(RecordListModel& list)
{
    list.append(QStringLiteral("1"), QStringLiteral("2026/01/17 08:30:05"), QStringLiteral("65.3"));
    list.append(QStringLiteral("2"), QStringLiteral("2026/01/17 08:30:06"), QStringLiteral("65.5*"));
}

const QByteArray TitleBytes = "No.s\tDate Time\tdB\t\r\n";
const QByteArray TwoRowBytes = "1\t2026/01/17 08:30:05\t65.3\t\r\n"
                               "2\t2026/01/17 08:30:06\t65.5*\t\r\n";

} // namespace

class TestRecordsFormat : public QObject
{
    Q_OBJECT
private slots:
    void linesAndHeaderNumbers();
    void realTimeFileFromList();
    void listFileAndTitleOnly();
    void dataLoggerFile();
    void rowWriterCaptionAndPointer();
    void failedWriteKeepsOldFileAndNamesIt();
    void chooseRecordFile();
    void readingKindsAndHeaders();
    void readingStopsAtMalformedLine();
    void readingAcceptsLfAndReadsWhatWasWritten();
    void readingRefusesForeignFiles();

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestRecordsFormat::linesAndHeaderNumbers()
{
    QCOMPARE(titleLine(), QStringLiteral("No.s\tDate Time\tdB\t"));
    QCOMPARE(recordLine(RecordRow{"12", "2013/01/17 08:30:05", "65.3"}),
             QStringLiteral("12\t2013/01/17 08:30:05\t65.3\t"));
    QCOMPARE(encodeLine(QStringLiteral("a\t")), QByteArray("a\t\r\n"));
    // Single-byte page: a degree sign is one byte.
    QCOMPARE(encodeLine(QString::fromUtf8("\xC2\xB0")), QByteArray("\xB0\r\n"));

    RealTimeHeader h;
    h.samplingInterval = 86400;
    const QStringList lines = headerLines(h);
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines[1], QStringLiteral(" 86400 "));
    DataLoggerHeader d;
    QCOMPARE(headerLines(d).size(), 14);
}

void TestRecordsFormat::realTimeFileFromList()
{
    RecordListModel list;
    fillTwoRows(list);
    RealTimeHeader h{5, "A", "FAST", "80-140", formatHeaderNumber(71.2), "2026/01/17 08:30:06", "XXX", "XXX"};
    QCOMPARE(writeRealTimeListFile(path("list.slmm"), h, list, nullptr), QString());
    QCOMPARE(readAll(path("list.slmm")), QByteArray("Real Time\r\n 5 \r\nA\r\nFAST\r\n80-140\r\n 71.2 \r\n"
                                                    "2026/01/17 08:30:06\r\nXXX\r\nXXX\r\n") +
                                             TitleBytes + TwoRowBytes);

    // Before any maximum and before the first tick: " 0 ", then empty lines for time, SEL, Leq.
    RealTimeHeader fresh{1, "A", "FAST", "80-140", formatHeaderNumber(0), "", "", ""};
    RecordListModel empty;
    QCOMPARE(writeRealTimeListFile(path("fresh.slmm"), fresh, empty, nullptr), QString());
    QCOMPARE(readAll(path("fresh.slmm")),
             QByteArray("Real Time\r\n 1 \r\nA\r\nFAST\r\n80-140\r\n 0 \r\n\r\n\r\n\r\n") + TitleBytes);
}

void TestRecordsFormat::listFileAndTitleOnly()
{
    RecordListModel list;
    fillTwoRows(list);
    QCOMPARE(writeListFile(path("auto.slmm"), list, nullptr), QString());
    QCOMPARE(readAll(path("auto.slmm")), TitleBytes + TwoRowBytes);
}

void TestRecordsFormat::dataLoggerFile()
{
    RecordListModel list;
    fillTwoRows(list);
    DataLoggerHeader h{
        60,    "C",  "SLOW", "30-90", "XXX", "XXX", "XXX", "XXX", "XXX", "88.1", "2026/01/17 08:31:00",
        "XXX", "XXX"};
    QCOMPARE(writeDataLoggerFile(path("logger.slmm"), h, list, nullptr), QString());
    QCOMPARE(readAll(path("logger.slmm")),
             QByteArray("Data Logger\r\n 60 \r\nC\r\nSLOW\r\n30-90\r\nXXX\r\nXXX\r\nXXX\r\nXXX\r\nXXX\r\n"
                        "88.1\r\n2026/01/17 08:31:00\r\nXXX\r\nXXX\r\n") +
                 TitleBytes + TwoRowBytes);

    // Read back: the memory-data kind with the same fields and rows.
    QFile f(path("logger.slmm"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const ReadBack back = readBack(f);
    QCOMPARE(back.kind, RecordFileKind::DataLogger);
    QCOMPARE(back.headerLines,
             headerLines(h).replaceInStrings(QStringLiteral(" 60 "), QStringLiteral("60 ")));
    QCOMPARE(back.rows.size(), std::size_t(2));
    QCOMPARE(back.rows[1].level, QStringLiteral("65.5*"));
}

void TestRecordsFormat::rowWriterCaptionAndPointer()
{
    RecordListModel list;
    for (int i = 1; i <= 1200; ++i)
        list.append(QString::number(i), QStringLiteral("2026/01/17 08:30:05"), QStringLiteral("60.0"));
    FakeCaption caption;
    RecordFileWriter out(path("rows.slmm"), RecordFileWriter::Mode::Replace);
    QVERIFY(out.open());
    QCOMPARE(WriteListRows(out, list, 2, list.rows() - 1, &caption), QString());
    QVERIFY(out.commit());
    QCOMPARE(caption.shown.first(), QStringLiteral("0Records Completed"));
    QVERIFY(caption.shown.contains(QStringLiteral("1200Records Completed")));
    QCOMPARE(caption.current, QStringLiteral("Panel"));
    QCOMPARE(caption.busyDepth, 0);
    QCOMPARE(caption.busyCalls, 2);
    QCOMPARE(readAll(path("rows.slmm")).count("\r\n"), 1201);

    // Fewer columns and rows when asked.
    RecordFileWriter part(path("part.slmm"), RecordFileWriter::Mode::Replace);
    QVERIFY(part.open());
    QCOMPARE(WriteListRows(part, list, 0, 2, nullptr), QString());
    QVERIFY(part.commit());
    QCOMPARE(readAll(path("part.slmm")), QByteArray("No.s\t\r\n1\t\r\n2\t\r\n"));
}

void TestRecordsFormat::failedWriteKeepsOldFileAndNamesIt()
{
    RecordListModel list;
    fillTwoRows(list);
    // A folder that is not there.
    const QString gone = path("no-such-folder/x.slmm");
    const QString error = writeListFile(gone, list, nullptr);
    QVERIFY(error.contains(QStringLiteral("no-such-folder")));
    QVERIFY(error.startsWith(QStringLiteral("The file \"")));

    // A full disk: the old file keeps every byte and the caption and pointer are restored.
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        FakeCaption caption;
        RecordFileWriter full(QStringLiteral("/dev/full"), RecordFileWriter::Mode::Stream);
        QVERIFY(full.open());
        QVERIFY(!WriteListRows(full, list, 2, list.rows() - 1, &caption).isEmpty());
        QVERIFY(full.error().contains(QStringLiteral("/dev/full")));
        QCOMPARE(caption.current, QStringLiteral("Panel"));
        QCOMPARE(caption.busyDepth, 0);
    }
    writeFile(path("old.slmm"), "old content\r\n");
    {
        // Dropped without commit, as after a failure half-way.
        RecordFileWriter out(path("old.slmm"), RecordFileWriter::Mode::Replace);
        QVERIFY(out.open());
        QVERIFY(out.writeLine(QStringLiteral("new")));
    }
    QCOMPARE(readAll(path("old.slmm")), QByteArray("old content\r\n"));
}

void TestRecordsFormat::chooseRecordFile()
{
    ScriptedDialogs dialogs;
    dialogs.saveAnswers << path("chosen.slmm") << QString() << path("folder/");
    const std::optional<QString> chosen = ChooseRecordFile(dialogs, nullptr);
    QCOMPARE(dialogs.fileFilters.last(), QStringLiteral("Data Files (*.slmm)|*.slmm|All Files (*.*)|*.*|"));
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, path("chosen.slmm"));
    // A cancel answers nothing; so does a path that names no file.
    QVERIFY(!ChooseRecordFile(dialogs, nullptr).has_value());
    QVERIFY(!ChooseRecordFile(dialogs, nullptr).has_value());
    QCOMPARE(dialogs.saveDialogs, 3);
}

void TestRecordsFormat::readingKindsAndHeaders()
{
    // "Real Time" wins over "Data Logger" on the same line.
    QCOMPARE(recordFileKind(QStringLiteral("Data Logger Real Time")), RecordFileKind::RealTime);
    QCOMPARE(recordFileKind(QStringLiteral("x Data Logger")), RecordFileKind::DataLogger);

    // A list file: all its records, no header.
    ReadBack list = readBack(TitleBytes + TwoRowBytes);
    QCOMPARE(list.kind, RecordFileKind::List);
    QVERIFY(list.headerLines.isEmpty());
    QCOMPARE(list.rows.size(), std::size_t(2));
    QCOMPARE(list.rows[0].dateTime, QStringLiteral("2026/01/17 08:30:05"));

    // A first line that is a record (no header, no title line): it is the first record, not a
    // title line to skip.
    ReadBack headless = readBack(TwoRowBytes);
    QCOMPARE(headless.kind, RecordFileKind::List);
    QCOMPARE(headless.rows.size(), std::size_t(2));
    QCOMPARE(headless.rows[0].number, QStringLiteral("1"));
    QCOMPARE(headless.rows[1].level, QStringLiteral("65.5*"));
    // A first line of neither kind that is no record line either is a title line of its own.
    QCOMPARE(readBack("No.s\tDatum\tdB\t\r\n" + TwoRowBytes).rows.size(), std::size_t(2));
    QCOMPARE(readBack("Levels\r\n" + TwoRowBytes).rows.size(), std::size_t(2));

    // Header only: no records; leading blanks of header lines are skipped.
    ReadBack header = readBack("Real Time\r\n 1 \r\nA\r\nFAST\r\n80-140\r\n 0 \r\n\r\n\r\n\r\n" + TitleBytes);
    QCOMPARE(header.kind, RecordFileKind::RealTime);
    QCOMPARE(header.headerLines.size(), 9);
    QCOMPARE(header.headerLines[5], QStringLiteral("0 "));
    QCOMPARE(header.headerLines[6], QString());
    QVERIFY(header.rows.empty());
    QVERIFY(header.error.isEmpty());

    const ReadBack nothing = readBack(QByteArray());
    QVERIFY(nothing.rows.empty() && nothing.headerLines.isEmpty());
}

void TestRecordsFormat::readingStopsAtMalformedLine()
{
    const ReadBack f = readBack(TitleBytes + "1\ta\tb\t\r\n2\ta\tb\r\n3\ta\tb\t\r\n");
    QCOMPARE(f.rows.size(), std::size_t(1));
    QVERIFY(f.error.contains(QStringLiteral("Line 3")));
    QCOMPARE(f.errorLine, 3);
    QVERIFY(!splitRecordLine(QStringLiteral("1\t2\t")));
    QCOMPARE(splitRecordLine(QStringLiteral("1\t\t\textra"))->level, QString());
}

void TestRecordsFormat::readingAcceptsLfAndReadsWhatWasWritten()
{
    QByteArray lf = TitleBytes + TwoRowBytes;
    lf.replace("\r\n", "\n");
    const ReadBack f = readBack(lf);
    QCOMPARE(f.rows.size(), std::size_t(2));
    QCOMPARE(f.rows[1].level, QStringLiteral("65.5*"));
    // Latin-1 back to the same text.
    const ReadBack latin = readBack(TitleBytes + "1\t\xB0\tx\t\r\n");
    QCOMPARE(latin.rows[0].dateTime, QString::fromUtf8("\xC2\xB0"));
}

void TestRecordsFormat::readingRefusesForeignFiles()
{
    // NUL bytes: the file is no text, whatever else it holds; the records before stay.
    const ReadBack binary = readBack(TitleBytes + TwoRowBytes + QByteArray("1\t\0\t2\t\r\n", 8));
    QCOMPARE(binary.rows.size(), std::size_t(2));
    QCOMPARE(binary.errorLine, 4);
    QVERIFY(binary.error.contains(QStringLiteral("binary")));
    // In the header too, and from the first line.
    QCOMPARE(readBack(QByteArray("Real Time\r\n\0\r\n", 14)).errorLine, 2);
    const ReadBack zeros = readBack(QByteArray(100, '\0'));
    QCOMPARE(zeros.errorLine, 1);
    QVERIFY(zeros.rows.empty());

    // The longest line accepted, with either line end, and one byte more.
    const qsizetype max = RecordLineReader::MaxLineBytes;
    const QByteArray longest = "1\t2\t" + QByteArray(max - 5, 'x') + "\t";
    QCOMPARE(longest.size(), max);
    QCOMPARE(readBack(TitleBytes + longest + "\r\n" + TwoRowBytes).rows.size(), std::size_t(3));
    QCOMPARE(readBack(TitleBytes + longest + "\n" + TwoRowBytes).rows.size(), std::size_t(3));
    QCOMPARE(readBack(TitleBytes + longest).rows.size(), std::size_t(1));
    const ReadBack over = readBack(TitleBytes + TwoRowBytes + "x" + longest + "\r\n" + TwoRowBytes);
    QCOMPARE(over.rows.size(), std::size_t(2));
    QCOMPARE(over.errorLine, 4);
    QVERIFY(over.error.contains(QStringLiteral("longer than")));
    // A file of one endless line, without any line end.
    const ReadBack endless = readBack(QByteArray(3 * max, 'y'));
    QCOMPARE(endless.errorLine, 1);

    // Read by path: an error names the file; a file that is not there says so.
    writeFile(path("bad.slmm"), TitleBytes + "1\t2\r\n");
    const ReadBack bad = readBack(path("bad.slmm"));
    QVERIFY(bad.error.startsWith(QDir::toNativeSeparators(path("bad.slmm"))));
    QVERIFY(bad.error.contains(QStringLiteral("Line 2")));
    const ReadBack missing = readBack(path("missing.slmm"));
    QVERIFY(missing.error.contains(QStringLiteral("missing.slmm")));
    QVERIFY(missing.rows.empty());
    QCOMPARE(readBack(path("bad.slmm")).rows.size(), std::size_t(0));
}

QTEST_GUILESS_MAIN(TestRecordsFormat)
#include "test_recording_format.moc"
