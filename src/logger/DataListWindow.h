#pragma once

#include "shared/Services.h"

#include "logger/SetDecode.h"
#include "measurement/RecordFileFormat.h"
#include "shared/ReentryGuard.h"
#include "views/PrintRecordList.h"

#include <QHash>
#include <QWidget>
#include <optional>

class QAction;
class QLabel;

namespace slm
{

class PanelTimers;
class ComputedGroup;
class Measurement;
class RecordList;
class RecordListModel;
struct LevelFigures;
struct Desk;

// What the set gives the saved file beyond the fields on the window: the window is made for one
// set and keeps its own copy, so a later download or set cannot change what it saves.
struct DataListHeader {
    int samplingInterval = 0; // seconds between the set's records
};

// The "Data List" window: the records of one logged set, its settings and summary values,
// "Save" to a data-logger file and "Print" of the list. Filled by the set decode; a new decode
// makes a new window. `timers` (the panel's) are off while the list prints. The window shows the
// set's Measurement, which it does not own.
class DataListWindow : public QWidget
{
    Q_OBJECT
public:
    // `measurement` must outlive the window.
    DataListWindow(const Desk& desk, DataListHeader header, Measurement& measurement,
                   PanelTimers* timers = nullptr, QWidget* parent = nullptr);
    ~DataListWindow() override;

    void appendRecord(const RecordRow& row);
    void setFields(const SetFields& fields);
    // The figures computed from the set's records, beside the meter's own.
    void showFigures(const LevelFigures& figures);
    ComputedGroup* computed() const { return m_computed; }

    const DataListHeader& header() const { return m_header; }
    const Measurement& measurement() const { return m_measurement; }
    // The header a save writes: the set's interval and decoded fields, as typed values.
    DataLoggerHeader fileHeader() const;
    RecordListModel& model() const { return *m_model; }
    RecordList* list() const { return m_list; }
    // A field by its name ("BoardCA", "Board05", ...).
    QString field(const QString& name) const;

    // Toolbar "Save": asks for the file and writes the set as a data-logger file.
    void save();
    // The list, its header fields and the panel's timers, as the printout reads them.
    ListPrintJob printJob();
    // Toolbar "Print": the list printed as the file views print theirs.
    ListPrintResult print();
    // Toolbar "Print Preview": the pages "Print" would send, in the print preview.
    ListPrintResult printPreview();
    // Toolbar "Export CSV": the records as a CSV file.
    void exportCsv();

signals:
    // Toolbar "Assess": the set's assessment window is wanted.
    void assessRequested();
    // The set was written to `path`.
    void saved(const QString& path);

private:
    QLabel* addBoard(const QString& name, const QString& caption);

    Desk m_s; // dialogs and clock: no meter needed
    DataListHeader m_header;
    Measurement& m_measurement;
    std::optional<SetFields> m_setFields; // once the set is decoded
    PanelTimers* m_timers;
    RecordListModel* m_model;
    RecordList* m_list;
    ComputedGroup* m_computed;
    QHash<QString, QLabel*> m_boards;
    QHash<QString, QString> m_labels; // the caption beside each field, by the field's name
    // Printing lets events run; a second "Print" meanwhile would start a second job.
    ReentryFlag m_printing;
};

} // namespace slm
