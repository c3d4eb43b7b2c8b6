#include "measurement/GrowingRecordFile.h"

#include "measurement/RecordFileWriter.h"
#include "shared/TextHelpers.h"

#include <QDir>

namespace slm
{

namespace
{
// Lines that waited go out in appends of about this size: one disk sync per line would keep a
// long backlog writing for minutes.
constexpr qsizetype AppendChunkBytes = 64 * 1024;

QByteArray withoutLineEnd(const QByteArray& encoded)
{
    return encoded.endsWith("\r\n") ? encoded.chopped(2) : encoded;
}
} // namespace

GrowingRecordFile::GrowingRecordFile(QString path, QStringList leadingLines, int headerLineCount,
                                     QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_leading(std::move(leadingLines)),
      m_headerLines(headerLineCount), m_device(makeFileAppendDevice()), m_lock(lockPathOf(m_path))
{
}

GrowingRecordFile::~GrowingRecordFile()
{
    release();
}

void GrowingRecordFile::setDevice(std::unique_ptr<AppendDevice> device)
{
    m_device = std::move(device);
}

bool GrowingRecordFile::claim()
{
    const OwnerLock::Result result = m_lock.take();
    return result == OwnerLock::Result::Taken || result == OwnerLock::Result::TakenOverStale;
}

bool GrowingRecordFile::open(const QDateTime& now)
{
    m_opened = false;
    m_waiting.clear();
    for (const QString& line : m_leading)
        m_waiting << encodeLine(line);
    m_waitingRecords = 0;
    m_count = 0;
    m_maximum = {};
    m_lastTime = now;
    return writeWaiting(now);
}

int GrowingRecordFile::add(const QString& dateTime, const QString& level, const QDateTime& now)
{
    m_lastTime = now;
    // A full buffer: the disk is tried once more before the record is given up.
    if (m_waitingRecords >= m_bufferLimit && !writeWaiting(now)) {
        m_gap->lost += 1;
        return 0;
    }
    const int number = m_count + 1;
    m_waiting << encodeLine(recordLine(QString::number(number), dateTime, level));
    m_waitingRecords += 1;
    m_count = number;
    m_maximum.take(level, dateTime);
    if (!writeWaiting(now))
        m_gap->kept += 1;
    return number;
}

bool GrowingRecordFile::writeWaiting(const QDateTime& now)
{
    if (!m_opened) {
        // The same file each time: a failed start leaves no trail of new files.
        if (!m_device->open(m_path)) {
            m_error = fileWriteError(m_path, m_device->errorString());
            failed(now);
            return false;
        }
        m_opened = true;
    }
    while (!m_waiting.isEmpty()) {
        QByteArray chunk;
        qsizetype lines = 0;
        while (lines < m_waiting.size() && (lines == 0 || chunk.size() < AppendChunkBytes))
            chunk += m_waiting[lines++];
        if (!m_device->append(chunk)) {
            m_error = fileWriteError(m_path, m_device->errorString());
            failed(now);
            return false;
        }
        // The leading lines are the first to go; whatever follows them is a record.
        const qsizetype leadingLeft = m_waiting.size() - m_waitingRecords;
        m_waitingRecords -= int(std::max<qsizetype>(0, lines - leadingLeft));
        m_waiting.remove(0, lines);
    }
    if (m_gap)
        endGap(now);
    return true;
}

void GrowingRecordFile::failed(const QDateTime& now)
{
    if (m_gap)
        return;
    m_gap = RecordingGap{};
    m_gap->start = now;
    m_gap->error = m_error;
    emit gapStarted(*m_gap);
}

void GrowingRecordFile::endGap(const QDateTime& now)
{
    RecordingGap gap = *m_gap;
    m_gap.reset();
    gap.end = now;
    emit gapEnded(gap);
}

QString GrowingRecordFile::completeInto(const QString& target, const QStringList& header,
                                        const std::function<void(int)>& progress, bool* readFailed)
{
    if (!m_waiting.isEmpty() && m_device->isOpen())
        writeWaiting(m_lastTime);
    if (!m_device->close() && m_error.isEmpty())
        m_error = fileWriteError(m_path, m_device->errorString());
    CompletionSource source;
    // A file never created holds nothing; all of its lines are the ones that wait.
    if (m_opened)
        source.growingPath = m_path;
    source.skipLines = m_headerLines;
    for (const QByteArray& line : std::as_const(m_waiting))
        source.extraLines << withoutLineEnd(line);
    source.progress = progress;
    const QString error = writeCompletedFile(target, header, source, readFailed);
    // The records that waited are in the completed file: the gap ends with it.
    if (error.isEmpty() && m_gap)
        endGap(m_lastTime);
    return error;
}

QString GrowingRecordFile::completeAs(const QString& finalPath, const QStringList& header)
{
    QString error = completeInto(m_path, header);
    if (!error.isEmpty())
        return error;
    // The growing file now is the completed one, header and all.
    m_waiting.clear();
    m_waitingRecords = 0;
    m_opened = true;
    m_headerLines = int(header.size());
    error = moveIntoPlace(m_path, finalPath);
    if (error.isEmpty())
        release();
    return error;
}

void GrowingRecordFile::release()
{
    m_device->close();
    m_waiting.clear();
    m_waitingRecords = 0;
    m_lock.release();
}

QString gapStartText(const RecordingGap& gap)
{
    return QStringLiteral("%1 Records from %2 on wait in memory and are written when space returns.")
        .arg(gap.error, formatDateTime(gap.start));
}

QString gapEndText(const QString& path, const RecordingGap& gap)
{
    return QStringLiteral("The file \"%1\" is written again: the gap from %2 lasted %3 s; %4 records waited "
                          "and were written, %5 were lost.")
        .arg(QDir::toNativeSeparators(path), formatDateTime(gap.start))
        .arg(gap.seconds())
        .arg(gap.kept)
        .arg(gap.lost);
}

} // namespace slm
