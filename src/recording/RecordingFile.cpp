#include "recording/RecordingFile.h"

#include "measurement/RecordFileFormat.h"
#include "measurement/RecordFileWriter.h"
#include "meter/Sampling.h"
#include "shared/TextHelpers.h"

#include <QDir>
#include <QFile>

namespace slm
{

namespace
{
const QString FakeName = QStringLiteral("Fake");

// The copy at the stop tells its progress every this many lines: once per line would spend
// most of a long copy repainting the count.
constexpr int CopyProgressStep = 200;
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
    m_recordCount += 1;
    if (!m_fake || !m_fake->writeLine(sampleRecordLine(m_recordCount, sample))) {
        // The records already in "Fake" are kept: the recording ends as a stop would, so they
        // reach the chosen file, and the user learns which file failed.
        const QString error =
            m_fake ? m_fake->error() : fileWriteError(fakePath(), QStringLiteral("not open"));
        stopAs(true);
        emit recordFailed(error);
        return;
    }
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
QString RecordingFile::start(const QString& path, const QDateTime& now)
{
    if (m_recording || m_stopping.active())
        return {};
    m_filePath = path;
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(recordingLockPath(m_folder));
    // A recording may run for days: only a lock whose program is gone is stale.
    m_lock->setStaleLockTime(0);
    QString error;
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        error = QStringLiteral("Another running copy of the program records into \"%1\"; a second recording "
                               "there would overwrite its records.")
                    .arg(QDir::toNativeSeparators(m_folder));
    }
    const QString notePath = recordingNotePath(m_folder);
    if (error.isEmpty() && !removeRecordingNote(notePath))
        error =
            fileWriteError(notePath, QStringLiteral("the note of an earlier recording could not be removed"));
    if (error.isEmpty()) {
        m_fake = std::make_unique<RecordFileWriter>(fakePath(), RecordFileWriter::Mode::Stream);
        if (!m_fake->open() || !m_fake->writeLine(titleLine()))
            error = m_fake->error();
    }
    if (error.isEmpty()) {
        m_note = currentNote();
        m_note.startTime = formatDateTime(now);
        error = writeRecordingNote(notePath, m_note);
    }
    if (!error.isEmpty()) {
        if (m_lock)
            endFiles(false);
        m_filePath.clear();
        return error;
    }
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
    m_fake.reset();
    if (!keepNote)
        removeRecordingNote(recordingNotePath(m_folder));
    m_lock.reset();
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
    QString error;
    if (m_fake && !m_fake->commit())
        error = m_fake->error();
    m_fake.reset();

    RealTimeHeader header = m_sampling.realTimeHeader();
    header.maxLevel = m_maxText;
    header.maxTime = m_maxTime;
    header.sel = SelNotComputed;
    header.leq = SelNotComputed;

    QFile fake(fakePath());
    RecordFileWriter out(m_filePath, RecordFileWriter::Mode::Replace);
    if (!fake.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The file \"%1\" could not be read: %2.")
                    .arg(QDir::toNativeSeparators(fakePath()), fake.errorString());
    } else if (out.open() && out.writeLines(headerLines(header))) {
        int copied = 0;
        while (!fake.atEnd()) {
            QByteArray line = fake.readLine();
            if (line.endsWith('\n'))
                line.chop(1);
            if (line.endsWith('\r'))
                line.chop(1);
            if (!out.writeLine(QString::fromLatin1(line)))
                break;
            ++copied;
            if (copied % CopyProgressStep == 0 || fake.atEnd())
                emit copyProgress(copied);
        }
        out.commit();
    }
    if (out.failed()) {
        error =
            out.error() + QStringLiteral(" The records taken are kept in \"%1\" until the next recording.")
                              .arg(QDir::toNativeSeparators(fakePath()));
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
