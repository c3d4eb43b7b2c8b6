#include "assessment/AssessmentWindow.h"

#include "assessment/AssessmentSession.h"
#include "assessment/DetailsForm.h"
#include "assessment/ReportAction.h"
#include "assessment/TextTableModel.h"
#include "measurement/AssessmentTables.h"
#include "measurement/Measurement.h"
#include "shared/Dialogs.h"
#include "views/ComputedGroup.h"
#include "views/plot/CursorInfoFrame.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"
#include "views/plot/GraphicFrame.h"
#include "views/plot/LevelPlot.h"
#include "views/plot/TrackModePicker.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRubberBand>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QUndoStack>
#include <QVBoxLayout>
#include <cmath>
#include <qcustomplot.h>

namespace slm
{

namespace
{

constexpr int SmallestDragPixels = 3;
const QColor ShadeColor(160, 160, 160, 110);
const QColor EventColor(230, 120, 0, 200);

QString plainCaption(const char* caption)
{
    return QString::fromUtf8(caption).remove(u'&');
}

QTableView* makeTableView(TextTableModel* model, const QString& accessibleName, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setObjectName(accessibleName);
    view->setAccessibleName(accessibleName);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table; the arrows move within it.
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The widths from the first rows: measuring thousands of events at every result would cost
    // more than the assessment itself.
    view->horizontalHeader()->setResizeContentsPrecision(40);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

QLabel* makeCaption(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::TabFocus);
    return label;
}

// The first and the last record whose clock time is in [start, end), or {-1, -1}.
std::pair<int, int> recordsOfClock(const std::vector<RecordSample>& samples, std::int64_t start,
                                   std::int64_t end)
{
    int first = -1;
    int last = -1;
    for (int i = 0; i < int(samples.size()); ++i) {
        const RecordSample& s = samples[size_t(i)];
        if (s.hasTime() && s.time >= start && s.time < end) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    return {first, last};
}

} // namespace

std::optional<TypedSpan> askSpanByDialog(QWidget* parent, const TypedSpan& proposed)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Exclude"));
    auto* form = new QFormLayout(&dialog);
    auto* start = new QDateTimeEdit(proposed.start, &dialog);
    auto* end = new QDateTimeEdit(proposed.end, &dialog);
    for (QDateTimeEdit* e : {start, end}) {
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        e->setCalendarPopup(true);
    }
    start->setAccessibleName(QStringLiteral("Start"));
    end->setAccessibleName(QStringLiteral("End"));
    form->addRow(QStringLiteral("&Start"), start);
    form->addRow(QStringLiteral("&End"), end);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TypedSpan{start->dateTime(), end->dateTime()};
}

AssessmentWindow::AssessmentWindow(AssessmentSession& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_sessionAlive(&session), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Assessment"));
    setWindowTitle(QStringLiteral("Assessment - %1").arg(session.measurementName()));

    // The plot: the record plot's parts.
    auto* plotPane = new QWidget(this);
    m_graph = new Graph(plotPane);
    m_graph->setObjectName(QStringLiteral("AssessmentGraph"));
    m_graph->setAccessibleName(QStringLiteral("Levels by record, excluded spans shaded"));
    m_graph->setAxisCaption(Graph::Axis::X, QStringLiteral("No.s"));
    m_graph->setAxisCaption(Graph::Axis::Y, QStringLiteral("dB"));
    m_graph->setAxisLabelFormat(Graph::Axis::X, QStringLiteral("0"));
    m_graph->setAxisLabelFormat(Graph::Axis::Y, QStringLiteral("0"));
    m_graph->setMinimumSize(420, 260);
    QCustomPlot* plot = m_graph->plot();
    // The shading lies under the trace: an exclusion edit redraws it without touching the trace.
    plot->addLayer(QStringLiteral("shading"), plot->layer(QStringLiteral("grid")), QCustomPlot::limAbove);
    m_shadeLayer = plot->layer(QStringLiteral("shading"));
    m_eventBand = plot->addGraph();
    m_eventBand->setLayer(m_shadeLayer);
    m_eventBand->setName(QStringLiteral("Events"));
    m_eventBand->setPen(QPen(EventColor, 6, Qt::SolidLine, Qt::FlatCap));
    m_eventBand->setSelectable(QCP::stNone);
    plot->installEventFilter(this);
    m_band = new QRubberBand(QRubberBand::Rectangle, plot);
    m_band->setObjectName(QStringLiteral("ExclusionBand"));

    m_frame = new GraphicFrame(recordPlotFrameSettings(), plotPane);
    m_frame->attach(m_graph);
    connect(m_frame, &GraphicFrame::trackModeChosen, this, &AssessmentWindow::onTrackModeChosen);
    connect(m_frame, &GraphicFrame::resetClicked, this, &AssessmentWindow::resetScale);
    // The cursor readout gives the record number; its time is told beside "Report...".
    connect(m_graph, &Graph::cursorMoved, this, [this](int, double x, double) {
        const int record = int(std::lround(x)) - 1;
        if (m_plotted && record >= 0 && record < int(m_plotted->samples.size()))
            m_status->setText(QStringLiteral("Cursor: record %1, %2")
                                  .arg(record + 1)
                                  .arg(clockTimeText(m_plotted->samples[size_t(record)].time)));
    });
    const auto print = [this, plotPane](PrintOutput output) {
        m_frame->chooseNormal();
        QPrinter printer;
        GraphPrintJob job;
        job.window = plotPane;
        job.graph = m_graph;
        job.hiddenWhilePrinting = {m_frame};
        outputGraphWindow(job, m_dialogs, printer, output);
    };
    connect(m_frame, &GraphicFrame::printClicked, this, [print] { print(PrintOutput::Printer); });
    connect(m_frame, &GraphicFrame::previewClicked, this, [print] { print(PrintOutput::Preview); });
    auto* plotLayout = new QVBoxLayout(plotPane);
    plotLayout->setContentsMargins(0, 0, 0, 0);
    auto* hint =
        new QLabel(QStringLiteral("Shift and drag across the plot to exclude a span. Grey: excluded; "
                                  "orange along the top: events."),
                   plotPane);
    hint->setWordWrap(true);
    plotLayout->addWidget(m_graph, 1);
    plotLayout->addWidget(hint);
    plotLayout->addWidget(m_frame);

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

    for (QTableView* view : {table(QStringLiteral("Hours")), table(QStringLiteral("Events"))}) {
        const bool hours = view == table(QStringLiteral("Hours"));
        const auto zoom = [this, hours](const QModelIndex& index) {
            if (!m_session.hasResults())
                return;
            const AssessmentResults& r = m_session.results();
            const size_t row = size_t(index.row());
            if (hours && row < r.hours.size())
                zoomToClock(r.hours[row].start, r.hours[row].start + 3600);
            else if (!hours && row < m_session.resultView().eventRecords.size())
                zoomToRecords(m_session.resultView().eventRecords[row].first,
                              m_session.resultView().eventRecords[row].second);
        };
        connect(view, &QTableView::clicked, this, zoom);
        connect(view, &QTableView::activated, this, zoom);
    }

    auto* report = new QPushButton(QStringLiteral("Re&port..."), side);
    report->setObjectName(QStringLiteral("Report"));
    report->setToolTip(QStringLiteral("Write the measurement report as a PDF file"));
    connect(report, &QPushButton::clicked, this, &AssessmentWindow::writeReport);
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
    splitter->addWidget(plotPane);
    splitter->addWidget(side);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({760, 640});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(splitter);

    // Undo and redo of the exclusion edits, wherever the focus is in the window (a text field
    // keeps its own undo while it has the focus).
    QUndoStack* undo = session.undoStack();
    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), [undo] { undo->undo(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [undo] { undo->redo(); });

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
    m_status->setText(m_session.resultsCurrent() ? QString() : QStringLiteral("Assessing..."));
    if (m_plotted != m_session.resultRecords())
        plotRecords();
    shadeExclusions();
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

void AssessmentWindow::plotRecords()
{
    // A list that grows (the panel's) is plotted again as it grows: a view the user zoomed stays.
    const int before = m_plotted ? int(m_plotted->samples.size()) : -1;
    const Graph::Range shown = m_graph->axisRange(Graph::Axis::X);
    const Graph::Range shownY = m_graph->axisRange(Graph::Axis::Y);
    const bool zoomed = before >= 0 && (shown.min != m_fullX.min || shown.max != m_fullX.max ||
                                        shownY.min != m_fullY.min || shownY.max != m_fullY.max);
    m_plotted = m_session.resultRecords();
    const std::vector<RecordSample>& samples = m_plotted->samples;
    std::vector<double> y(samples.size());
    double lo = 1e9;
    double hi = -1e9;
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        switch (s.kind) {
        case LevelTextKind::Level:
        case LevelTextKind::Paused:
            y[i] = s.level();
            lo = std::min(lo, y[i]);
            hi = std::max(hi, y[i]);
            break;
        case LevelTextKind::BelowRange:
            y[i] = UnderRangeY;
            break;
        case LevelTextKind::Over:
            y[i] = OverRangeY;
            break;
        default:
            y[i] = std::nan("");
        }
    }
    // Whole tens around the levels, so the trace fills the plot.
    m_yMin = lo <= hi ? std::floor(lo / 10) * 10 - 10 : 20;
    m_yMax = lo <= hi ? std::ceil(hi / 10) * 10 + 10 : 130;
    m_graph->plotY(std::span<const double>(y), 1, 1);
    if (zoomed) {
        m_graph->setAxisRange(Graph::Axis::X, shown.min, shown.max);
        m_graph->setAxisRange(Graph::Axis::Y, shownY.min, shownY.max);
    } else {
        resetScale();
    }
}

void AssessmentWindow::resetScale()
{
    const int n = m_plotted ? std::max(1, int(m_plotted->samples.size())) : 1;
    m_graph->setAxisRange(Graph::Axis::X, 1, n);
    m_graph->setAxisRange(Graph::Axis::Y, m_yMin, m_yMax);
    m_frame->ranges()->setAxisValues(1, 1, n);
    m_frame->ranges()->setAxisValues(2, m_yMin, m_yMax);
    const Graph::Range x = m_graph->axisRange(Graph::Axis::X);
    const Graph::Range y = m_graph->axisRange(Graph::Axis::Y);
    m_fullX = {x.min, x.max};
    m_fullY = {y.min, y.max};
}

void AssessmentWindow::onTrackModeChosen(int index)
{
    m_frame->followWithOneCursor(index);
}

void AssessmentWindow::shadeExclusions()
{
    QCustomPlot* plot = m_graph->plot();
    for (QCPItemRect* r : m_shading)
        plot->removeItem(r);
    m_shading.clear();
    const AssessmentView& v = m_session.resultView();
    // Each run of excluded records from half a record before to half after, the plot's full height.
    for (const auto& [first, last] : v.excludedRecords) {
        auto* rect = new QCPItemRect(plot);
        rect->setLayer(m_shadeLayer);
        rect->setSelectable(false);
        rect->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->topLeft->setCoords(first + 0.5, 0);
        rect->bottomRight->setCoords(last + 1.5, 1);
        rect->setPen(Qt::NoPen);
        rect->setBrush(ShadeColor);
        m_shading.push_back(rect);
    }
    // Events: a bar along the top over the records of each, all of them one graph whose gaps part
    // them, so thousands of events cost one line.
    QVector<double> keys;
    QVector<double> values;
    const double top = m_yMax - (m_yMax - m_yMin) * 0.015;
    for (const auto& [first, last] : v.eventRecords)
        if (first >= 0) {
            keys << first + 0.5 << last + 1.5 << last + 1.5;
            values << top << top << std::nan("");
        }
    m_eventBand->setData(keys, values, true);
    m_graph->replotNow();
}

void AssessmentWindow::zoomToClock(std::int64_t start, std::int64_t end)
{
    if (!m_plotted)
        return;
    const auto [first, last] = recordsOfClock(m_plotted->samples, start, end);
    zoomToRecords(first, last);
}

void AssessmentWindow::zoomToRecords(int first, int last)
{
    if (first < 0)
        return;
    const double pad = std::max(5.0, (last - first) * 0.1);
    const double from = first + 1 - pad;
    const double to = last + 1 + pad;
    m_graph->setAxisRange(Graph::Axis::X, from, to);
    m_frame->ranges()->setAxisValues(1, from, to);
    m_graph->replotNow();
}

int AssessmentWindow::recordAtPixel(double pixelX) const
{
    if (!m_plotted || m_plotted->samples.empty())
        return -1;
    const double x = m_graph->plot()->xAxis->pixelToCoord(pixelX);
    return std::clamp(int(std::lround(x)) - 1, 0, int(m_plotted->samples.size()) - 1);
}

void AssessmentWindow::excludeRecords(int first, int last)
{
    // A drag over a plot with no records yet finds none.
    if (first < 0 || last < 0 || !m_plotted)
        return;
    const std::vector<RecordSample>& samples = m_plotted->samples;
    if (first > last)
        std::swap(first, last);
    while (first <= last && !samples[size_t(first)].hasTime())
        ++first;
    while (last >= first && !samples[size_t(last)].hasTime())
        --last;
    if (first > last)
        return;
    // The span ends one interval after its last record, so that record is inside [start, end).
    const double step = m_plotted->interval.value_or(1);
    const QDateTime start = localDateTimeOf(samples[size_t(first)].time);
    const QDateTime end =
        localDateTimeOf(samples[size_t(last)].time).addMSecs(qint64(std::llround(step * 1000)));
    // Across the hour the clocks go back the last record's clock time may read as the earlier
    // pass of that hour; a span that would end before it starts is not taken.
    if (!(start < end)) {
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
    TypedSpan proposed;
    const Graph::Range x = m_graph->axisRange(Graph::Axis::X);
    const int first = recordAtPixel(m_graph->plot()->xAxis->coordToPixel(x.min));
    const int last = recordAtPixel(m_graph->plot()->xAxis->coordToPixel(x.max));
    if (first >= 0 && m_plotted->samples[size_t(first)].hasTime() &&
        m_plotted->samples[size_t(last)].hasTime()) {
        proposed.start = localDateTimeOf(m_plotted->samples[size_t(first)].time);
        // The end is one interval after the last record in sight, so that record is in the span.
        proposed.end = localDateTimeOf(m_plotted->samples[size_t(last)].time)
                           .addMSecs(qint64(std::llround(m_plotted->interval.value_or(1) * 1000)));
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
        m_dialogs.message(this, QStringLiteral("Choose the exclusion to delete in the list first."),
                          QStringLiteral("Delete"), Dialogs::Icon::Information);
        return;
    }
    m_session.removeExclusion(row);
}

void AssessmentWindow::editSelectedReason()
{
    const int row = selectedExclusion();
    if (row < 0 || row >= int(m_session.file().exclusions.size()))
        return;
    const QString reason =
        m_dialogs.input(this, QStringLiteral("The reason for this exclusion:"), QStringLiteral("Edit Reason"),
                        m_session.file().exclusions[size_t(row)].span.reason);
    if (!reason.trimmed().isEmpty())
        m_session.setExclusionReason(row, reason.trimmed());
}

void AssessmentWindow::writeReport()
{
    runReportAction(this, m_dialogs, m_session);
}

QString AssessmentWindow::tipAt(const QPoint& pos) const
{
    if (!m_plotted || !m_session.hasResults())
        return {};
    const int i = recordAtPixel(pos.x());
    if (i < 0)
        return {};
    const RecordSample& s = m_plotted->samples[size_t(i)];
    QStringList lines;
    lines << QStringLiteral("Record %1").arg(i + 1);
    if (!s.hasTime())
        return lines.join(u'\n');
    lines.last() += QStringLiteral(", ") + clockTimeText(s.time);
    for (const Exclusion& e : m_session.resultExclusions()) {
        for (const ClockSpan& c : exclusionClockSpans(std::span<const Exclusion>(&e, 1)))
            if (s.time >= c.start && s.time < c.end) {
                lines << QStringLiteral("Excluded: %1").arg(e.reason);
                break;
            }
    }
    if (const auto& events = m_session.results().events)
        for (const NoiseEvent& e : events->events)
            if (s.time >= e.start && s.time <= e.last)
                lines << QStringLiteral("Event %1: Lmax %2 dB").arg(e.number).arg(levelText(e.lmax));
    return lines.join(u'\n');
}

bool AssessmentWindow::eventFilter(QObject* watched, QEvent* event)
{
    QCustomPlot* plot = m_graph->plot();
    if (watched == plot) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ShiftModifier) &&
                plot->axisRect()->rect().contains(e->pos())) {
                m_dragFrom = e->pos();
                const QRect area = plot->axisRect()->rect();
                m_band->setGeometry(QRect(QPoint(e->pos().x(), area.top()), QSize(1, area.height())));
                m_band->show();
                return true; // the graph's own modes never see a shift-drag
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragFrom) {
                auto* e = static_cast<QMouseEvent*>(event);
                const QRect area = plot->axisRect()->rect();
                const int x = std::clamp(e->pos().x(), area.left(), area.right());
                m_band->setGeometry(QRect(QPoint(std::min(x, m_dragFrom->x()), area.top()),
                                          QPoint(std::max(x, m_dragFrom->x()), area.bottom())));
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (m_dragFrom) {
                auto* e = static_cast<QMouseEvent*>(event);
                const QPoint from = *m_dragFrom;
                m_dragFrom.reset();
                m_band->hide();
                if (std::abs(e->pos().x() - from.x()) >= SmallestDragPixels)
                    excludeRecords(recordAtPixel(from.x()), recordAtPixel(e->pos().x()));
                return true;
            }
            break;
        case QEvent::ToolTip: {
            auto* e = static_cast<QHelpEvent*>(event);
            const QString tip = tipAt(e->pos());
            if (tip.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(e->globalPos(), tip, plot);
            return true;
        }
        default:
            break;
        }
    } else if (watched == table(QStringLiteral("Exclusions")) && event->type() == QEvent::KeyPress) {
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
