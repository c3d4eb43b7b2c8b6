#include "recording/RecordingFile.h"

#include "measurement/GrowingRecordFile.h"
#include "measurement/RecordFileFormat.h"
#include "measurement/RecordFileWriter.h"
#include "meter/Sampling.h"
#include "shared/TextHelpers.h"

#include <QDir>

namespace slm
{

namespace
{
const QString FakeName = QStringLiteral("Fake");
} // namespace
RecordingFile::RecordingFile(Sampling& sampling, QString folder, int recordLimit, QObject* parent)
    : QObject(parent), m_sampling(sampling), m_folder(std::move(folder)), m_limit(recordLimit)
{
    connect(&sampling, &Sampling::ticked, this, &RecordingFile::takeReading);
    connect(&sampling, &Sampling::sampleTaken, this, &RecordingFile::takeSample);
}

RecordingFile::~RecordingFile() = default;

QString RecordingFile::fakePath() const
{
    return QDir(m_folder).filePath(FakeName);
}

void RecordingFile::takeReading(const Sample& reading)
{
    if (m_recording && m_maxLevel < reading.level()) {
        m_maxLevel = reading.level();
        m_maxText = sampleLevelText(reading);
        m_maxTime = formatDateTime(reading.time);
    }
}

void RecordingFile::takeSample(const Sample& sample)
{
    if (!m_recording) {
        m_recordCount = 0;
        return;
    }
    // A record the disk refuses waits in the writer; only one past its buffer is lost.
    const int number = m_fake->add(formatDateTime(sample.time), sampleLevelText(sample), sample.time);
    if (number == 0)
        return;
    m_recordCount = number;
    emit recordWritten(m_recordCount);
    keepNoteCurrent();
    if (m_recordCount >= m_limit)
        stopAs(true);
}

RecordingNote RecordingFile::currentNote() const
{
    // The header as the meter's settings stand now.
    const RealTimeHeader header = m_sampling.realTimeHeader();
    RecordingNote note = m_note;
    note.recordFilePath = m_filePath;
    note.samplingInterval = header.samplingInterval;
    note.freqWeighting = header.freqWeighting;
    note.timeWeighting = header.timeWeighting;
    note.levelRange = header.levelRange;
    return note;
}

// Order matters for what a crash can leave: the old note goes first, then "Fake" is emptied, and
// only then the new note names it. A note on disk thus always belongs to the "Fake" beside it.
QString RecordingFile::claimFake(const QDateTime& now)
{
    m_fake = std::make_unique<GrowingRecordFile>(fakePath(), QStringList{titleLine()}, 0);
    if (!m_fake->claim())
        return QStringLiteral("Another running copy of the program records into \"%1\"; a second recording "
                              "there would overwrite its records.")
            .arg(QDir::toNativeSeparators(m_folder));
    const QString notePath = recordingNotePath(m_folder);
    QString error;
    if (!removeRecordingNote(notePath))
        error =
            fileWriteError(notePath, QStringLiteral("the note of an earlier recording could not be removed"));
    else if (!m_fake->open(now))
        error = m_fake->error();
    if (error.isEmpty()) {
        m_note = currentNote();
        m_note.startTime = formatDateTime(now);
        error = writeRecordingNote(notePath, m_note);
    }
    if (!error.isEmpty())
        endFiles(false);
    return error;
}

QString RecordingFile::start(const QString& path, const QDateTime& now)
{
    if (m_recording || m_stopping.active())
        return {};
    m_filePath = path;
    QDir().mkpath(m_folder);
    const QString error = claimFake(now);
    if (!error.isEmpty()) {
        m_fake.reset();
        m_filePath.clear();
        return error;
    }
    connect(m_fake.get(), &GrowingRecordFile::gapStarted, this,
            [this](const RecordingGap& gap) { emit writingPaused(gapStartText(gap)); });
    connect(m_fake.get(), &GrowingRecordFile::gapEnded, this,
            [this](const RecordingGap& gap) { emit writingResumed(gapEndText(fakePath(), gap)); });
    // Each recording's maximum starts with it: carried over, a file would name a maximum and a
    // time from an earlier recording that it does not hold.
    m_maxLevel = 0;
    m_maxText = QStringLiteral("0");
    m_maxTime.clear();
    m_recording = true;
    return {};
}

void RecordingFile::endFiles(bool keepNote)
{
    if (!keepNote)
        removeRecordingNote(recordingNotePath(m_folder));
    // Closes "Fake" and gives up the lock, last: a note on disk always has its lock until then.
    m_fake.reset();
}

// The stop writes the header as the settings stand then; the note follows every change of them
// during the recording, so a file saved after a crash has the same header.
void RecordingFile::keepNoteCurrent()
{
    const RecordingNote now = currentNote();
    if (now.sameHeader(m_note))
        return;
    m_note = now;
    // A failure here leaves the older note: the records are still saved, with the older header.
    writeRecordingNote(recordingNotePath(m_folder), m_note);
}

QString RecordingFile::stop()
{
    return m_recording ? stopAs(false) : QString();
}

QString RecordingFile::stopAs(bool byItself)
{
    m_recording = false;
    m_recordCount = 0;
    emit stopStarted(byItself);
    const QString error = writeRealTimeFile();
    // A file that could not be written leaves the note, so the next start offers the records.
    endFiles(!error.isEmpty());
    m_filePath.clear();
    emit stopped(error);
    return error;
}

QString RecordingFile::writeRealTimeFile()
{
    const ReentryFlag::Guard stopping(m_stopping);
    if (!m_fake)
        return fileWriteError(fakePath(), QStringLiteral("not open"));
    RealTimeHeader header = m_sampling.realTimeHeader();
    header.maxLevel = m_maxText;
    header.maxTime = m_maxTime;
    header.sel = SelNotComputed;
    header.leq = SelNotComputed;
    bool readFailed = false;
    QString error = m_fake->completeInto(
        m_filePath, headerLines(header), [this](int copied) { emit copyProgress(copied); }, &readFailed);
    if (!error.isEmpty() && !readFailed) {
        error += QStringLiteral(" The records taken are kept in \"%1\" until the next recording.")
                     .arg(QDir::toNativeSeparators(fakePath()));
        if (m_fake->waitingRecords() > 0)
            error += QStringLiteral(" %1 records that waited in memory for space could not be kept.")
                         .arg(m_fake->waitingRecords());
    }
    return error;
}

void RecordingFile::reset()
{
    m_maxLevel = 0;
    m_maxText = QStringLiteral("0");
    m_recordCount = 0;
}

} // namespace slm
