#pragma once

#include "assessment/ReportAction.h"
#include "assessment/SpanDialog.h"
#include "measurement/AssessmentExclusions.h"

#include <QDateTime>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace slm
{

class AssessmentPlot;
class AssessmentSession;
class ComputedGroup;
class DetailsForm;
class Dialogs;
class Graph;
class StandardsTab;
class TextTableModel;
struct AssessedRecords;

// The "Assessment" window of one measurement: on the left its plot (AssessmentPlot), on the right the
// assessment's tabs (figures, hours, day-evening-night, dose, events, exclusions, details, standards) and
// "Report...".
// Shift and a drag across the plot excludes the records it spans. The window shows the session's results as
// they come; it never waits for a run.
class AssessmentWindow : public QWidget
{
    Q_OBJECT
public:
    AssessmentWindow(AssessmentSession& session, Dialogs& dialogs, QWidget* parent = nullptr);
    ~AssessmentWindow() override;

    AssessmentSession& session() const { return m_session; }
    AssessmentPlot* plot() const { return m_plot; }
    Graph* graph() const;
    QTabWidget* tabs() const { return m_tabs; }
    ComputedGroup* computed() const { return m_computed; }
    // A tab's table by the tab's name ("Hours", "Day-Evening-Night", "Dose", "Events", "Exclusions").
    QTableView* table(const QString& name) const;
    StandardsTab* standards() const { return m_standards; }
    // How many results the window has shown; a test or a bench waits on it.
    int resultsShown() const { return m_resultsShown; }

    // "Exclude...": the typed span comes from here (the dialog by default).
    void setSpanQuestion(SpanQuestion question) { m_askSpan = std::move(question); }
    // "Report..." writes with this; without one the button is off.
    void setReportWriter(ReportWriter write);

    // The actions as the buttons run them.
    void excludeTyped();
    void deleteSelectedExclusion();
    void editSelectedReason();
    void writeReport();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeFiguresTab();
    QWidget* makeTableTab(const QString& name, TextTableModel*& model, QLabel** caption, QWidget* above);
    QWidget* makeExclusionsTab();
    void showResults();
    void showExclusions();
    void showDetails();
    void detailsEdited();
    void settingsEdited();
    void excludeRecords(int first, int last);
    void askReasonAndExclude(const QDateTime& start, const QDateTime& end);
    int selectedExclusion() const;

    AssessmentSession& m_session;
    QPointer<AssessmentSession> m_sessionAlive; // the session may go first when the window is deleted late
    Dialogs& m_dialogs;
    SpanQuestion m_askSpan = askSpanByDialog;
    ReportWriter m_writeReport;
    QPushButton* m_report = nullptr;
    AssessmentPlot* m_plot = nullptr;
    QTabWidget* m_tabs = nullptr;
    ComputedGroup* m_computed = nullptr;
    QLabel* m_drift = nullptr;
    QLabel* m_status = nullptr;
    TextTableModel* m_hours = nullptr;
    TextTableModel* m_days = nullptr;
    TextTableModel* m_dose = nullptr;
    TextTableModel* m_events = nullptr;
    TextTableModel* m_exclusions = nullptr;
    QLabel* m_daysCaption = nullptr;
    QLabel* m_doseCaption = nullptr;
    QLabel* m_eventsCaption = nullptr;
    QComboBox* m_dosePreset = nullptr;
    QDoubleSpinBox* m_threshold = nullptr;
    QDoubleSpinBox* m_minDuration = nullptr;
    QDoubleSpinBox* m_continuation = nullptr;
    QHash<QString, QTableView*> m_tables;
    DetailsForm* m_detailsForm = nullptr;
    StandardsTab* m_standards = nullptr;
    int m_resultsShown = 0;
    bool m_shownOnce = false;
};

} // namespace slm
