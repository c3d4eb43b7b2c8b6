#pragma once

#include "measurement/AssessmentFile.h"
#include "measurement/AssessmentRun.h"
#include "measurement/AssessmentTables.h"
#include "measurement/RecordFileFormat.h"
#include "measurement/StandardsOutcome.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QTimer;
class QUndoStack;

namespace slm
{

class Dialogs;
class Measurement;

// The records as one assessment run read them: a copy taken on the window's thread, so the list
// may grow or be cleared while the run works on its own copy.
struct AssessedRecords {
    std::vector<RecordSample> samples;
    std::optional<double> interval;
    std::optional<bool> aWeighted;
    RecordHeader header;
};

// What the window shows of one run, made on the worker with the run so that the window only swaps
// it in: the tables' texts, and the records (from 0) of each excluded run and each event.
struct AssessmentView {
    TextTable hours;
    TextTable days;
    TextTable dose;
    TextTable events;
    std::vector<std::pair<int, int>> excludedRecords;  // first and last of each run
    std::vector<std::pair<int, int>> eventRecords;     // per event in order; {-1, -1} for none
    std::shared_ptr<const StandardsOutcome> standards; // null when no standards' input is set
};

// One assessed measurement: its exclusions and details (the assessment file), the choices the
// figures are made by, the undo history of the exclusion edits and the last results. Every change
// is assessed again on a worker thread; a result that an edit made meanwhile has outdated is
// dropped, so the last edit always wins. A measurement read from a file keeps its assessment in
// NAME.assessment.json beside it, written at every change; one without a file keeps it in memory
// until its list is saved (saveBeside).
class AssessmentSession : public QObject
{
    Q_OBJECT
public:
    // `measurement` must outlive the session.
    AssessmentSession(const Measurement& measurement, Dialogs& dialogs, QObject* parent = nullptr);
    ~AssessmentSession() override;

    const Measurement& measurement() const { return m_measurement; }
    const AssessmentFile& file() const { return m_file; }
    std::vector<Exclusion> exclusions() const { return m_file.spans(); }
    const AssessmentDetails& details() const { return m_file.details; }
    // The standards' inputs, kept in the assessment file; their tables come with the results.
    const StandardsChoice& standards() const { return m_file.standards; }
    const AssessmentSettings& settings() const { return m_settings; }
    // The assessment file written at every change; "" while the assessment lives in memory only.
    QString filePath() const { return m_path; }
    // "site1.slmm", or the set's or list's name.
    QString measurementName() const;
    // The record file read or saved; "" for a list or set kept in memory only.
    QString recordFilePath() const;

    // The exclusion edits, each one step of the undo history. An exclusion that does not end after
    // it starts is not taken (false).
    bool addExclusion(const Exclusion& exclusion);
    void removeExclusion(int index);
    void setExclusionReason(int index, const QString& reason);
    QUndoStack* undoStack() const { return m_undo; }

    void setDetails(const AssessmentDetails& details);
    void setSettings(const AssessmentSettings& settings);
    void setStandards(const StandardsChoice& standards);

    // The list this measurement shows was saved to `recordFilePath`: its assessment is written
    // beside it now and at every change from now on.
    void saveBeside(const QString& recordFilePath);

    // The results of the last run that finished for the current state, and the records, the
    // exclusions and the choices it was made from.
    bool hasResults() const { return m_results != nullptr; }
    const AssessmentResults& results() const { return m_results->results; }
    const std::shared_ptr<const AssessedRecords>& resultRecords() const { return m_results->records; }
    const std::vector<Exclusion>& resultExclusions() const { return m_results->exclusions; }
    const AssessmentView& resultView() const { return m_results->view; }
    // True when no run is pending and the records have not changed since: the results are those of
    // the present state.
    bool resultsCurrent() const
    {
        return m_results && m_results->generation == m_generation.load() && m_results->records == m_records;
    }
    // Runs the assessment of the present state on this thread when the last results are not of it.
    void settle();

    // Starts a run now (the edits do so themselves).
    void recompute();

signals:
    // New results, of the present state.
    void resultsChanged();
    void exclusionsChanged();
    void detailsChanged();
    void standardsChanged();
    // The assessment file changed (saved beside a list, or the list was refreshed): so does the name.
    void filePathChanged();

private:
    struct Run {
        int generation = 0;
        std::shared_ptr<const AssessedRecords> records;
        std::vector<Exclusion> exclusions;
        AssessmentSettings settings;
        StandardsChoice standards;
        AssessmentResults results;
        AssessmentView view;
    };
    class ExclusionsEdit;

    void setExclusions(const std::vector<AssessmentExclusion>& exclusions);
    void edit(std::vector<AssessmentExclusion> after, const QString& text);
    void save();
    std::shared_ptr<const AssessedRecords> records();
    std::shared_ptr<Run> prepare();
    void finished(std::shared_ptr<Run> run);

    const Measurement& m_measurement;
    Dialogs& m_dialogs;
    AssessmentFile m_file;
    AssessmentSettings m_settings;
    QString m_path;
    bool m_damaged = false; // the file at m_path could not be read: it is not overwritten
    QUndoStack* m_undo;
    QTimer* m_grown; // records came: assessed again a moment later, once for many
    std::shared_ptr<const AssessedRecords> m_records; // null after the records changed
    std::shared_ptr<const Run> m_results;
    std::atomic<int> m_generation{0};
    QThreadPool m_pool;
};

} // namespace slm
