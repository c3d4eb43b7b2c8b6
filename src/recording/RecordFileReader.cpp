#include "recording/RecordFileReader.h"

#include <QBuffer>
#include <QIODevice>

namespace slm
{

bool RecordLineReader::atEnd() const
{
    return m_in.atEnd();
}

QString RecordLineReader::readLine()
{
    QByteArray bytes = m_in.readLine();
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    qsizetype start = 0;
    while (start < bytes.size() && bytes[start] == ' ')
        ++start;
    return QString::fromLatin1(bytes.constData() + start, bytes.size() - start);
}

bool RecordFileReader::readHeader()
{
    if (m_lines.atEnd())
        return false;
    const QString first = m_lines.readLine();
    m_index = 1;
    m_kind = recordFileKind(first);
    const int h = headerLineCount(m_kind);
    if (h == 0) {
        // The kind line was the title line of a list file.
        m_titleSkipped = true;
        return true;
    }
    m_header << first;
    while (m_index < h && !m_lines.atEnd()) {
        m_header << m_lines.readLine();
        ++m_index;
    }
    return true;
}

std::optional<RecordRow> RecordFileReader::nextRecord()
{
    if (!m_error.isEmpty())
        return std::nullopt;
    if (!m_titleSkipped) {
        if (m_lines.atEnd())
            return std::nullopt;
        m_lines.readLine();
        ++m_index;
        m_titleSkipped = true;
    }
    if (m_lines.atEnd())
        return std::nullopt;
    const QString line = m_lines.readLine();
    ++m_index;
    std::optional<RecordRow> row = splitRecordLine(line);
    if (!row)
        m_error =
            QStringLiteral("Line %1 is not a record line (three fields, each ended by a TAB).").arg(m_index);
    return row;
}

RecordFile parseRecordFile(QIODevice& in)
{
    RecordFile file;
    RecordFileReader reader(in);
    if (!reader.readHeader())
        return file;
    file.kind = reader.kind();
    file.headerLines = reader.headerLines();
    while (std::optional<RecordRow> row = reader.nextRecord())
        file.rows.push_back(std::move(*row));
    file.error = reader.error();
    return file;
}

RecordFile parseRecordFile(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return parseRecordFile(buffer);
}

} // namespace slm
