#include "measurement/RecordFileWriter.h"

#include "measurement/RecordFileFormat.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace slm
{

QString fileWriteError(const QString& path, const QString& reason)
{
    return QStringLiteral("The file \"%1\" could not be written: %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

RecordFileWriter::RecordFileWriter(const QString& path, Mode mode) : m_path(path), m_mode(mode) {}

RecordFileWriter::~RecordFileWriter() = default;

bool RecordFileWriter::open()
{
    if (m_mode == Mode::Replace) {
        m_file = std::make_unique<QSaveFile>(m_path);
        if (!m_file->open(QIODevice::WriteOnly))
            return fail(m_file->errorString());
    } else {
        // Unbuffered: each line is one write to the system, nothing waits in our own buffer.
        m_file = std::make_unique<QFile>(m_path);
        if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return fail(m_file->errorString());
    }
    return true;
}

bool RecordFileWriter::writeLine(const QString& line)
{
    if (failed())
        return false;
    if (!m_file)
        return fail(QStringLiteral("the file is not open"));
    const QByteArray bytes = encodeLine(line);
    if (m_file->write(bytes) != bytes.size())
        return fail(m_file->errorString());
    if (m_mode == Mode::Stream) {
        if (!m_file->flush())
            return fail(m_file->errorString());
#ifdef Q_OS_UNIX
        if (::fdatasync(m_file->handle()) != 0)
            return fail(QString::fromLocal8Bit(strerror(errno)));
#endif
    }
    return true;
}

bool RecordFileWriter::writeLines(const QStringList& lines)
{
    for (const QString& line : lines)
        if (!writeLine(line))
            return false;
    return true;
}

bool RecordFileWriter::writeRecord(const RecordRow& row)
{
    return writeLine(recordLine(row));
}

bool RecordFileWriter::commit()
{
    if (failed() || !m_file)
        return false;
    if (m_mode == Mode::Replace) {
        auto* save = static_cast<QSaveFile*>(m_file.get());
        if (!save->commit())
            return fail(save->errorString());
    } else {
        if (!m_file->flush())
            return fail(m_file->errorString());
        m_file->close();
    }
    m_file.reset();
    return true;
}

bool RecordFileWriter::fail(const QString& reason)
{
    if (m_error.isEmpty())
        m_error = fileWriteError(m_path, reason);
    // A Replace file is discarded so the target keeps its old content; a Stream file keeps every
    // line already written.
    if (m_file) {
        if (m_mode == Mode::Replace)
            static_cast<QSaveFile*>(m_file.get())->cancelWriting();
        m_file.reset();
    }
    return false;
}

} // namespace slm
