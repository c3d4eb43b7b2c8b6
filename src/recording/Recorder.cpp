#include "recording/Recorder.h"

#include "recording/FileTransfer.h"
#include "measurement/RecordFileFormat.h"
#include "measurement/RecordFileWriter.h"
#include "recording/RecorderView.h"
#include "recording/RecordingNote.h"
#include "shared/BusyCaption.h"
#include "shared/Clock.h"
#include "shared/Dialogs.h"
#include "measurement/RecordListModel.h"
#include "shared/TextHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace slm
{

namespace
{

const QString FakeName = QStringLiteral("Fake");
const QString RecText = QStringLiteral("Rec");

// The copy at the stop shows its progress and lets events run every this many lines: once per
// line would spend most of a long copy repainting the count.
constexpr int CopyProgressStep = 200;

bool isNonzeroMultiple(int value, int of)
{
    return value != 0 && value % of == 0;
}

} // namespace

Recorder::Recorder(PanelState& state, RecordListModel& list, Clock& clock, Dialogs& dialogs,
                   RecorderView& view, QString workingFolder, int recordLimit, QObject* parent)
    : QObject(parent), m_state(state), m_list(list), m_clock(clock), m_dialogs(dialogs), m_view(view),
      m_folder(std::move(workingFolder)), m_limit(recordLimit > 0 ? recordLimit : RecordLimit)
{
}

Recorder::~Recorder() = default;

QString Recorder::defaultWorkingFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.slm-panel");
    QDir().mkpath(folder);
    return folder;
}

QString Recorder::fakePath() const
{
    return QDir(m_folder).filePath(FakeName);
}

bool Recorder::ensureFolder()
{
    return QDir().mkpath(m_folder);
}

void Recorder::showError(const QString& text)
{
    m_dialogs.message(m_view.dialogParent(), text, QString(), Dialogs::Icon::Critical);
}

// ---------------------------------------------------------------------------------------------
// The tick

void Recorder::tick()
{
    // No tick starts while one is still running (the stop's copy lets events run).
    const ReentryFlag::Guard tick(m_tick);
    if (!tick.entered())
        return;

    if (!m_ticked) {
        // The boards change with the running values (a sample, a clearing); the first tick
        // shows what they hold so far.
        m_ticked = true;
        showRunningLevels();
    }

    const double level = m_state.Live.Level;
    const QString levelText = m_state.Live.LevelText;
    if (level > m_overallMax) {
        m_overallMax = level;
        m_overallMaxTime = formatDateTime(m_clock.now());
        m_view.setMaxTexts(levelText, m_overallMaxTime);
    }
    if (m_recording && numericValue(m_recordingMax) < level) {
        m_recordingMax = levelText;
        m_recordingMaxTime = formatDateTime(m_clock.now());
    }

    if (m_samplingCountdown >= m_state.PcSamplingTime) {
        m_lastSampleTime = formatDateTime(m_clock.now());
        recordSample();
        listSample();
        // The sample as listed (its "*" included) and the time it stands for.
        m_running.add(m_state.Live.LevelText, m_state.PcSamplingTime);
        showRunningLevels();
        // The level as it stands now: a stop at the record limit may have let a reading in.
        emit sampleTaken(m_state.Live.Level, m_leqText, m_selText);
        m_samplingCountdown = 1;
    } else {
        m_samplingCountdown += 1;
    }
}

void Recorder::showRunningLevels()
{
    m_leqText = m_running.leqText();
    m_selText = m_running.selText();
    m_view.setLeqText(m_leqText);
    m_view.setSelText(m_selText);
}

void Recorder::recordSample()
{
    if (!m_recording) {
        m_view.setFileNameText(QString());
        m_view.setCountText(QString());
        m_view.setRecText(QString());
        m_recordCount = 0;
        return;
    }
    m_recordCount += 1;
    const bool written = m_fake && m_fake->writeLine(recordLine(QString::number(m_recordCount),
                                                                m_lastSampleTime, m_state.Live.LevelText));
    if (!written) {
        // The records already in "Fake" are kept: the recording ends as a stop would, so they
        // reach the chosen file, and the user learns which file failed.
        const QString error =
            m_fake ? m_fake->error() : fileWriteError(fakePath(), QStringLiteral("not open"));
        stop(StopBy::Tick);
        showError(error);
        return;
    }
    m_view.setCountText(QString::number(m_recordCount));
    m_view.setRecText(RecText);
    keepNoteCurrent();
    if (m_recordCount >= m_limit)
        stop(StopBy::Tick);
}

void Recorder::listSample()
{
    if (isNonzeroMultiple(m_listCount, m_limit)) {
        saveFullList();
        // Saved: the list starts again with this sample. Not saved: the list stays as it is and
        // the save is tried again at the next sample.
        if (isNonzeroMultiple(m_listCount, m_limit))
            return;
    }
    m_listCount += 1;
    m_list.append(QString::number(m_listCount), m_lastSampleTime, m_state.Live.LevelText);
}

void Recorder::saveFullList()
{
    const QString name = m_clock.now().toString(QStringLiteral("MMddHHmmss")) + QStringLiteral(".slmm");
    const QString path = QDir(m_folder).filePath(name);
    ensureFolder();
    const QString error = writeListFile(path, m_list, m_view.panelCaption());
    if (!error.isEmpty()) {
        // Told once; the next samples retry quietly until a save works.
        if (!m_fullListErrorShown)
            showError(error);
        m_fullListErrorShown = true;
        return;
    }
    m_fullListErrorShown = false;
    m_view.showStatus(QStringLiteral("The full list was saved to %1").arg(QDir::toNativeSeparators(path)));
    m_list.clear();
    m_listCount = 0;
}

// ---------------------------------------------------------------------------------------------
// Commands

void Recorder::toolbarSave()
{
    if (m_recording) {
        stopRecording();
        return;
    }
    m_view.selectSamplingOption();
    m_state.SaveMode = 1;
    m_view.setSaveBoxVisible(true);
}

void Recorder::saveOk()
{
    m_view.setSaveBoxVisible(false);
    // A new recording would empty "Fake" under the copy of the one being stopped.
    if (m_recording || m_stopping.active())
        return;
    if (m_state.SaveMode == 1)
        startRecording();
    else
        saveList();
}

void Recorder::startRecording()
{
    const std::optional<QString> chosen = ChooseRecordFile(m_dialogs, m_view.dialogParent());
    if (!chosen)
        return;
    m_recordFilePath = *chosen;
    m_view.setFileNameText(QFileInfo(m_recordFilePath).fileName());
    m_view.setSaveButtonRecording(true);

    const QString error = beginRecordingFiles();
    if (!error.isEmpty()) {
        m_view.setFileNameText(QString());
        m_view.setSaveButtonRecording(false);
        m_recordFilePath.clear();
        showError(error);
        return;
    }
    // Each recording's maximum starts with it: carried over, a file would name a maximum and a
    // time from an earlier recording that it does not hold.
    m_recordingMax = QStringLiteral("0");
    m_recordingMaxTime.clear();
    m_recording = true;
    m_view.setRecVisible(true);
    emit recordingChanged(true);
}

RecordingNote Recorder::currentNote() const
{
    RecordingNote note = m_note;
    note.recordFilePath = m_recordFilePath;
    note.samplingInterval = m_state.PcSamplingTime;
    note.freqWeighting = m_view.freqWeightingText();
    note.timeWeighting = m_view.timeWeightingText();
    note.levelRange = m_view.levelRangeText();
    return note;
}

// Order matters for what a crash can leave: the old note goes first, then "Fake" is emptied, and
// only then the new note names it. A note on disk thus always belongs to the "Fake" beside it.
QString Recorder::beginRecordingFiles()
{
    ensureFolder();
    m_lock = std::make_unique<QLockFile>(recordingLockPath(m_folder));
    // A recording may run for days: only a lock whose program is gone is stale.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return QStringLiteral("Another running copy of the program records into \"%1\"; a second recording "
                              "there would overwrite its records.")
            .arg(QDir::toNativeSeparators(m_folder));
    }
    const QString notePath = recordingNotePath(m_folder);
    QString error;
    if (!removeRecordingNote(notePath))
        error =
            fileWriteError(notePath, QStringLiteral("the note of an earlier recording could not be removed"));
    if (error.isEmpty()) {
        m_fake = std::make_unique<RecordFileWriter>(fakePath(), RecordFileWriter::Mode::Stream);
        if (!m_fake->open() || !m_fake->writeLine(titleLine()))
            error = m_fake->error();
    }
    if (error.isEmpty()) {
        m_note = currentNote();
        m_note.startTime = formatDateTime(m_clock.now());
        error = writeRecordingNote(notePath, m_note);
    }
    if (!error.isEmpty())
        endRecordingFiles(false);
    return error;
}

void Recorder::endRecordingFiles(bool keepNote)
{
    m_fake.reset();
    if (!keepNote)
        removeRecordingNote(recordingNotePath(m_folder));
    m_lock.reset();
}

// The stop writes the header as the panel shows it then; the note follows every change of it
// during the recording, so a file saved after a crash has the same header.
void Recorder::keepNoteCurrent()
{
    const RecordingNote now = currentNote();
    if (now.sameHeader(m_note))
        return;
    m_note = now;
    // A failure here leaves the older note: the records are still saved, with the older header.
    writeRecordingNote(recordingNotePath(m_folder), m_note);
}

void Recorder::saveList()
{
    BusyScope busy(m_view.panelCaption());
    const std::optional<QString> chosen = ChooseRecordFile(m_dialogs, m_view.dialogParent());
    if (!chosen)
        return;
    RealTimeHeader header;
    header.samplingInterval = m_state.PcSamplingTime;
    header.freqWeighting = m_view.freqWeightingText();
    header.timeWeighting = m_view.timeWeightingText();
    header.levelRange = m_view.levelRangeText();
    header.maxLevel = formatHeaderNumber(m_overallMax);
    header.maxTime = m_overallMaxTime;
    // The file format keeps "XXX" for both; the running values are the panel's, not the file's.
    header.sel = m_ticked ? SelNotComputed : QString();
    header.leq = header.sel;
    const QString error = writeRealTimeListFile(*chosen, header, m_list, m_view.panelCaption());
    if (!error.isEmpty())
        showError(error);
}

void Recorder::stopRecording()
{
    if (m_recording)
        stop(StopBy::User);
}

void Recorder::stop(StopBy by)
{
    m_recording = false;
    m_view.setSaveButtonRecording(false);
    if (by == StopBy::User) {
        m_view.setRecVisible(false);
        m_view.setFileNameText(QString());
    } else {
        // The tick empties the mark and leaves the name, which its next sample clears.
        m_view.setRecText(QString());
    }
    m_view.setCountText(QString());
    m_recordCount = 0;

    const QString error = writeRealTimeFile();
    // A file that could not be written leaves the note, so the next start offers the records.
    endRecordingFiles(!error.isEmpty());
    m_view.setCountText(QString());
    m_recordFilePath.clear();
    emit recordingChanged(false);
    if (!error.isEmpty())
        showError(error);
}

QString Recorder::writeRealTimeFile()
{
    const ReentryFlag::Guard stopping(m_stopping);
    QString error;
    if (m_fake && !m_fake->commit())
        error = m_fake->error();
    m_fake.reset();

    RealTimeHeader header;
    header.samplingInterval = m_state.PcSamplingTime;
    header.freqWeighting = m_view.freqWeightingText();
    header.timeWeighting = m_view.timeWeightingText();
    header.levelRange = m_view.levelRangeText();
    header.maxLevel = m_recordingMax;
    header.maxTime = m_recordingMaxTime;
    header.sel = SelNotComputed;
    header.leq = SelNotComputed;

    QFile fake(fakePath());
    RecordFileWriter out(m_recordFilePath, RecordFileWriter::Mode::Replace);
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
            if (copied % CopyProgressStep == 0 || fake.atEnd()) {
                m_view.setCountText(QString::number(copied));
                m_view.processPendingEvents();
            }
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

void Recorder::refresh()
{
    m_overallMax = 0;
    m_listCount = 0;
    m_list.clear();
    m_fullListErrorShown = false;
    m_running.clear();
    showRunningLevels();
    emit listRefreshed();
}

void Recorder::onLinkLost()
{
    if (m_recording)
        stop(StopBy::User);
    m_overallMax = 0;
    m_recordingMax = QStringLiteral("0");
    m_recordCount = 0;
    m_listCount = 0;
    // Unlike "Refresh", the note that a full list could not be saved is kept: a later failure of
    // that save is not told again.
    m_list.clear();
    m_running.clear();
    showRunningLevels();
}

} // namespace slm
