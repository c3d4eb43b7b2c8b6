#pragma once

#include "measurement/RecordFileFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QFile;
class QIODevice;

namespace slm
{

class Measurement;
struct RecordSample;

// Reads the lines of a record file: Latin-1, ended by CR LF, LF or a lone CR (all three occur:
// other programs save the lists too), leading blanks skipped, a UTF-8 byte-order mark before the
// first line dropped. Commas are kept: no writer puts one in a record file, and splitting there
// would shift every later line. The input is read in chunks until it says it has no more, so a
// pipe or a FIFO reads as any file does.
//
// A record file is text of short lines. A line longer than MaxLineBytes or holding a NUL byte
// means the file is something else (a picture, an archive, a file of one endless line); the reader
// refuses it rather than holding an unbounded line in memory.
class RecordLineReader
{
public:
    static constexpr qsizetype MaxLineBytes = 64 * 1024;

    explicit RecordLineReader(QIODevice& in) : m_in(in) {}
    // The next line's Latin-1 bytes, valid until the next read; nothing at the end of the input
    // or at a fault (then fault() says which).
    std::optional<QByteArrayView> readLineBytes();
    const QString& fault() const { return m_fault; }

private:
    bool refill();
    QByteArrayView finish(QByteArrayView line);

    QIODevice& m_in;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    QByteArray m_line;     // a line that spans two chunks
    bool m_skipLf = false; // the last line ended in CR: an LF right after it belongs to it
    bool m_first = true;
    bool m_atEnd = false;
    QString m_fault;
};

// The one reader of record files, for the file views, slm-report and the tests alike. The first
// line decides the kind, the header lines follow; then every line is a record, except the title
// line ("No.s", ...), which is recognised by its text wherever the header ends: a file saved
// without it loses no record. A line that is no record line stops the reading; what was read
// before stays.
class MeasurementReader
{
public:
    explicit MeasurementReader(QIODevice& in) : m_in(in), m_lines(in) {}

    // Reads the kind line and the header. False for an empty file (nothing to show) or when a
    // header line cannot be read (then error() says why).
    bool readHeader();
    RecordFileKind kind() const { return m_header.kind; }
    const RecordHeader& header() const { return m_header; }
    // Header lines 0..n-1 as read (line 0 the kind line); fewer when the file ends early.
    const QStringList& headerLines() const { return m_headerLines; }

    // The next record as the Latin-1 bytes of its three fields, valid until the next read; false
    // at the end of the file or at a line that is no record line (then error() says which).
    bool nextRecord(QByteArrayView (&fields)[3]);
    // Records given so far.
    qint64 records() const { return m_records; }

    // Every record into `measurement`, whose header and records are replaced (the header read
    // before, or read here). `listed` is called
    // after each listing (every `everyMs` and at the end) with the records listed so far; when it
    // returns false the reading stops there. False when nothing could be read at all (an empty
    // file, or a fault in the header).
    using Listed = std::function<bool(Measurement&)>;
    bool readInto(Measurement& measurement, const Listed& listed = {}, int everyMs = 50);

    // "Line <n>: <fault>" with n counted from 1 as editors count; "" while all is well.
    const QString& error() const { return m_error; }
    // The line number (from 1) of the fault, 0 when there is none.
    int errorLine() const { return m_errorLine; }

private:
    std::optional<QByteArrayView> readLine();
    void fail(const QString& fault);

    QIODevice& m_in;
    RecordLineReader m_lines;
    RecordHeader m_header;
    QStringList m_headerLines;
    int m_index = 0; // index of the next line
    bool m_titleChecked = false;
    bool m_headerRead = false;
    std::optional<QByteArray> m_pending; // the line after the header, when it was a record
    QByteArray m_pendingLine;
    qint64 m_records = 0;
    QString m_error;
    int m_errorLine = 0;
};

// Splits the bytes of a record line as splitRecordLine splits its text.
bool splitRecordBytes(QByteArrayView line, QByteArrayView (&fields)[3]);

// Opens the file named by `encodedPath`, the file system's own bytes (a command line's argument),
// so a name that is no valid UTF-8 opens too. Null with `error` set when it cannot be opened.
std::unique_ptr<QFile> openRecordInput(const QByteArray& encodedPath, QString& error);

// The message for an error of the file at `path`: its name, then the line and the fault.
QString recordFileError(const QString& path, const QString& error);

} // namespace slm
