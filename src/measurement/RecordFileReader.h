#pragma once

#include "measurement/RecordFileFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QIODevice;

namespace slm
{

// Reads one line item of a record file: Latin-1, ended by CR LF or LF (a lone CR at the end is
// dropped too), leading blanks skipped. Commas are kept: no writer puts one in a record file, and
// splitting there would shift every later line.
//
// A record file is text of short lines. A line longer than MaxLineBytes or holding a NUL byte
// means the file is something else (a picture, an archive, a file of one endless line); the reader
// refuses it rather than holding an unbounded line in memory.
class RecordLineReader
{
public:
    static constexpr qsizetype MaxLineBytes = 64 * 1024;

    explicit RecordLineReader(QIODevice& in) : m_in(in) {}
    bool atEnd() const;
    // The next line, or nothing when the line is over-long or binary (fault() says which).
    std::optional<QString> readLine();
    // The same line as its Latin-1 bytes, valid until the next read.
    std::optional<QByteArrayView> readLineBytes();
    const QString& fault() const { return m_fault; }

private:
    QIODevice& m_in;
    QByteArray m_buffer;
    QString m_fault;
};

// Reads a record file the way the list views show it: the first line decides the kind, the header
// lines follow, the title line is skipped, and every later line is one record. A header-less file
// whose first line is a record line (not the title line) lists that line as its first record.
class RecordFileReader
{
public:
    explicit RecordFileReader(QIODevice& in) : m_lines(in) {}

    // Reads the kind line and the header. False for an empty file (nothing to show) or when a
    // header line cannot be read (then error() says why).
    bool readHeader();
    RecordFileKind kind() const { return m_kind; }
    // Header lines 0..n-1 as read (line 0 the kind line); fewer when the file ends early.
    const QStringList& headerLines() const { return m_header; }
    // Header line `index`, "" when the file has no such line.
    QString headerLine(int index) const { return m_header.value(index); }

    // The next record, or nothing at the end of the file or at a line that is no record line
    // (then error() says which line). The records read before stay valid.
    std::optional<RecordRow> nextRecord();
    // The same as the Latin-1 bytes of the three fields, valid until the next read; false where
    // nextRecord() gives nothing. A long file lists faster so: no text is made per record.
    bool nextRecordBytes(QByteArrayView (&fields)[3]);
    // The index of the last line read (0-based, as the lines are numbered in the file).
    int lineIndex() const { return m_index - 1; }
    // "Line <n>: <fault>" with n counted from 1 as editors count; "" while all is well.
    const QString& error() const { return m_error; }
    // The line number (from 1) of the fault, 0 when there is none.
    int errorLine() const { return m_errorLine; }

private:
    std::optional<QString> readLine();
    std::optional<QByteArrayView> readLineBytes();
    void fail(const QString& fault);

    RecordLineReader m_lines;
    RecordFileKind m_kind = RecordFileKind::List;
    QStringList m_header;
    int m_index = 0; // index of the next line
    bool m_titleSkipped = false;
    std::optional<QByteArray> m_pending; // a first line that was a record
    QByteArray m_pendingLine;
    QString m_error;
    int m_errorLine = 0;
};

// A whole file at once: {kind, header lines, rows}, with the error of a malformed line ("" when
// the file was read to its end).
struct RecordFile {
    RecordFileKind kind = RecordFileKind::List;
    QStringList headerLines;
    std::vector<RecordRow> rows;
    QString error;
    int errorLine = 0; // from 1; 0 when the error is not at a line
};
// Splits the bytes of a record line as splitRecordLine splits its text.
bool splitRecordBytes(QByteArrayView line, QByteArrayView (&fields)[3]);

RecordFile parseRecordFile(QIODevice& in);
RecordFile parseRecordFile(const QByteArray& bytes);
// Opens and reads the file at `path`. An error names the file, as the user has to find it.
RecordFile parseRecordFile(const QString& path);

// The message for an error of the file at `path`: its name, then the line and the fault.
QString recordFileError(const QString& path, const QString& error);

} // namespace slm
