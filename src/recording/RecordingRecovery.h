#pragma once

#include "measurement/RecordCompletion.h"
#include "recording/RecordingNote.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <optional>

namespace slm
{

// The complete record lines of "Fake", in order, without their line ends.
struct FakeRecords {
    bool titleFound = false;
    QByteArrayList lines;
    // A last line without its line end (the write the crash cut short); it is left out.
    bool lastLineCut = false;
    // Bytes from the first line that is no record of this recording on (e.g. blocks of zeros a
    // power cut left behind); they are left out and the records before them kept.
    qsizetype damagedBytes = 0;
    // "yyyy/mm/dd hh:nn:ss" of the first record; empty without records.
    QString firstTime;
};
FakeRecords readFakeRecords(const QByteArray& bytes);

// What the folder of "Fake" holds after a recording that never stopped.
struct InterruptedRecording {
    enum class State {
        None,          // no note: every recording stopped
        StillRunning,  // another running program records there now
        Recoverable,   // note and "Fake" belong together
        NoteDamaged,   // the records can be kept, but not the header of the real-time file
        FakeMissing,   // the note is there, "Fake" is not
        FakeOfAnother, // "Fake" holds records of another recording
        AlreadySaved,  // the file it was meant for holds every record: the stop ended before the note went
    };
    State state = State::None;
    std::optional<RecordingNote> note;
    FakeRecords records;
    QString folder;
};

InterruptedRecording findInterruptedRecording(const QString& folder);

// The choices that can be made truthfully about what was found.
enum class RecoveryAction { Save, SaveRecordsOnly, Discard, Later };
QList<RecoveryAction> recoveryActions(const InterruptedRecording& found);
QString recoveryActionText(RecoveryAction action);

// What the start-up says about it: "An interrupted recording of N records (started at T, to F)
// was found." and what else is known.
QString recoveryMessage(const InterruptedRecording& found);

// The real-time file the stop would have written: the header from the note, the maximum from
// the records, the title line and every complete record line. Never replaces an existing file:
// "" or the message naming the file.
QString writeRecoveredRecording(const QString& path, const InterruptedRecording& found);
// The records without a header (a list file), for a note that can no longer be read.
QString writeRecoveredRecords(const QString& path, const InterruptedRecording& found);

// Forgets the interrupted recording: the note goes, "Fake" stays as every recording leaves it.
bool discardInterruptedRecording(const InterruptedRecording& found);

} // namespace slm
