#include "recording/Recorder.h"

#include "measurement/RecordFileFormat.h"
#include "measurement/RecordListModel.h"
#include "meter/Sampling.h"
#include "recording/ListFeeder.h"
#include "recording/RecorderView.h"
#include "recording/RecordingFile.h"
#include "recording/RunningFigures.h"
#include "shared/BusyCaption.h"
#include "shared/Clock.h"
#include "shared/Dialogs.h"
#include "shared/TextHelpers.h"
#include "views/FileTransfer.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace slm
{

namespace
{
const QString RecText = QStringLiteral("Rec");
} // namespace

Recorder::Recorder(Sampling& sampling, RecordListModel& list, Clock& clock, Dialogs& dialogs,
                   RecorderView& view, QString workingFolder, int recordLimit, QObject* parent)
    : QObject(parent), m_sampling(sampling), m_list(list), m_clock(clock), m_dialogs(dialogs), m_view(view),
      m_folder(std::move(workingFolder))
{
    const int limit = recordLimit > 0 ? recordLimit : RecordLimit;
    // The parts take each sample in this order: the record, the list row, the figures; the
    // panel's texts are cleared before and the graphs told after.
    connect(&sampling, &Sampling::sampleTaken, this, &Recorder::beforeSample);
    m_file = std::make_unique<RecordingFile>(sampling, m_folder, limit);
    m_feeder = std::make_unique<ListFeeder>(sampling, list, m_folder, limit);
    m_figures = std::make_unique<RunningFigures>(sampling);
    connect(&sampling, &Sampling::sampleTaken, this, &Recorder::afterSample);

    m_feeder->setProgress(view.panelCaption());
    connect(m_feeder.get(), &ListFeeder::fullListSaved, this, [this](const QString& path) {
        m_view.showStatus(
            QStringLiteral("The full list was saved to %1").arg(QDir::toNativeSeparators(path)));
    });
    connect(m_feeder.get(), &ListFeeder::fullListSaveFailed, this, &Recorder::showError);

    connect(m_figures.get(), &RunningFigures::maxChanged, this,
            [this](const QString& level, const QString& time) { m_view.setMaxTexts(level, time); });
    connect(m_figures.get(), &RunningFigures::levelsChanged, this,
            [this](const QString& leq, const QString& sel) {
                m_view.setLeqText(leq);
                m_view.setSelText(sel);
            });

    connect(m_file.get(), &RecordingFile::recordWritten, this, [this](int count) {
        m_view.setCountText(QString::number(count));
        m_view.setRecText(RecText);
    });
    connect(m_file.get(), &RecordingFile::stopStarted, this, [this](bool byItself) {
        m_view.setSaveButtonRecording(false);
        if (byItself) {
            // The tick empties the mark and leaves the name, which its next sample clears.
            m_view.setRecText(QString());
        } else {
            m_view.setRecVisible(false);
            m_view.setFileNameText(QString());
        }
        m_view.setCountText(QString());
    });
    connect(m_file.get(), &RecordingFile::copyProgress, this, [this](int copied) {
        m_view.setCountText(QString::number(copied));
        m_view.processPendingEvents();
    });
    connect(m_file.get(), &RecordingFile::stopped, this, [this](const QString& error) {
        m_view.setCountText(QString());
        emit recordingChanged(false);
        if (!error.isEmpty())
            showError(error);
    });
    // A full disk pauses the writing, not the recording: a passing note, no dialog on the sample path.
    connect(m_file.get(), &RecordingFile::writingPaused, this,
            [this](const QString& text) { m_view.showStatus(text); });
    connect(m_file.get(), &RecordingFile::writingResumed, this,
            [this](const QString& text) { m_view.showStatus(text); });
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

bool Recorder::recording() const
{
    return m_file->recording();
}

void Recorder::showError(const QString& text)
{
    m_dialogs.message(m_view.dialogParent(), text, QString(), Dialogs::Icon::Critical);
}

void Recorder::beforeSample(const Sample& sample)
{
    m_lastSampleTime = formatDateTime(sample.time);
    if (!m_file->recording()) {
        m_view.setFileNameText(QString());
        m_view.setCountText(QString());
        m_view.setRecText(QString());
    }
}

void Recorder::afterSample(const Sample& sample)
{
    emit levelsUpdated(sample.level(), m_figures->leq(), m_figures->sel());
}

void Recorder::toolbarSave()
{
    if (recording()) {
        stopRecording();
        return;
    }
    m_view.selectSamplingOption();
    m_saveMode = SaveMode::Recording;
    m_view.setSaveBoxVisible(true);
}

void Recorder::saveOk()
{
    m_view.setSaveBoxVisible(false);
    // A new recording would empty "Fake" under the copy of the one being stopped.
    if (recording() || m_file->stopping())
        return;
    if (m_saveMode == SaveMode::Recording)
        startRecording();
    else
        saveList();
}

void Recorder::startRecording()
{
    const std::optional<QString> chosen = ChooseRecordFile(m_dialogs, m_view.dialogParent());
    if (!chosen)
        return;
    m_view.setFileNameText(QFileInfo(*chosen).fileName());
    m_view.setSaveButtonRecording(true);
    const QString error = m_file->start(*chosen, m_clock.now());
    if (!error.isEmpty()) {
        m_view.setFileNameText(QString());
        m_view.setSaveButtonRecording(false);
        showError(error);
        return;
    }
    m_view.setRecVisible(true);
    emit recordingChanged(true);
}

void Recorder::saveList()
{
    BusyScope busy(m_view.panelCaption());
    const std::optional<QString> chosen = ChooseRecordFile(m_dialogs, m_view.dialogParent());
    if (!chosen)
        return;
    RealTimeHeader header = m_sampling.realTimeHeader();
    header.maxLevel = formatHeaderNumber(m_figures->maxLevel());
    header.maxTime = m_figures->maxTime();
    // The file format keeps "XXX" for both; the running values are the panel's, not the file's.
    header.sel = m_figures->ticked() ? SelNotComputed : QString();
    header.leq = header.sel;
    const QString error = writeRealTimeListFile(*chosen, header, m_list, m_view.panelCaption());
    if (!error.isEmpty())
        showError(error);
    else
        emit listSaved(*chosen);
}

void Recorder::stopRecording()
{
    m_file->stop();
}

void Recorder::refresh()
{
    m_feeder->clear(true);
    m_figures->clear();
    emit listRefreshed();
}

void Recorder::onLinkLost()
{
    m_file->stop();
    m_file->reset();
    // Unlike "Refresh", the note that a full list could not be saved is kept: a later failure of
    // that save is not told again.
    m_feeder->clear(false);
    m_figures->clear();
}

} // namespace slm
