// Records as CSV: read back with an RFC 4180 reader, the flags of the texts that are no levels,
// the local time with its offset across midnight, the atomic write and the "Export CSV" command.
#include "measurement/RecordCsv.h"
#include "measurement/RecordListModel.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "views/CsvExport.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm;

namespace
{

// A small RFC 4180 reader: records end with CR LF, fields with a comma; a quoted field may hold
// commas, quotes (doubled) and line breaks. Fails the test on anything else.
QList<QStringList> parseCsv(const QByteArray& bytes)
{
    QList<QStringList> rows;
    QStringList row;
    QByteArray field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            if (!field.isEmpty() || wasQuoted)
                qFatal("a quote inside an unquoted field");
            quoted = wasQuoted = true;
        } else if (c == ',') {
            row << QString::fromUtf8(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n')
                qFatal("a CR without LF");
            ++i;
            row << QString::fromUtf8(field);
            rows << row;
            row.clear();
            field.clear();
            wasQuoted = false;
        } else if (c == '\n') {
            qFatal("a bare LF ends a record");
        } else {
            field += c;
        }
    }
    if (quoted || !field.isEmpty() || !row.isEmpty())
        qFatal("the last record is not ended by CR LF");
    return rows;
}

QString offsetOf(const QDate& date, const QTime& time)
{
    const int s = QDateTime(date, time).offsetFromUtc();
    return QStringLiteral("%1%2:%3")
        .arg(QChar(s < 0 ? u'-' : u'+'))
        .arg(std::abs(s) / 3600, 2, 10, QChar(u'0'))
        .arg(std::abs(s) / 60 % 60, 2, 10, QChar(u'0'));
}

} // namespace

class TestSharedCsv : public QObject
{
    Q_OBJECT
private slots:
    void listReadsBackRowByRow();
    void oddCellsAreQuotedAndKept();
    void writeIsAllOrNothing();
    void exportCommandAsksWritesAndTells();
};

void TestSharedCsv::listReadsBackRowByRow()
{
    RecordListModel list;
    list.append("1", "2026/01/17 23:59:59", "65.3");
    list.append("2", "2026/01/18 00:00:00", "65.3*");
    list.append("3", "2026/01/18 00:00:01", "--");
    list.append("4", "2026/01/18 00:00:02", "OL");
    list.append("5", "2026/01/18 00:00:03", "XXX");
    list.append("6", "2026/01/18 00:00:04", " .5");
    list.append("7", "2026/01/18 00:00:05", "140");
    const QList<QStringList> rows = parseCsv(recordListCsv(list));
    QCOMPARE(rows.size(), 8);
    QCOMPARE(rows[0], (QStringList{"number", "time", "level", "flag"}));
    const QString before = offsetOf(QDate(2026, 1, 17), QTime(23, 59, 59));
    const QString after = offsetOf(QDate(2026, 1, 18), QTime(0, 0, 0));
    QCOMPARE(rows[1], (QStringList{"1", "2026-01-17T23:59:59" + before, "65.3", ""}));
    // Midnight belongs to the new day.
    QCOMPARE(rows[2], (QStringList{"2", "2026-01-18T00:00:00" + after, "", "paused"}));
    QCOMPARE(rows[3].mid(2), (QStringList{"", "below-range"}));
    QCOMPARE(rows[4].mid(2), (QStringList{"", "over"}));
    QCOMPARE(rows[5].mid(2), (QStringList{"", "not-level"}));
    // Plain numbers a spreadsheet reads as numbers.
    QCOMPARE(rows[6].mid(2), (QStringList{"0.5", ""}));
    QCOMPARE(rows[7].mid(2), (QStringList{"140", ""}));
    for (const QStringList& r : rows.mid(1)) {
        QCOMPARE(r.size(), 4);
        QVERIFY(QDateTime::fromString(r[1], Qt::ISODate).isValid());
    }

    // The offset is the one in force at each record: a summer and a winter record of a zone
    // with daylight saving differ, wherever the test runs.
    RecordListModel seasons;
    seasons.append("1", "2026/01/15 12:00:00", "60.0");
    seasons.append("2", "2026/07/15 12:00:00", "60.0");
    const QList<QStringList> s = parseCsv(recordListCsv(seasons));
    QVERIFY(s[1][1].endsWith(offsetOf(QDate(2026, 1, 15), QTime(12, 0))));
    QVERIFY(s[2][1].endsWith(offsetOf(QDate(2026, 7, 15), QTime(12, 0))));
    if (qgetenv("TZ") == "Europe/Berlin") {
        QCOMPARE(s[1][1], QStringLiteral("2026-01-15T12:00:00+01:00"));
        QCOMPARE(s[2][1], QStringLiteral("2026-07-15T12:00:00+02:00"));
    }
}

void TestSharedCsv::oddCellsAreQuotedAndKept()
{
    RecordListModel list;
    list.append("1,5", "no \"time\"", "60.0");
    list.append("2", "2026/02/30 08:00:00", QString::fromUtf8("70\xC2\xB0"));
    list.append("3\r\nx", "", "");
    const QList<QStringList> rows = parseCsv(recordListCsv(list));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[1], (QStringList{"1,5", "no \"time\"", "60.0", ""}));
    // A date that does not exist stays as it was written.
    QCOMPARE(rows[2], (QStringList{"2", "2026/02/30 08:00:00", "70", ""}));
    QCOMPARE(rows[3], (QStringList{"3\r\nx", "", "", "not-level"}));
}

void TestSharedCsv::writeIsAllOrNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    QCOMPARE(writeFileAtomically(path, "old\r\n"), QString());
    QCOMPARE(readAll(path), QByteArray("old\r\n"));
    // A folder that is not there: a message naming the file, and nothing half written.
    const QString missing = dir.filePath("no/such/folder/out.csv");
    const QString error = writeFileAtomically(missing, "new\r\n");
    QVERIFY(error.contains(QDir::toNativeSeparators(missing)));
    QVERIFY(error.contains("Nothing was saved"));
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(readAll(path), QByteArray("old\r\n"));
}

void TestSharedCsv::exportCommandAsksWritesAndTells()
{
    QTemporaryDir dir;
    RecordListModel list;
    list.append("1", "2026/01/17 08:30:00", "60.0");
    ScriptedDialogs dialogs;

    // Cancelled: nothing written, nothing said.
    QVERIFY(!exportListCsv(list, dialogs, nullptr));
    QCOMPARE(dialogs.fileFilters, QStringList{"CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|"});
    QVERIFY(dialogs.messages.isEmpty());

    dialogs.saveAnswers << dir.filePath("list.csv");
    QVERIFY(exportListCsv(list, dialogs, nullptr));
    QCOMPARE(readAll(dir.filePath("list.csv")), recordListCsv(list));
    QVERIFY(dialogs.messages.isEmpty());

    dialogs.saveAnswers << dir.filePath("gone/list.csv");
    QVERIFY(!exportListCsv(list, dialogs, nullptr));
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages[0].text.contains("list.csv"));
    QCOMPARE(dialogs.messages[0].icon, Dialogs::Icon::Critical);
}

QTEST_MAIN(TestSharedCsv)
#include "test_shared_csv.moc"
