#include "measurement/RecordCompletion.h"

#include "measurement/RecordFileWriter.h"
#include "shared/TextHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace slm
{

namespace
{
// The copy tells its progress every this many lines: once per line would spend most of a long
// copy repainting the count.
constexpr int ProgressStep = 200;

QByteArray withoutLineEnd(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

void syncFolderOf(const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}
} // namespace

void RecordsMaximum::take(const QString& levelText, const QString& dateTime)
{
    const double v = numericValue(levelText);
    if (value < v) {
        value = v;
        level = levelText;
        time = dateTime;
    }
}

RecordsMaximum maximumOfRecords(const QByteArrayList& recordLines)
{
    RecordsMaximum max;
    for (const QByteArray& line : recordLines) {
        const QList<QByteArray> fields = line.split('\t');
        max.take(QString::fromLatin1(fields.value(2)), QString::fromLatin1(fields.value(1)));
    }
    return max;
}

QByteArrayList completeLinesOf(const QByteArray& bytes)
{
    QByteArrayList lines;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf("\r\n", at);
        if (end < 0)
            break;
        lines << bytes.mid(at, end - at);
        at = end + 2;
    }
    return lines;
}

QByteArrayList recordedLinesOf(const QByteArrayList& linesAfterHeader)
{
    const QByteArray title = withoutLineEnd(encodeLine(titleLine()));
    if (linesAfterHeader.isEmpty() || linesAfterHeader.first() != title)
        return {};
    qsizetype kept = 1;
    while (kept < linesAfterHeader.size()) {
        const std::optional<RecordRow> row = splitRecordLine(QString::fromLatin1(linesAfterHeader[kept]));
        if (!row || row->number != QString::number(kept))
            break;
        ++kept;
    }
    return linesAfterHeader.mid(0, kept);
}

QString fileReadError(const QString& path, const QString& reason)
{
    return QStringLiteral("The file \"%1\" could not be read: %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString writeCompletedFile(const QString& target, const QStringList& header, const CompletionSource& source,
                           bool* readFailed)
{
    QFile growing(source.growingPath);
    const bool unreadable = !source.growingPath.isEmpty() && !growing.open(QIODevice::ReadOnly);
    if (readFailed)
        *readFailed = unreadable;
    if (unreadable)
        return fileReadError(source.growingPath, growing.errorString());
    RecordFileWriter out(target, RecordFileWriter::Mode::Replace);
    if (!out.open() || !out.writeLines(header))
        return out.error();
    int skipped = 0;
    int copied = 0;
    const auto copy = [&](const QByteArray& line) {
        if (skipped < source.skipLines) {
            ++skipped;
            return true;
        }
        if (!out.writeLine(QString::fromLatin1(line)))
            return false;
        ++copied;
        if (source.progress && copied % ProgressStep == 0)
            source.progress(copied);
        return true;
    };
    bool ok = true;
    while (ok && growing.isOpen() && !growing.atEnd()) {
        const QByteArray line = growing.readLine();
        // A last line without its end is a write that never completed; the device keeps none.
        if (!line.endsWith('\n'))
            break;
        ok = copy(withoutLineEnd(line));
    }
    for (qsizetype i = 0; ok && i < source.extraLines.size(); ++i)
        ok = copy(source.extraLines[i]);
    if (ok && source.progress && copied % ProgressStep != 0)
        source.progress(copied);
    if (!ok || !out.commit())
        return out.error();
    return {};
}

QString moveIntoPlace(const QString& from, const QString& to)
{
    // Qt renames without replacing (renameat2 where the system has it), and refuses an existing
    // target.
    QFile file(from);
    if (QFileInfo::exists(to) || !file.rename(to))
        return fileWriteError(to, QFileInfo::exists(to) ? QStringLiteral("a file of that name exists")
                                                        : file.errorString());
    syncFolderOf(to);
    return {};
}

} // namespace slm
