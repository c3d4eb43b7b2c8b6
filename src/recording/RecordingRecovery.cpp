#include "recording/RecordingRecovery.h"

#include "measurement/OwnerLock.h"
#include "measurement/RecordFileFormat.h"
#include "measurement/RecordFileWriter.h"
#include "shared/TextHelpers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace slm
{

namespace
{

const QString DateTimeFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");

QString fakePathIn(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("Fake"));
}

// A record line as the tick writes it: the next number, a date-time, a level text without
// control characters, every field followed by a TAB.
bool isRecordLine(const QByteArray& line, int expectedNumber)
{
    for (const char c : line)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            return false;
    const std::optional<RecordRow> row = splitRecordLine(QString::fromLatin1(line));
    if (!row || !line.endsWith('\t') || line.count('\t') != 3)
        return false;
    return row->number == QString::number(expectedNumber) &&
           QDateTime::fromString(row->dateTime, DateTimeFormat).isValid();
}

bool anotherProgramRecords(const QString& folder)
{
    return OwnerLock::livingOwner(recordingLockPath(folder)) != 0;
}

// The stop writes the chosen file and then removes the note: a crash between the two leaves a
// note whose records the file already holds, and saving them again would make a second copy.
bool alreadySaved(const RecordingNote& note, const FakeRecords& records)
{
    QFile file(note.recordFilePath);
    if (records.lines.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArrayList lines = completeLinesOf(file.readAll());
    const int header = headerLineCount(RecordFileKind::RealTime);
    if (lines.size() != header + 1 + records.lines.size() || lines.value(0) != RealTimeKindLine.toLatin1())
        return false;
    return lines.mid(header + 1) == records.lines;
}

QString writeNewFile(const QString& path, const QStringList& lines)
{
    if (QFileInfo::exists(path))
        return fileWriteError(path, QStringLiteral("a file of that name exists"));
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += encodeLine(line);
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return fileWriteError(path, temp.errorString());
    if (temp.write(bytes) != bytes.size() || !temp.flush())
        return fileWriteError(path, temp.errorString());
#ifdef Q_OS_UNIX
    ::fsync(temp.handle());
#endif
    temp.close();
    // rename() refuses an existing target, so a file that appeared meanwhile is not replaced.
    if (!QFile::rename(temp.fileName(), path))
        return fileWriteError(path, QStringLiteral("a file of that name exists or the folder refused it"));
    temp.setAutoRemove(false);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return {};
}

QStringList recordLinesAsText(const QByteArrayList& lines)
{
    QStringList out;
    out.reserve(lines.size());
    for (const QByteArray& line : lines)
        out << QString::fromLatin1(line);
    return out;
}

} // namespace

FakeRecords readFakeRecords(const QByteArray& bytes)
{
    FakeRecords out;
    const QByteArray title = encodeLine(titleLine());
    if (!bytes.startsWith(title)) {
        out.damagedBytes = bytes.size();
        return out;
    }
    out.titleFound = true;
    qsizetype at = title.size();
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf("\r\n", at);
        if (end < 0) {
            // No line end: the write the crash cut short, unless it is no record at all.
            const QByteArray rest = bytes.mid(at);
            if (rest.contains('\0') || rest.contains('\n'))
                out.damagedBytes = rest.size();
            else
                out.lastLineCut = true;
            break;
        }
        const QByteArray line = bytes.mid(at, end - at);
        if (!isRecordLine(line, static_cast<int>(out.lines.size()) + 1)) {
            out.damagedBytes = bytes.size() - at;
            break;
        }
        out.lines << line;
        at = end + 2;
    }
    if (!out.lines.isEmpty())
        out.firstTime = QString::fromLatin1(out.lines.first().split('\t').value(1));
    return out;
}

InterruptedRecording findInterruptedRecording(const QString& folder)
{
    InterruptedRecording found;
    found.folder = folder;
    QFile noteFile(recordingNotePath(folder));
    if (!noteFile.exists())
        return found;
    if (anotherProgramRecords(folder)) {
        found.state = InterruptedRecording::State::StillRunning;
        return found;
    }
    if (noteFile.open(QIODevice::ReadOnly))
        found.note = decodeRecordingNote(noteFile.read(64 * 1024));

    QFile fake(fakePathIn(folder));
    const bool fakeThere = fake.open(QIODevice::ReadOnly);
    if (fakeThere)
        found.records = readFakeRecords(fake.readAll());

    if (!found.note) {
        found.state = InterruptedRecording::State::NoteDamaged;
    } else if (!fakeThere) {
        found.state = InterruptedRecording::State::FakeMissing;
    } else if (!found.records.titleFound ||
               (!found.records.firstTime.isEmpty() &&
                QDateTime::fromString(found.records.firstTime, DateTimeFormat) <
                    QDateTime::fromString(found.note->startTime, DateTimeFormat))) {
        // Records stamped before the recording started were taken by another one.
        found.state = InterruptedRecording::State::FakeOfAnother;
    } else if (alreadySaved(*found.note, found.records)) {
        found.state = InterruptedRecording::State::AlreadySaved;
    } else {
        found.state = InterruptedRecording::State::Recoverable;
    }
    return found;
}

QList<RecoveryAction> recoveryActions(const InterruptedRecording& found)
{
    using State = InterruptedRecording::State;
    switch (found.state) {
    case State::None:
    case State::StillRunning:
    case State::AlreadySaved:
        return {};
    case State::Recoverable:
        return {RecoveryAction::Save, RecoveryAction::Discard, RecoveryAction::Later};
    case State::NoteDamaged:
        if (found.records.titleFound && !found.records.lines.isEmpty())
            return {RecoveryAction::SaveRecordsOnly, RecoveryAction::Discard, RecoveryAction::Later};
        return {RecoveryAction::Discard, RecoveryAction::Later};
    case State::FakeMissing:
    case State::FakeOfAnother:
        return {RecoveryAction::Discard, RecoveryAction::Later};
    }
    return {};
}

QString recoveryActionText(RecoveryAction action)
{
    switch (action) {
    case RecoveryAction::Save:
        return QStringLiteral("Save");
    case RecoveryAction::SaveRecordsOnly:
        return QStringLiteral("Save Records Only");
    case RecoveryAction::Discard:
        return QStringLiteral("Discard");
    case RecoveryAction::Later:
        return QStringLiteral("Later");
    }
    return {};
}

QString recoveryMessage(const InterruptedRecording& found)
{
    using State = InterruptedRecording::State;
    const QString fake = QDir::toNativeSeparators(fakePathIn(found.folder));
    const int count = static_cast<int>(found.records.lines.size());
    QStringList text;
    if (found.note) {
        text << QStringLiteral("An interrupted recording of %1 records (started at %2, to %3) was found.")
                    .arg(count)
                    .arg(found.note->startTime, QDir::toNativeSeparators(found.note->recordFilePath));
    } else {
        text << QStringLiteral("An interrupted recording of %1 records was found, but its note is damaged: "
                               "the sampling interval, the weightings, the range and the file it was "
                               "meant for are unknown.")
                    .arg(count);
    }
    switch (found.state) {
    case State::Recoverable:
        if (found.records.lastLineCut)
            text << QStringLiteral("The last record was cut short and is left out.");
        if (found.records.damagedBytes > 0)
            text << QStringLiteral("The records file is damaged after record %1; the rest is left out.")
                        .arg(count);
        if (QFileInfo::exists(found.note->recordFilePath))
            text << QStringLiteral("That file exists by now; Save asks for another one.");
        text << QStringLiteral("Save writes the real-time file it would have become.");
        break;
    case State::NoteDamaged:
        if (count > 0)
            text << QStringLiteral("Save Records Only writes the records of \"%1\" as a list file without "
                                   "a header.")
                        .arg(fake);
        else
            text << QStringLiteral("\"%1\" holds no records of it; nothing can be saved.").arg(fake);
        break;
    case State::FakeMissing:
        text << QStringLiteral("Its records file \"%1\" is missing; nothing can be saved.").arg(fake);
        break;
    case State::FakeOfAnother:
        text << QStringLiteral("But \"%1\" holds the records of another recording; nothing can be saved.")
                    .arg(fake);
        break;
    case State::None:
    case State::StillRunning:
    case State::AlreadySaved:
        break;
    }
    // "Fake" is emptied by the next recording.
    text << QStringLiteral("Later keeps it until the next start, unless a new recording replaces it.");
    // The finding first, set apart from what can be done about it.
    const QString finding = text.takeFirst();
    return finding + QStringLiteral("\n\n") + text.join(u'\n');
}

QString writeRecoveredRecording(const QString& path, const InterruptedRecording& found)
{
    if (found.state != InterruptedRecording::State::Recoverable || !found.note)
        return fileWriteError(path, QStringLiteral("the interrupted recording cannot be written truthfully"));
    const RecordsMaximum max = maximumOfRecords(found.records.lines);
    RealTimeHeader header;
    header.samplingInterval = found.note->samplingInterval;
    header.freqWeighting = found.note->freqWeighting;
    header.timeWeighting = found.note->timeWeighting;
    header.levelRange = found.note->levelRange;
    header.maxLevel = max.level;
    header.maxTime = max.time;
    header.sel = SelNotComputed;
    header.leq = SelNotComputed;
    return writeNewFile(path, headerLines(header) + QStringList{titleLine()} +
                                  recordLinesAsText(found.records.lines));
}

QString writeRecoveredRecords(const QString& path, const InterruptedRecording& found)
{
    if (!found.records.titleFound)
        return fileWriteError(path, QStringLiteral("no records of the interrupted recording were found"));
    return writeNewFile(path, QStringList{titleLine()} + recordLinesAsText(found.records.lines));
}

bool discardInterruptedRecording(const InterruptedRecording& found)
{
    return removeRecordingNote(recordingNotePath(found.folder));
}

} // namespace slm
