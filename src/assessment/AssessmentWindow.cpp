#include "assessment/AssessmentWindow.h"

#include "assessment/AssessmentPlot.h"
#include "assessment/AssessmentSession.h"
#include "assessment/DetailsForm.h"
#include "assessment/ReportAction.h"
#include "assessment/StandardsTab.h"
#include "assessment/TableViews.h"
#include "assessment/TextTableModel.h"
#include "assessment/WindowKeys.h"
#include "measurement/AssessmentTables.h"
#include "measurement/Measurement.h"
#include "shared/Dialogs.h"
#include "views/ComputedGroup.h"
#include "views/plot/Graph.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <cmath>

namespace slm
{

AssessmentWindow::AssessmentWindow(AssessmentSession& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_sessionAlive(&session), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Assessment"));
    setWindowTitle(QStringLiteral("Assessment - %1").arg(session.measurementName()));

    m_plot = new AssessmentPlot(session, dialogs, this);
    connect(m_plot, &AssessmentPlot::spanDragged, this, &AssessmentWindow::excludeRecords);
    connect(m_plot, &AssessmentPlot::cursorTold, this,
            [this](const QString& text) { m_status->setText(text); });

    // The tabs.
    auto* side = new QWidget(this);
    m_drift = new QLabel(calibrationDriftText(), side);
    m_drift->setObjectName(QStringLiteral("CalibrationDrift"));
    m_drift->setAccessibleName(calibrationDriftText());
    m_drift->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_drift->setWordWrap(true);
    m_drift->setFocusPolicy(Qt::TabFocus);
    m_drift->hide();
    m_tabs = new QTabWidget(side);
    m_tabs->setObjectName(QStringLiteral("AssessmentTabs"));
    m_tabs->setAccessibleName(QStringLiteral("Assessment"));
    // Every tab in sight: the side is as wide as the tab names.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->addTab(makeFiguresTab(), QStringLiteral("&Figures"));

    QLabel* hoursCaption = nullptr;
    QWidget* hoursTab = makeTableTab(QStringLiteral("Hours"), m_hours, &hoursCaption, nullptr);
    hoursCaption->setText(QStringLiteral("A click or Enter on an hour shows it on the plot."));
    m_tabs->addTab(hoursTab, QStringLiteral("&Hours"));
    m_tabs->addTab(makeTableTab(QStringLiteral("Day-Evening-Night"), m_days, &m_daysCaption, nullptr),
                   QStringLiteral("Da&y-Evening-Night"));

    m_dosePreset = new QComboBox;
    m_dosePreset->setObjectName(QStringLiteral("DosePreset"));
    m_dosePreset->setAccessibleName(QStringLiteral("Dose preset"));
    for (const DosePreset& p : dosePresets())
        m_dosePreset->addItem(QString::fromUtf8(p.caption), QString::fromLatin1(p.name));
    m_dosePreset->setCurrentIndex(m_dosePreset->findData(session.settings().dose.preset));
    auto* doseTop = new QWidget;
    auto* doseRow = new QFormLayout(doseTop);
    doseRow->setContentsMargins(0, 0, 0, 0);
    doseRow->addRow(QStringLiteral("Pr&eset"), m_dosePreset);
    m_tabs->addTab(makeTableTab(QStringLiteral("Dose"), m_dose, &m_doseCaption, doseTop),
                   QStringLiteral("D&ose"));
    connect(m_dosePreset, &QComboBox::currentIndexChanged, this, &AssessmentWindow::settingsEdited);

    auto* eventsTop = new QWidget;
    auto* eventsForm = new QFormLayout(eventsTop);
    eventsForm->setContentsMargins(0, 0, 0, 0);
    const EventSettings& es = session.settings().events;
    const auto spin = [&](QDoubleSpinBox*& box, const QString& name, const QString& caption, double value,
                          double max, const QString& suffix) {
        box = new QDoubleSpinBox(eventsTop);
        box->setObjectName(name);
        box->setAccessibleName(QString(caption).remove(u'&'));
        box->setRange(0, max);
        box->setDecimals(1);
        box->setSuffix(suffix);
        box->setValue(value);
        // One run per value entered, not per digit typed.
        box->setKeyboardTracking(false);
        eventsForm->addRow(caption, box);
        connect(box, &QDoubleSpinBox::valueChanged, this, &AssessmentWindow::settingsEdited);
    };
    spin(m_threshold, QStringLiteral("EventThreshold"), QStringLiteral("Thre&shold"), es.threshold, 200,
         QStringLiteral(" dB"));
    spin(m_minDuration, QStringLiteral("EventMinimum"), QStringLiteral("&Minimum duration"),
         es.minDurationSeconds, 86400, QStringLiteral(" s"));
    spin(m_continuation, QStringLiteral("EventContinuation"), QStringLiteral("&Continuation"),
         es.continuationSeconds, 86400, QStringLiteral(" s"));
    m_tabs->addTab(makeTableTab(QStringLiteral("Events"), m_events, &m_eventsCaption, eventsTop),
                   QStringLiteral("E&vents"));
    m_tabs->addTab(makeExclusionsTab(), QStringLiteral("E&xclusions"));
    m_detailsForm = new DetailsForm;
    connect(m_detailsForm, &DetailsForm::edited, this, &AssessmentWindow::detailsEdited);
    connect(m_detailsForm, &DetailsForm::levelRefused, this,
            [this](const QString& text) { m_status->setText(text); });
    m_tabs->addTab(m_detailsForm, QStringLiteral("De&tails"));
    m_standards = new StandardsTab(session);
    m_tabs->addTab(m_standards, QStringLiteral("St&andards"));
    // What is wrong with the standards' inputs is told where it is seen, whichever field is in view.
    connect(m_standards, &StandardsTab::noticeChanged, this, [this](const QString& text) {
        if (m_session.resultsCurrent())
            m_status->setText(text);
    });

    for (QTableView* view : {table(QStringLiteral("Hours")), table(QStringLiteral("Events"))}) {
        const bool hours = view == table(QStringLiteral("Hours"));
        const auto zoom = [this, hours](const QModelIndex& index) {
            if (!m_session.hasResults())
                return;
            const AssessmentResults& r = m_session.results();
            const size_t row = size_t(index.row());
            if (hours && row < r.hours.size())
                m_plot->zoomToClock(r.hours[row].start, r.hours[row].start + 3600);
            else if (!hours && row < m_session.resultView().eventRecords.size())
                m_plot->zoomToRecords(m_session.resultView().eventRecords[row].first,
                                      m_session.resultView().eventRecords[row].second);
        };
        connect(view, &QTableView::clicked, this, zoom);
        connect(view, &QTableView::activated, this, zoom);
    }

    auto* report = new QPushButton(QStringLiteral("Re&port..."), side);
    report->setObjectName(QStringLiteral("Report"));
    report->setToolTip(QStringLiteral("Write the measurement report as a PDF file"));
    report->setEnabled(false);
    connect(report, &QPushButton::clicked, this, &AssessmentWindow::writeReport);
    m_report = report;
    m_status = makeCaption(side, QStringLiteral("AssessmentStatus"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(report);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_drift);
    sideLayout->addWidget(m_tabs, 1);
    sideLayout->addLayout(bottom);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_plot);
    splitter->addWidget(side);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({760, 640});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(splitter);

    // Undo and redo of the exclusion edits by their keys, wherever the focus is in the window.
    new WindowUndoKeys(this, session.undoStack());
    // The window opens on the plot: its keys move and zoom it, and the undo keys reach the edits.
    m_plot->keyTarget()->setFocus(Qt::OtherFocusReason);

    connect(&session, &AssessmentSession::resultsChanged, this, &AssessmentWindow::showResults);
    connect(&session, &AssessmentSession::exclusionsChanged, this, &AssessmentWindow::showExclusions);
    connect(&session, &AssessmentSession::detailsChanged, this, &AssessmentWindow::showDetails);
    connect(&session, &AssessmentSession::filePathChanged, this,
            [this] { setWindowTitle(QStringLiteral("Assessment - %1").arg(m_session.measurementName())); });
    showExclusions();
    showDetails();
    if (session.hasResults())
        showResults();
    else
        m_status->setText(QStringLiteral("Assessing..."));
    resize(1400, 760);
}

AssessmentWindow::~AssessmentWindow()
{
    // Notes typed just now are kept: the pause timer dies with the window, and a window deleted
    // with its measurement or at exit never loses the focus.
    if (m_sessionAlive)
        detailsEdited();
}

void AssessmentWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A window shown the first time gives the focus to the first widget in the tab order unless
    // one was chosen; the plot was, but only takes it once the window is on screen.
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        m_plot->keyTarget()->setFocus(Qt::OtherFocusReason);
    }
}

void AssessmentWindow::closeEvent(QCloseEvent* event)
{
    detailsEdited();
    QWidget::closeEvent(event);
}

QWidget* AssessmentWindow::makeFiguresTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    m_computed = new ComputedGroup(tab);
    layout->addWidget(m_computed);
    layout->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(tab);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    return scroll;
}

QWidget* AssessmentWindow::makeTableTab(const QString& name, TextTableModel*& model, QLabel** caption,
                                        QWidget* above)
{
    auto* tab = new QWidget;
    tab->setObjectName(name + QStringLiteral("Tab"));
    auto* layout = new QVBoxLayout(tab);
    if (above)
        layout->addWidget(above);
    model = new TextTableModel(this);
    if (caption) {
        *caption = makeCaption(tab, name + QStringLiteral("Caption"));
        layout->addWidget(*caption);
    }
    QTableView* view = makeTableView(model, name, tab);
    m_tables.insert(name, view);
    layout->addWidget(view, 1);
    return tab;
}

QWidget* AssessmentWindow::makeExclusionsTab()
{
    QWidget* tab = makeTableTab(QStringLiteral("Exclusions"), m_exclusions, nullptr, nullptr);
    QTableView* view = table(QStringLiteral("Exclusions"));
    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& name, const QString& text, void (AssessmentWindow::*slot)()) {
        auto* b = new QPushButton(text, tab);
        b->setObjectName(name);
        if (slot)
            connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    button(QStringLiteral("Exclude"), QStringLiteral("Ex&clude..."), &AssessmentWindow::excludeTyped);
    button(QStringLiteral("Delete"), QStringLiteral("&Delete"), &AssessmentWindow::deleteSelectedExclusion);
    button(QStringLiteral("EditReason"), QStringLiteral("Edit Rea&son..."),
           &AssessmentWindow::editSelectedReason);
    QUndoStack* undo = m_session.undoStack();
    QPushButton* undoButton = button(QStringLiteral("Undo"), QStringLiteral("&Undo"), nullptr);
    QPushButton* redoButton = button(QStringLiteral("Redo"), QStringLiteral("&Redo"), nullptr);
    connect(undoButton, &QPushButton::clicked, undo, &QUndoStack::undo);
    connect(redoButton, &QPushButton::clicked, undo, &QUndoStack::redo);
    undoButton->setEnabled(undo->canUndo());
    redoButton->setEnabled(undo->canRedo());
    connect(undo, &QUndoStack::canUndoChanged, undoButton, &QPushButton::setEnabled);
    connect(undo, &QUndoStack::canRedoChanged, redoButton, &QPushButton::setEnabled);
    undoButton->setToolTip(QStringLiteral("Ctrl+Z"));
    redoButton->setToolTip(QStringLiteral("Ctrl+Shift+Z"));
    buttons->addStretch(1);
    static_cast<QVBoxLayout*>(tab->layout())->addLayout(buttons);
    // Delete on a row gives its records back; Enter edits its reason.
    view->installEventFilter(this);
    return tab;
}

Graph* AssessmentWindow::graph() const
{
    return m_plot->graph();
}

QTableView* AssessmentWindow::table(const QString& name) const
{
    return m_tables.value(name);
}

void AssessmentWindow::showResults()
{
    if (!m_session.hasResults())
        return;
    const AssessmentResults& r = m_session.results();
    m_computed->showFigures(r.figures);
    m_computed->showExcluded(r.figures, r.excluded());
    const AssessmentView& v = m_session.resultView();
    m_hours->setTable(v.hours);
    m_days->setTable(v.days);
    m_daysCaption->setText(periodsCaption(m_session.settings().periods));
    m_dose->setTable(v.dose);
    m_doseCaption->setText(doseCaption(r.dose));
    m_events->setTable(v.events);
    m_eventsCaption->setText(eventsCaption(r));
    m_status->setText(m_session.resultsCurrent() ? m_standards->notice() : QStringLiteral("Assessing..."));
    m_plot->showResults();
    ++m_resultsShown;
}

void AssessmentWindow::showExclusions()
{
    const int selected = selectedExclusion();
    const int before = m_exclusions->rowCount();
    m_exclusions->setTable(exclusionsTable(m_session.exclusions()));
    QTableView* view = table(QStringLiteral("Exclusions"));
    const int rows = m_exclusions->rowCount();
    // A new exclusion is the one chosen; otherwise the choice stays where it was.
    if (rows > 0)
        view->selectRow(rows > before || selected < 0 ? rows - 1 : std::min(selected, rows - 1));
}

void AssessmentWindow::showDetails()
{
    m_detailsForm->showDetails(m_session.details());
    m_drift->setVisible(calibrationDriftTooLarge(m_session.details()));
}

void AssessmentWindow::detailsEdited()
{
    const AssessmentDetails d = m_detailsForm->details(m_session.details());
    m_session.setDetails(d);
    m_drift->setVisible(calibrationDriftTooLarge(d));
}

void AssessmentWindow::settingsEdited()
{
    AssessmentSettings s = m_session.settings();
    if (const auto dose = doseCriterionOf(m_dosePreset->currentData().toString()))
        s.dose = *dose;
    s.events.threshold = m_threshold->value();
    s.events.minDurationSeconds = m_minDuration->value();
    s.events.continuationSeconds = m_continuation->value();
    m_session.setSettings(s);
    m_status->setText(QStringLiteral("Assessing..."));
}

void AssessmentWindow::excludeRecords(int first, int last)
{
    // A drag over a plot with no records yet finds none.
    const AssessedRecords* records = m_plot->records();
    if (first < 0 || last < 0 || !records)
        return;
    const std::vector<RecordSample>& samples = records->samples;
    if (first > last)
        std::swap(first, last);
    while (first <= last && !samples[size_t(first)].hasTime())
        ++first;
    while (last >= first && !samples[size_t(last)].hasTime())
        --last;
    if (first > last)
        return;
    // The span ends one interval after its last record, so that record is inside [start, end).
    const double step = records->interval.value_or(1);
    const QDateTime start = localDateTimeOf(samples[size_t(first)].time);
    const QDateTime end =
        localDateTimeOf(samples[size_t(last)].time).addMSecs(qint64(std::llround(step * 1000)));
    // Across the hour the clocks go back the last record's clock time may read as the earlier
    // pass of that hour; a span that would end before it starts is not taken.
    if (!(start < end)) {
        const FocusReturn back(this, m_plot->keyTarget());
        m_dialogs.message(this,
                          QStringLiteral("This span runs into the hour the clocks were put back, whose "
                                         "times are ambiguous: use \"Exclude...\" and type its start and "
                                         "end."),
                          QStringLiteral("Exclude"), Dialogs::Icon::Warning);
        return;
    }
    askReasonAndExclude(start, end);
}

void AssessmentWindow::askReasonAndExclude(const QDateTime& start, const QDateTime& end)
{
    const FocusReturn back(this, m_plot->keyTarget());
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    const QString prompt = QStringLiteral("The reason for excluding %1 to %2:")
                               .arg(start.toString(format), end.toString(format));
    const QString reason = m_dialogs.input(this, prompt, QStringLiteral("Exclude"), QString());
    if (reason.trimmed().isEmpty())
        return;
    m_session.addExclusion({start, end, reason.trimmed()});
}

void AssessmentWindow::excludeTyped()
{
    const FocusReturn back(this, m_plot->keyTarget());
    TypedSpan proposed;
    const auto [first, last] = m_plot->recordsInView();
    const AssessedRecords* records = m_plot->records();
    if (first >= 0 && records->samples[size_t(first)].hasTime() && records->samples[size_t(last)].hasTime()) {
        proposed.start = localDateTimeOf(records->samples[size_t(first)].time);
        // The end is one interval after the last record in sight, so that record is in the span.
        proposed.end = localDateTimeOf(records->samples[size_t(last)].time)
                           .addMSecs(qint64(std::llround(records->interval.value_or(1) * 1000)));
    } else {
        proposed.start = proposed.end = QDateTime::currentDateTime();
    }
    const std::optional<TypedSpan> span = m_askSpan(this, proposed);
    if (!span)
        return;
    if (!(span->start < span->end)) {
        m_dialogs.message(this, QStringLiteral("The end of an exclusion must come after its start."),
                          QStringLiteral("Exclude"), Dialogs::Icon::Warning);
        return;
    }
    askReasonAndExclude(span->start, span->end);
}

int AssessmentWindow::selectedExclusion() const
{
    QTableView* view = table(QStringLiteral("Exclusions"));
    if (!view || !view->selectionModel())
        return -1;
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        return rows.first().row();
    return view->currentIndex().isValid() ? view->currentIndex().row() : -1;
}

void AssessmentWindow::deleteSelectedExclusion()
{
    const int row = selectedExclusion();
    if (row < 0) {
        const FocusReturn back(this, m_plot->keyTarget());
        m_dialogs.message(this, QStringLiteral("Choose the exclusion to delete in the list first."),
                          QStringLiteral("Delete"), Dialogs::Icon::Information);
        return;
    }
    m_session.removeExclusion(row);
}

void AssessmentWindow::editSelectedReason()
{
    const FocusReturn back(this, m_plot->keyTarget());
    const int row = selectedExclusion();
    if (row < 0 || row >= int(m_session.file().exclusions.size()))
        return;
    const QString reason =
        m_dialogs.input(this, QStringLiteral("The reason for this exclusion:"), QStringLiteral("Edit Reason"),
                        m_session.file().exclusions[size_t(row)].span.reason);
    if (!reason.trimmed().isEmpty())
        m_session.setExclusionReason(row, reason.trimmed());
}

void AssessmentWindow::setReportWriter(ReportWriter write)
{
    m_writeReport = std::move(write);
    m_report->setEnabled(bool(m_writeReport));
}

void AssessmentWindow::writeReport()
{
    if (!m_writeReport)
        return;
    const FocusReturn back(this, m_plot->keyTarget());
    runReportAction(this, m_dialogs, m_session, m_writeReport);
}

bool AssessmentWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == table(QStringLiteral("Exclusions")) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            deleteSelectedExclusion();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            editSelectedReason();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace slm
