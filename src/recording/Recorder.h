#pragma once

#include "shared/PanelState.h"

#include <QString>
#include <functional>
#include <memory>

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
// process's current folder. A write that fails ends its command with a message naming the file
// and leaves what was already written in place.
class Recorder
{
public:
    Recorder(PanelState& state, RecordListModel& list, Clock& clock, Dialogs& dialogs, RecorderView& view,
             QString workingFolder = defaultWorkingFolder(), int recordLimit = RecordLimit);
    ~Recorder();

    // The per-user data folder of the program, created when missing.
    static QString defaultWorkingFolder();
    QString workingFolder() const { return m_folder; }
    QString fakePath() const;

    // Called once per sample after the list row and the record (the panel's trend graphs).
    void setAddTrendSample(std::function<void()> addTrendSample)
    {
        m_addTrendSample = std::move(addTrendSample);
    }
    // Called by "Refresh" to empty the panel's graphs and histograms.
    void setClearGraphs(std::function<void()> clearGraphs) { m_clearGraphs = std::move(clearGraphs); }

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
    // The link recovery calls this when the meter is lost: a running recording ends as "Save"
    // ends it (its file holds every record taken), then the maxima, the counts and the list are
    // reset. The rest of the recovery (timers, graphs, "No COM") is its own.
    void onLinkLost();

    // True while the stop copies "Fake" into the record file.
    bool stopping() const { return m_stopping; }

private:
    enum class StopBy { User, Tick };

    void startRecording();
    void saveList();
    void stop(StopBy by);
    QString writeRealTimeFile();
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
    std::function<void()> m_addTrendSample;
    std::function<void()> m_clearGraphs;
    std::unique_ptr<RecordFileWriter> m_fake;
    bool m_inTick = false;
    bool m_stopping = false;
    bool m_fullListErrorShown = false;
};
