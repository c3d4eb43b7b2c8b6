#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace slm
{

// What the stop of a recording needs beyond the records in "Fake", kept on disk beside "Fake"
// while the recording runs: after a crash or a power cut the next start can still write the
// real-time file the stop would have written.
struct RecordingNote {
    QString recordFilePath;
    int samplingInterval = 1;
    QString freqWeighting;
    QString timeWeighting;
    QString levelRange;
    // "yyyy/mm/dd hh:nn:ss" on the program's clock, as the records are stamped.
    QString startTime;

    bool sameHeader(const RecordingNote& other) const
    {
        return samplingInterval == other.samplingInterval && freqWeighting == other.freqWeighting &&
               timeWeighting == other.timeWeighting && levelRange == other.levelRange;
    }
};

// The note and the lock of a running recording live in the folder of "Fake".
QString recordingNotePath(const QString& folder);
QString recordingLockPath(const QString& folder);

// Text lines ending in a checksum line, so a note cut short or overwritten is recognised.
QByteArray encodeRecordingNote(const RecordingNote& note);
// Nothing when the bytes are not a complete, unaltered note.
std::optional<RecordingNote> decodeRecordingNote(const QByteArray& bytes);

// Replaces the note in one step and hands it to the disk before returning: a crash leaves the
// old note or the new one, never a mix. "" or the message naming the file.
QString writeRecordingNote(const QString& path, const RecordingNote& note);
// True when no note is left at the path.
bool removeRecordingNote(const QString& path);

} // namespace slm
