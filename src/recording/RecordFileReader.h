#pragma once

#include "recording/RecordFileFormat.h"

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
class RecordLineReader
{
public:
    explicit RecordLineReader(QIODevice& in) : m_in(in) {}
    bool atEnd() const;
    QString readLine();

private:
    QIODevice& m_in;
};

// Reads a record file the way the list views show it: the first line decides the kind, the header
// lines follow, the title line is skipped, and every later line is one record. For a list file the
// first line is taken by the kind test and is not listed, whatever it holds.
class RecordFileReader
{
public:
    explicit RecordFileReader(QIODevice& in) : m_lines(in) {}

    // Reads the kind line and the header. False for an empty file (nothing to show).
    bool readHeader();
    RecordFileKind kind() const { return m_kind; }
    // Header lines 0..n-1 as read (line 0 the kind line); fewer when the file ends early.
    const QStringList& headerLines() const { return m_header; }
    // Header line `index`, "" when the file has no such line.
    QString headerLine(int index) const { return m_header.value(index); }

    // The next record, or nothing at the end of the file or at a line that is no record line
    // (then error() says which line). The records read before stay valid.
    std::optional<RecordRow> nextRecord();
    // The index of the last line read (0-based, as the lines are numbered in the file).
    int lineIndex() const { return m_index - 1; }
    const QString& error() const { return m_error; }

private:
    RecordLineReader m_lines;
    RecordFileKind m_kind = RecordFileKind::List;
    QStringList m_header;
    int m_index = 0; // index of the next line
    bool m_titleSkipped = false;
    QString m_error;
};

// A whole file at once: {kind, header lines, rows}, with the error of a malformed line ("" when
// the file was read to its end).
struct RecordFile {
    RecordFileKind kind = RecordFileKind::List;
    QStringList headerLines;
    std::vector<RecordRow> rows;
    QString error;
};
RecordFile parseRecordFile(QIODevice& in);
RecordFile parseRecordFile(const QByteArray& bytes);

} // namespace slm
