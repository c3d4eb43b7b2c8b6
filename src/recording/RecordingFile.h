#pragma once

#include "recording/RecordingNote.h"
#include "shared/ReentryGuard.h"

#include <QObject>
#include <QString>
#include <memory>

namespace slm
{

class GrowingRecordFile;
class Sampling;
struct Sample;

// The recording of one meter into a real-time file: each sample goes, as it is taken, to the
// temporary file "Fake" in the working folder, and the stop writes the chosen file from it, its
// header made of the meter's settings and the recording's own maximum.
//
// While a recording runs, a note beside "Fake" keeps what its stop needs (so the next start can
// write the file after a crash) and a lock file tells other running copies of the program that
// it runs. A subscriber of the meter's sampling; no windows: every failure comes back as the
// message naming the file. A record the disk refuses waits in memory and the recording goes on;
// the records are written when space returns.
class RecordingFile : public QObject
{
    Q_OBJECT
public:
    RecordingFile(Sampling& sampling, QString folder, int recordLimit, QObject* parent = nullptr);
    ~RecordingFile() override;

    QString folder() const { return m_folder; }
    QString fakePath() const;
    bool recording() const { return m_recording; }
    // True while the stop copies "Fake" into the record file.
    bool stopping() const { return m_stopping.active(); }
    // Records taken by the running recording (0 when none runs).
    int recordCount() const { return m_recordCount; }
    // The file the running recording goes to; empty when none runs.
    QString filePath() const { return m_filePath; }
    // The highest level text of the running (or the last) recording, from its start on.
    QString maxText() const { return m_maxText; }
    QString maxTime() const { return m_maxTime; }

    // Starts recording into `path` at `now`: "" or the error (nothing runs then).
    QString start(const QString& path, const QDateTime& now);
    // Ends the running recording and writes its file: "" or the error.
    QString stop();
    // The meter is lost: the counts and the maximum start afresh.
    void reset();

signals:
    void recordWritten(int count);
    // A stop begins; `byItself` at the record limit or after a failed write, else asked for.
    void stopStarted(bool byItself);
    // Lines copied into the record file so far, every so often during the stop.
    void copyProgress(int copied);
    // The stop is over; the error of writing the record file, if any.
    void stopped(const QString& error);
    // Records could not be written and wait in memory; then, once, that they are written again.
    void writingPaused(const QString& text);
    void writingResumed(const QString& text);

private:
    void takeReading(const Sample& reading);
    void takeSample(const Sample& sample);
    QString stopAs(bool byItself);
    RecordingNote currentNote() const;
    void keepNoteCurrent();
    void endFiles(bool keepNote);
    QString claimFake(const QDateTime& now);
    QString writeRealTimeFile();

    Sampling& m_sampling;
    QString m_folder;
    int m_limit;
    std::unique_ptr<GrowingRecordFile> m_fake;
    RecordingNote m_note;
    bool m_recording = false;
    int m_recordCount = 0;
    QString m_filePath;
    double m_maxLevel = 0;
    QString m_maxText = QStringLiteral("0");
    QString m_maxTime;
    ReentryFlag m_stopping;
};

} // namespace slm
