#include "measurement/RecordFileReader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace slm
{

bool RecordLineReader::atEnd() const
{
    return m_in.atEnd();
}

std::optional<QString> RecordLineReader::readLine()
{
    const std::optional<QByteArrayView> bytes = readLineBytes();
    if (!bytes)
        return std::nullopt;
    return QString::fromLatin1(*bytes);
}

std::optional<QByteArrayView> RecordLineReader::readLineBytes()
{
    // The buffer grows with the longest line seen, up to the longest accepted line and its CR LF
    // plus one byte to notice a longer one, and is kept for the next lines.
    constexpr qsizetype Limit = MaxLineBytes + 4;
    if (m_buffer.isEmpty())
        m_buffer.resize(256);
    qsizetype size = 0;
    for (;;) {
        if (m_buffer.size() - size < 2)
            m_buffer.resize(std::min(m_buffer.size() * 2, Limit));
        // Reads at most room - 1 bytes and ends them with a NUL.
        const qint64 read = m_in.readLine(m_buffer.data() + size, m_buffer.size() - size);
        if (read <= 0)
            break;
        size += static_cast<qsizetype>(read);
        if (m_buffer[size - 1] == '\n' || size > MaxLineBytes + 2 || m_in.atEnd())
            break;
    }
    const char* bytes = m_buffer.constData();
    if (size > 0 && bytes[size - 1] == '\n')
        --size;
    if (size > 0 && bytes[size - 1] == '\r')
        --size;
    if (size > MaxLineBytes) {
        m_fault =
            QStringLiteral("the line is longer than %1 bytes; this is no record file.").arg(MaxLineBytes);
        return std::nullopt;
    }
    if (std::memchr(bytes, '\0', static_cast<std::size_t>(size))) {
        m_fault = QStringLiteral("the line holds binary data (NUL bytes); this is no record file.");
        return std::nullopt;
    }
    qsizetype start = 0;
    while (start < size && bytes[start] == ' ')
        ++start;
    return QByteArrayView(bytes + start, size - start);
}

void RecordFileReader::fail(const QString& fault)
{
    m_errorLine = m_index;
    m_error = QStringLiteral("Line %1: %2").arg(m_index).arg(fault);
}

std::optional<QByteArrayView> RecordFileReader::readLineBytes()
{
    std::optional<QByteArrayView> line = m_lines.readLineBytes();
    ++m_index;
    if (!line)
        fail(m_lines.fault());
    return line;
}

std::optional<QString> RecordFileReader::readLine()
{
    const std::optional<QByteArrayView> line = readLineBytes();
    if (!line)
        return std::nullopt;
    return QString::fromLatin1(*line);
}

bool splitRecordBytes(QByteArrayView line, QByteArrayView (&fields)[3])
{
    qsizetype from = 0;
    for (QByteArrayView& field : fields) {
        const qsizetype tab = line.indexOf('\t', from);
        if (tab < 0)
            return false;
        field = line.sliced(from, tab - from);
        from = tab + 1;
    }
    return true;
}

bool RecordFileReader::readHeader()
{
    if (m_lines.atEnd())
        return false;
    const std::optional<QString> first = readLine();
    if (!first)
        return false;
    m_kind = recordFileKind(*first);
    const int h = headerLineCount(m_kind);
    if (h == 0) {
        // The kind line is the title line of a list file, or, in a file saved without one, the
        // first record: that record is listed rather than lost.
        m_titleSkipped = true;
        std::optional<RecordRow> row = splitRecordLine(*first);
        if (row && row->number != QLatin1StringView("No.s"))
            m_pending = first->toLatin1();
        return true;
    }
    m_header << *first;
    while (m_index < h && !m_lines.atEnd()) {
        const std::optional<QString> line = readLine();
        if (!line)
            return false;
        m_header << *line;
    }
    return true;
}

std::optional<RecordRow> RecordFileReader::nextRecord()
{
    QByteArrayView fields[3];
    if (!nextRecordBytes(fields))
        return std::nullopt;
    return RecordRow{QString::fromLatin1(fields[0]), QString::fromLatin1(fields[1]),
                     QString::fromLatin1(fields[2])};
}

bool RecordFileReader::nextRecordBytes(QByteArrayView (&fields)[3])
{
    if (!m_error.isEmpty())
        return false;
    if (m_pending) {
        // Kept until the next call, as the views into it must stay valid.
        m_pendingLine = std::move(*m_pending);
        m_pending.reset();
        return splitRecordBytes(m_pendingLine, fields);
    }
    if (!m_titleSkipped) {
        if (m_lines.atEnd() || !readLineBytes())
            return false;
        m_titleSkipped = true;
    }
    if (m_lines.atEnd())
        return false;
    const std::optional<QByteArrayView> line = readLineBytes();
    if (!line)
        return false;
    if (splitRecordBytes(*line, fields))
        return true;
    fail(QStringLiteral("not a record line (three fields, each ended by a TAB)."));
    return false;
}

RecordFile parseRecordFile(QIODevice& in)
{
    RecordFile file;
    RecordFileReader reader(in);
    if (reader.readHeader()) {
        file.kind = reader.kind();
        file.headerLines = reader.headerLines();
        while (std::optional<RecordRow> row = reader.nextRecord())
            file.rows.push_back(std::move(*row));
    }
    file.error = reader.error();
    file.errorLine = reader.errorLine();
    return file;
}

RecordFile parseRecordFile(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return parseRecordFile(buffer);
}

RecordFile parseRecordFile(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        RecordFile file;
        file.error = recordFileError(path, QStringLiteral("Cannot open the file: %1").arg(in.errorString()));
        return file;
    }
    RecordFile file = parseRecordFile(in);
    if (!file.error.isEmpty())
        file.error = recordFileError(path, file.error);
    return file;
}

QString recordFileError(const QString& path, const QString& error)
{
    return QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(path), error);
}

} // namespace slm
