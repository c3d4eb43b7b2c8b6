#pragma once

#include "recording/RecordingNote.h"
#include "measurement/LevelFigures.h"
#include "shared/PanelState.h"
#include "shared/ReentryGuard.h"

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace slm
{

class Clock;
class Dialogs;
class RecordFileWriter;
class RecordListModel;
class RecorderView;

// The panel's one-second sampling tick and its recordings, without a window: the maxima, the PC
// sampling countdown, the list rows, the records of a running recording in the temporary file
// "Fake" and the real-time file written from it at the stop.
//
// Files go to a working folder of the program's own (see defaultWorkingFolder), never to the
// process's current folder. While a recording runs, a note beside "Fake" keeps what its stop
// needs and a lock file tells other running copies of the program that it runs. A write that fails ends its
// command with a message naming the file and leaves what was already written in place.
//
// The recorder owns its counters, maxima and texts; from the panel's state it reads only the live
// reading and what the toolbar sets (the PC sampling time and the save mode).
class Recorder : public QObject
{
    Q_OBJECT
public:
    Recorder(PanelState& state, RecordListModel& list, Clock& clock, Dialogs& dialogs, RecorderView& view,
             QString workingFolder = defaultWorkingFolder(), int recordLimit = RecordLimit,
             QObject* parent = nullptr);
    ~Recorder() override;

    // The per-user data folder of the program, created when missing.
    static QString defaultWorkingFolder();
    QString workingFolder() const { return m_folder; }
    QString fakePath() const;

    bool recording() const { return m_recording; }
    // Ticks since the last sample; a sample is taken when it reaches the PC sampling time.
    int samplingCountdown() const { return m_samplingCountdown; }
    // Records taken by the running recording (0 when none runs).
    int recordCount() const { return m_recordCount; }
    // Rows of the panel's list, counted from its last start.
    int listCount() const { return m_listCount; }
    double overallMax() const { return m_overallMax; }
    QString overallMaxTime() const { return m_overallMaxTime; }
    // The highest level text of the running (or the last) recording, from its start on.
    QString recordingMax() const { return m_recordingMax; }
    QString recordingMaxTime() const { return m_recordingMaxTime; }
    QString lastSampleTime() const { return m_lastSampleTime; }
    // The running Leq and SEL over the samples since the last clearing (the start, "Refresh", a
    // lost link), one decimal; "XXX" until the first level sample.
    QString leqText() const { return m_leqText; }
    QString selText() const { return m_selText; }
    // The file the running recording goes to; empty when none runs.
    QString recordFilePath() const { return m_recordFilePath; }

    // A new PC sampling time counts from now: the first sample comes a full interval later.
    void restartSamplingCountdown() { m_samplingCountdown = 0; }

    // Timer2, every 1000 ms.
    void tick();
    // CmdSaveOK: start a recording (SaveMode 1) or save the list (SaveMode 2).
    void saveOk();
    // Toolbar "Save": the "Save Data" box when idle, the stop of the recording otherwise.
    void toolbarSave();
    // Ends the running recording and writes its real-time file.
    void stopRecording();
    // Toolbar "Refresh": the list, its count, the overall maximum and the graphs start afresh.
    // A running recording goes on.
    void refresh();
    // The link recovery calls this first when the meter is lost: a running recording ends as
    // "Save" ends it (its file holds every record taken), then the maxima, the counts and the list
    // are reset. The rest of the recovery (timers, graphs, "No COM") is its own.
    void onLinkLost();

    // True while the stop copies "Fake" into the record file.
    bool stopping() const { return m_stopping.active(); }

signals:
    // Once per sample, after its list row and its record (the panel's trend graphs).
    void sampleTaken(double level, const QString& leqText, const QString& selText);
    // "Refresh" emptied the list: the panel's graphs and histograms start afresh too.
    void listRefreshed();
    void recordingChanged(bool recording);

private:
    enum class StopBy { User, Tick };

    void startRecording();
    QString beginRecordingFiles();
    void endRecordingFiles(bool keepNote);
    RecordingNote currentNote() const;
    void keepNoteCurrent();
    void saveList();
    void stop(StopBy by);
    QString writeRealTimeFile();
    void showRunningLevels();
    void recordSample();
    void listSample();
    void saveFullList();
    void showError(const QString& text);
    bool ensureFolder();

    PanelState& m_state;
    RecordListModel& m_list;
    Clock& m_clock;
    Dialogs& m_dialogs;
    RecorderView& m_view;
    QString m_folder;
    int m_limit;
    std::unique_ptr<RecordFileWriter> m_fake;
    std::unique_ptr<QLockFile> m_lock;
    RecordingNote m_note;
    bool m_recording = false;
    int m_samplingCountdown = 0;
    int m_recordCount = 0;
    int m_listCount = 0;
    double m_overallMax = 0.0;
    QString m_overallMaxTime;
    QString m_recordingMax = QStringLiteral("0");
    QString m_recordingMaxTime;
    QString m_lastSampleTime;
    QString m_leqText;
    QString m_selText;
    RunningLevels m_running;
    bool m_ticked = false; // a list saved before the first tick has no Leq and SEL texts yet
    QString m_recordFilePath;
    ReentryFlag m_tick;
    ReentryFlag m_stopping;
    bool m_fullListErrorShown = false;
};

} // namespace slm
