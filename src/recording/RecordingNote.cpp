#include "recording/RecordingNote.h"

#include "measurement/RecordFileWriter.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace slm
{

namespace
{

const QByteArray FirstLine = "slm-panel recording note 1";
const QByteArray CheckKey = "check";

QByteArray checksum(const QByteArray& body)
{
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex();
}

void addField(QByteArray& out, const char* key, const QString& value)
{
    // Percent-encoded so a path with a line break or an '=' cannot break the line structure.
    out += key;
    out += '=';
    out += QUrl::toPercentEncoding(value, "/ .-_:~()");
    out += '\n';
}

#ifdef Q_OS_UNIX
// The rename that puts the note in place is only durable once the folder itself is on disk.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

} // namespace

QString recordingNotePath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("Fake.note"));
}

QString recordingLockPath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("Fake.lock"));
}

QByteArray encodeRecordingNote(const RecordingNote& note)
{
    QByteArray body = FirstLine + '\n';
    addField(body, "path", note.recordFilePath);
    addField(body, "interval", QString::number(note.samplingInterval));
    addField(body, "weighting", note.freqWeighting);
    addField(body, "time-weighting", note.timeWeighting);
    addField(body, "range", note.levelRange);
    addField(body, "started", note.startTime);
    return body + CheckKey + '=' + checksum(body) + '\n';
}

std::optional<RecordingNote> decodeRecordingNote(const QByteArray& bytes)
{
    const qsizetype checkAt = bytes.lastIndexOf('\n' + CheckKey + '=');
    if (!bytes.startsWith(FirstLine + '\n') || checkAt < 0 || !bytes.endsWith('\n'))
        return std::nullopt;
    const QByteArray body = bytes.left(checkAt + 1);
    const QByteArray check = bytes.mid(checkAt + 2 + CheckKey.size()).chopped(1);
    if (check != checksum(body))
        return std::nullopt;

    QHash<QByteArray, QString> fields;
    const QList<QByteArray> lines = body.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0 || fields.contains(line.left(eq)))
            return std::nullopt;
        fields.insert(line.left(eq), QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(eq + 1))));
    }
    for (const char* key : {"path", "interval", "weighting", "time-weighting", "range", "started"})
        if (!fields.contains(key))
            return std::nullopt;

    RecordingNote note;
    bool ok = false;
    note.recordFilePath = fields.value("path");
    note.samplingInterval = fields.value("interval").toInt(&ok);
    note.freqWeighting = fields.value("weighting");
    note.timeWeighting = fields.value("time-weighting");
    note.levelRange = fields.value("range");
    note.startTime = fields.value("started");
    const bool started =
        QDateTime::fromString(note.startTime, QStringLiteral("yyyy/MM/dd HH:mm:ss")).isValid();
    if (!ok || note.samplingInterval < 1 || note.samplingInterval > 86400 || note.recordFilePath.isEmpty() ||
        !started)
        return std::nullopt;
    return note;
}

QString writeRecordingNote(const QString& path, const RecordingNote& note)
{
    // QSaveFile writes beside the target, syncs it to disk and renames it over the old note.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileWriteError(path, file.errorString());
    const QByteArray bytes = encodeRecordingNote(note);
    if (file.write(bytes) != bytes.size()) {
        const QString error = fileWriteError(path, file.errorString());
        file.cancelWriting();
        return error;
    }
#ifdef Q_OS_UNIX
    // On disk before the rename, so the name never points at data still in the page cache.
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        const QString error = fileWriteError(path, file.errorString());
        file.cancelWriting();
        return error;
    }
#endif
    if (!file.commit())
        return fileWriteError(path, file.errorString());
#ifdef Q_OS_UNIX
    syncFolder(QFileInfo(path).absolutePath());
#endif
    return {};
}

bool removeRecordingNote(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    if (!QFile::remove(path))
        return false;
#ifdef Q_OS_UNIX
    syncFolder(QFileInfo(path).absolutePath());
#endif
    return true;
}

} // namespace slm
