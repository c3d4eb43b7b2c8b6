#pragma once

#include "shared/PanelState.h"
#include "shared/SaveMode.h"

#include <QObject>
#include <QString>
#include <memory>

namespace slm
{

class Clock;
class Dialogs;
class ListFeeder;
class RecordListModel;
class RecorderView;
class RecordingFile;
class RunningFigures;
class Sampling;
struct Sample;

// The panel's recording, put together from the parts that each take the meter's samples: the
// running figures, the list feeder and the recording file. The recorder adds what the panel
// asks of them: its commands ("Save", OK of the "Save Data" box, "Refresh"), the file dialogs,
// the error messages and what the panel's labels and boards show.
//
// Files go to a working folder of the program's own (see defaultWorkingFolder), never to the
// process's current folder. A write that fails ends its command with a message naming the file
// and leaves what was already written in place.
class Recorder : public QObject
{
    Q_OBJECT
public:
    Recorder(Sampling& sampling, RecordListModel& list, Clock& clock, Dialogs& dialogs, RecorderView& view,
             QString workingFolder = defaultWorkingFolder(), int recordLimit = RecordLimit,
             QObject* parent = nullptr);
    ~Recorder() override;

    // The per-user data folder of the program, created when missing.
    static QString defaultWorkingFolder();
    QString workingFolder() const { return m_folder; }

    // The parts that own the data: the running figures, the panel's list rows, the record file.
    RunningFigures& figures() { return *m_figures; }
    ListFeeder& feeder() { return *m_feeder; }
    RecordingFile& file() { return *m_file; }

    bool recording() const;
    QString lastSampleTime() const { return m_lastSampleTime; }

    // What OK does, as the "Save Data" box's options say; "Save" picks a recording.
    void setSaveMode(SaveMode mode) { m_saveMode = mode; }
    SaveMode saveMode() const { return m_saveMode; }
    // CmdSaveOK: start a recording or save the list, by the save mode.
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

signals:
    // Once per sample, after its list row, its record and the running figures (the panel's
    // trend graphs): the level and the Leq and SEL as the boards show them.
    void levelsUpdated(double level, double leq, double sel);
    // "Refresh" emptied the list: the panel's graphs and histograms start afresh too.
    void listRefreshed();
    void recordingChanged(bool recording);
    // The panel's list was written to `path` ("Save" of the list, not a recording).
    void listSaved(const QString& path);

private:
    void beforeSample(const Sample& sample);
    void afterSample(const Sample& sample);
    void startRecording();
    void saveList();
    void showError(const QString& text);

    Sampling& m_sampling;
    RecordListModel& m_list;
    Clock& m_clock;
    Dialogs& m_dialogs;
    RecorderView& m_view;
    QString m_folder;
    QString m_lastSampleTime;
    SaveMode m_saveMode = SaveMode::List;
    std::unique_ptr<RecordingFile> m_file;
    std::unique_ptr<ListFeeder> m_feeder;
    std::unique_ptr<RunningFigures> m_figures;
};

} // namespace slm
