#include "measurement/MeasurementReader.h"

#include "measurement/Measurement.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace slm
{

namespace
{

constexpr qsizetype ChunkBytes = 64 * 1024;
// "1234\t2026/01/17 08:30:05\t65.3\t\r\n" and a little less.
constexpr qint64 UsualRecordLineBytes = 28;
constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

// The title line, whatever its other fields say: its first field is "No.s". A line that is no
// record line at all stands where a title line stands and is taken for one.
bool isTitleLine(QByteArrayView line, bool isRecordLine, QByteArrayView number)
{
    return !isRecordLine || number == QByteArrayView("No.s") || line.isEmpty();
}

} // namespace

bool RecordLineReader::refill()
{
    if (m_atEnd)
        return false;
    if (m_chunk.size() < ChunkBytes)
        m_chunk.resize(ChunkBytes);
    const qint64 read = m_in.read(m_chunk.data(), ChunkBytes);
    if (read < 0 && m_fault.isEmpty() && !m_in.errorString().isEmpty() && m_in.isOpen())
        m_fault = QStringLiteral("the file cannot be read: %1").arg(m_in.errorString());
    if (read <= 0) {
        m_atEnd = true;
        return false;
    }
    m_pos = 0;
    m_end = qsizetype(read);
    return true;
}

std::optional<QByteArrayView> RecordLineReader::readLineBytes()
{
    if (!m_fault.isEmpty())
        return std::nullopt;
    m_line.clear();
    bool spans = false;
    for (;;) {
        if (m_pos == m_end && !refill()) {
            if (!m_fault.isEmpty() || !spans)
                return std::nullopt;
            return finish(m_line); // the last line, without a line end
        }
        if (m_skipLf) {
            m_skipLf = false;
            if (m_chunk[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        const char* from = m_chunk.constData() + m_pos;
        const qsizetype left = m_end - m_pos;
        qsizetype k = 0;
        while (k < left && from[k] != '\n' && from[k] != '\r')
            ++k;
        if (k == left) {
            m_line.append(from, left);
            spans = true;
            m_pos = m_end;
            if (m_line.size() > RecordLineReader::MaxLineBytes)
                return finish(m_line); // refused there, before the line grows further
            continue;
        }
        m_skipLf = from[k] == '\r';
        m_pos += k + 1;
        if (!spans)
            return finish(QByteArrayView(from, k));
        m_line.append(from, k);
        return finish(m_line);
    }
}

QByteArrayView RecordLineReader::finish(QByteArrayView line)
{
    if (m_first) {
        m_first = false;
        if (line.startsWith(QByteArrayView(ByteOrderMark)))
            line = line.sliced(3);
    }
    if (line.size() > MaxLineBytes) {
        m_fault =
            QStringLiteral("the line is longer than %1 bytes; this is no record file.").arg(MaxLineBytes);
        return {};
    }
    if (std::memchr(line.data(), '\0', std::size_t(line.size()))) {
        m_fault = QStringLiteral("the line holds binary data (NUL bytes); this is no record file.");
        return {};
    }
    qsizetype start = 0;
    while (start < line.size() && line[start] == ' ')
        ++start;
    return line.sliced(start);
}

void MeasurementReader::fail(const QString& fault)
{
    m_errorLine = m_index;
    m_error = QStringLiteral("Line %1: %2").arg(m_index).arg(fault);
}

std::optional<QByteArrayView> MeasurementReader::readLine()
{
    std::optional<QByteArrayView> line = m_lines.readLineBytes();
    if (!m_lines.fault().isEmpty()) {
        ++m_index;
        fail(m_lines.fault());
        return std::nullopt;
    }
    if (line)
        ++m_index;
    return line;
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

bool MeasurementReader::readHeader()
{
    m_headerRead = true;
    const std::optional<QByteArrayView> first = readLine();
    if (!first)
        return false;
    const QString kindLine = QString::fromLatin1(*first);
    const RecordFileKind kind = recordFileKind(kindLine);
    const int h = headerLineCount(kind);
    if (h == 0) {
        // The kind line is the title line of a list file, or, in a file saved without one, the
        // first record: that record is listed rather than lost.
        m_titleChecked = true;
        QByteArrayView fields[3];
        const bool record = splitRecordBytes(*first, fields);
        if (!isTitleLine(*first, record, fields[0]))
            m_pending = first->toByteArray();
        m_header = recordHeaderOf(kind, {});
        return true;
    }
    // The kind holds even when a header line turns out damaged: the lines read so far are its.
    m_header.kind = kind;
    m_headerLines << kindLine;
    while (m_index < h) {
        const std::optional<QByteArrayView> line = readLine();
        if (!line) {
            if (!m_error.isEmpty())
                return false;
            break;
        }
        m_headerLines << QString::fromLatin1(*line);
    }
    m_header = recordHeaderOf(kind, m_headerLines);
    return true;
}

bool MeasurementReader::nextRecord(QByteArrayView (&fields)[3])
{
    if (!m_error.isEmpty())
        return false;
    if (m_pending) {
        // Kept until the next call, as the views into it must stay valid.
        m_pendingLine = std::move(*m_pending);
        m_pending.reset();
        splitRecordBytes(m_pendingLine, fields);
        ++m_records;
        return true;
    }
    std::optional<QByteArrayView> line = readLine();
    if (!line)
        return false;
    bool record = splitRecordBytes(*line, fields);
    if (!m_titleChecked) {
        m_titleChecked = true;
        // The title line after the header is known by its text; a record there is the first one.
        if (isTitleLine(*line, record, fields[0])) {
            line = readLine();
            if (!line)
                return false;
            record = splitRecordBytes(*line, fields);
        }
    }
    if (record) {
        ++m_records;
        return true;
    }
    fail(QStringLiteral("not a record line (three fields, each ended by a TAB)."));
    return false;
}

bool MeasurementReader::readInto(Measurement& measurement, const Listed& listed, int everyMs)
{
    measurement.clear();
    if (!m_headerRead && !readHeader()) {
        measurement.setHeader(m_header);
        return false;
    }
    if (!m_error.isEmpty())
        return false;
    measurement.setHeader(m_header);
    // Room for the records a file of this size holds with record lines of the usual length (a
    // date-time of 19 characters): the lists are not grown by doubling, which would leave the
    // memory of every smaller size behind in the heap.
    if (!m_in.isSequential())
        measurement.reserve(m_in.size() / UsualRecordLineBytes + 16);
    QByteArrayView fields[3];
    QElapsedTimer sinceListed;
    sinceListed.start();
    bool more = true;
    while (more) {
        more = nextRecord(fields);
        if (more)
            measurement.stageLatin1(fields[0], fields[1], fields[2]);
        // The clock is asked every 256 records only: a file of a few hundred thousand records
        // would otherwise spend a good part of its reading there.
        if (!more || ((m_records & 0xff) == 0 && sinceListed.elapsed() >= everyMs)) {
            measurement.commitStaged();
            if (listed && !listed(measurement))
                break;
            sinceListed.restart();
        }
    }
    return true;
}

std::unique_ptr<QFile> openRecordInput(const QByteArray& encodedPath, QString& error)
{
    auto file = std::make_unique<QFile>(QFile::decodeName(encodedPath));
#ifdef Q_OS_UNIX
    // Opened by its bytes: a name that is no valid text in the locale's encoding does not survive
    // the trip through a QString.
    const int fd = ::open(encodedPath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = file->errorString();
        return nullptr;
    }
#else
    if (!file->open(QIODevice::ReadOnly)) {
        error = file->errorString();
        return nullptr;
    }
#endif
    return file;
}

QString recordFileError(const QString& path, const QString& error)
{
    return QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(path), error);
}

} // namespace slm
