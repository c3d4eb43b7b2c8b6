#pragma once

#include "measurement/RecordRow.h"

#include <QString>
#include <QStringList>
#include <memory>

class QFileDevice;

namespace slm
{

// The one writer of record-file lines. Every method returns false once a write failed; error()
// then names the file and the reason, ready to be shown to the user.
class RecordFileWriter
{
public:
    enum class Mode {
        // A finished file: written beside the target and put in its place only by commit(), so a
        // failed save leaves an existing file exactly as it was.
        Replace,
        // A growing file ("Fake"): emptied at open, every line handed to the disk at once, so the
        // records taken so far survive whatever stops the program.
        Stream,
    };

    RecordFileWriter(const QString& path, Mode mode);
    ~RecordFileWriter();
    RecordFileWriter(const RecordFileWriter&) = delete;
    RecordFileWriter& operator=(const RecordFileWriter&) = delete;

    bool open();
    bool writeLine(const QString& line);
    bool writeLines(const QStringList& lines);
    bool writeRecord(const RecordRow& row);
    // Replace: puts the file in place. Stream: closes it. Without commit a Replace file is dropped.
    bool commit();

    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    const QString& path() const { return m_path; }

private:
    bool fail(const QString& reason);

    QString m_path;
    Mode m_mode;
    std::unique_ptr<QFileDevice> m_file;
    QString m_error;
};

// "The file "<path>" could not be written: <reason>."
QString fileWriteError(const QString& path, const QString& reason);

} // namespace slm
