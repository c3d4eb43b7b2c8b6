#pragma once

#include "analysis/LnStatistics.h"
#include "measurement/RecordFileFormat.h"
#include "shared/ReentryGuard.h"
#include "views/PrintRecordList.h"

#include <QHash>
#include <QWidget>

class QAction;
class QLabel;
class QPushButton;

namespace slm
{

class Dialogs;
class PanelTimers;
class ComputedGroup;
class Measurement;
class RecordList;
class RecordListModel;
struct LevelFigures;

// The view that shows an opened record file: its header values in labelled fields and its records
// in the three-grid record list, with "Plot", "Ln" and "Print" on its toolbar. One class serves
// both views; they differ in their name and caption, the percentile fields and one tooltip.
// A new file makes a new window, so a window shows exactly one file. The window shows a
// Measurement it does not own: its header fills the fields whenever it changes, its records
// are listed as they come.
class FileListWindow : public QWidget
{
    Q_OBJECT
public:
    // "FileList" shows data-logger files; "FileListReal" real-time files and list files.
    enum class View { MemoryData, RealTime };
    static View viewFor(RecordFileKind kind);

    // `measurement` must outlive the window.
    FileListWindow(View view, Measurement& measurement, QWidget* parent = nullptr);
    ~FileListWindow() override;

    View view() const { return m_view; }
    // "File List" or "File List Real": the caption until a file's name replaces it.
    QString designCaption() const;

    const Measurement& measurement() const { return m_measurement; }
    // The records as listed; the statistics, the plot and the printout read them from here.
    const RecordListModel& records() const { return *m_model; }
    RecordListModel& model() { return *m_model; }
    RecordList* list() const { return m_list; }

    // A value field by its name ("BoardCA", "Board05", ...); "" for a field the view lacks.
    QString field(const QString& name) const;
    void setField(const QString& name, const QString& text);
    // Header line `index` of a file of the view's kind goes to its field; lines without one
    // (the kind line, the interval) are ignored.
    void setHeaderLine(int index, const QString& text);

    QWidget* resolutionBox() const { return m_resolution; }

    // The figures computed from the listed records, shown beside the file's own fields.
    void showFigures(const LevelFigures& figures);
    ComputedGroup* computed() const { return m_computed; }

    // Toolbar1's buttons by key: "Plot", "Ln", "Print", "PrintPreview", "ExportCsv", "Assess"; any
    // other key only hides the box.
    void toolbarClicked(const QString& key);

    // What "Print" and "Print Preview" ask with and which timers they switch off; until this is
    // set the two buttons do nothing.
    void setPrinting(Dialogs* dialogs, PanelTimers* timers);
    // The caption of a label by its name ("SSFreq", ...); "" for a label the view lacks.
    QString label(const QString& name) const;
    // The list, its header fields and the panel's timers, as the printout reads them.
    ListPrintJob printJob();
    // "Print": the list to the printer chosen in the printer dialog.
    ListPrintResult print();
    // "Print Preview": the pages "Print" would send, in the print preview.
    ListPrintResult printPreview();

signals:
    // Cmd1dB or Cmd01dB: the percentile levels of the listed records are wanted.
    void lnRequested(LnResolution resolution);
    // Toolbar "Plot": the listed levels are to be drawn.
    void plotRequested();
    // "Export CSV": the listed records are wanted as a CSV file.
    void exportCsvRequested();
    // "Assess": the file's assessment window is wanted.
    void assessRequested();

private:
    void buildFields();
    void placeControls();
    void chooseResolution(LnResolution resolution);
    void showHeader();

    View m_view;
    Measurement& m_measurement;
    RecordListModel* m_model;
    RecordList* m_list;
    QWidget* m_toolbar = nullptr;
    QWidget* m_resolution = nullptr;
    QWidget* m_fields = nullptr;
    ComputedGroup* m_computed = nullptr;
    QHash<QString, QLabel*> m_boards;
    QHash<QString, QLabel*> m_labels;
    Dialogs* m_dialogs = nullptr;
    PanelTimers* m_timers = nullptr;
    // Printing lets events run; a second "Print" meanwhile would start a second job.
    ReentryFlag m_printing;
};

// The field of header line `index` in a file of `kind` ("" for none): the real-time header holds
// the settings, the maximum and SEL and Leq; the data-logger header the settings, the stored
// percentile levels, the maximum, SEL and Leq.
QString headerField(RecordFileKind kind, int index);

} // namespace slm
