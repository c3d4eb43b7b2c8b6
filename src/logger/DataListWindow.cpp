#include "logger/DataListWindow.h"

#include "measurement/Measurement.h"
#include "measurement/RecordFileFormat.h"
#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/Dialogs.h"
#include "shared/Services.h"
#include "views/ComputedGroup.h"
#include "views/CsvExport.h"
#include "views/FileTransfer.h"
#include "views/RecordList.h"
#include "views/ValueField.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

namespace slm
{

namespace
{

// The fields in the order they stand on the window, with the label beside each.
struct BoardSpec {
    const char* name;
    const char* caption;
};
constexpr BoardSpec Boards[] = {
    {"BoardCA", "Freq Weight"},
    {"BoardSFI", "Time Weight"},
    {"BoardLevel", "Level Range"},
    {"BoardMaxdB", "Max dB"},
    {"BoardMaxTime", "Max time"},
    {"BoardPeakdB", "Peak"},
    {"BoardPeakTime", "Peak time"},
    {"Board05", "L 05"},
    {"Board10", "L 10"},
    {"Board50", "L 50"},
    {"Board90", "L 90"},
    {"Board95", "L 95"},
    {"BoardLeq", "Leq"},
    {"BoardSEL", "SEL"},
    {"BoardMeterLeq", "Meter's Leq"},
    {"BoardMeterSEL", "Meter's SEL"},
};

} // namespace

DataListWindow::DataListWindow(const Desk& desk, DataListHeader header, Measurement& measurement,
                               PanelTimers* timers, QWidget* parent)
    : QWidget(parent, Qt::Window), m_s(desk), m_header(header), m_measurement(measurement), m_timers(timers),
      m_model(new RecordListModel(measurement, this))
{
    setObjectName(QStringLiteral("DataList"));
    setWindowTitle(QStringLiteral("Data List"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* saveAction = toolbar->addAction(QStringLiteral("Save"));
    saveAction->setObjectName(QStringLiteral("Save"));
    saveAction->setToolTip(QStringLiteral("Save As"));
    connect(saveAction, &QAction::triggered, this, &DataListWindow::save);
    QAction* printAction = toolbar->addAction(QStringLiteral("Print"));
    printAction->setObjectName(QStringLiteral("Print"));
    printAction->setToolTip(QStringLiteral("Print"));
    connect(printAction, &QAction::triggered, this, [this] { print(); });
    QAction* previewAction = toolbar->addAction(QStringLiteral("Print Preview"));
    previewAction->setObjectName(QStringLiteral("PrintPreview"));
    previewAction->setToolTip(QStringLiteral("Print Preview"));
    connect(previewAction, &QAction::triggered, this, [this] { printPreview(); });
    QAction* csvAction = toolbar->addAction(QStringLiteral("Export CSV"));
    csvAction->setObjectName(QStringLiteral("ExportCsv"));
    csvAction->setToolTip(QStringLiteral("Export the records as CSV"));
    connect(csvAction, &QAction::triggered, this, &DataListWindow::exportCsv);
    QAction* assessAction = toolbar->addAction(QStringLiteral("Assess"));
    assessAction->setObjectName(QStringLiteral("Assess"));
    assessAction->setToolTip(
        QStringLiteral("Exclusions, hourly and day-evening-night levels, dose, events and the report"));
    connect(assessAction, &QAction::triggered, this, &DataListWindow::assessRequested);

    m_list = new RecordList(m_model, this);

    auto* fields = new QWidget(this);
    auto* grid = new QGridLayout(fields);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (const BoardSpec& b : Boards) {
        const QString name = QString::fromLatin1(b.name);
        const QString caption = QString::fromLatin1(b.caption);
        // The time fields stand beside their level with no caption of their own on the window.
        const bool timeField = name.endsWith(u"Time");
        auto* label = new QLabel(timeField ? QString() : caption, fields);
        grid->addWidget(label, row, 0);
        m_labels.insert(name, timeField ? QString() : caption);
        QLabel* board = addBoard(name, QString());
        board->setParent(fields);
        nameValueField(board, caption, timeField ? nullptr : label);
        grid->addWidget(board, row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);

    auto* body = new QHBoxLayout;
    body->addWidget(m_list);
    body->addSpacing(12);
    body->addWidget(fields);
    body->addSpacing(12);
    m_computed = new ComputedGroup(this);
    body->addWidget(m_computed, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addWidget(toolbar);
    layout->addLayout(body, 1);
    resize(sizeHint().width(), 480);
}

DataListWindow::~DataListWindow() = default;

QLabel* DataListWindow::addBoard(const QString& name, const QString& caption)
{
    auto* l = new QLabel(caption, this);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(150);
    l->setAlignment(Qt::AlignCenter);
    m_boards.insert(name, l);
    return l;
}

void DataListWindow::appendRecord(const RecordRow& row)
{
    m_model->append(row);
}

void DataListWindow::setFields(const SetFields& f)
{
    m_setFields = f;
    m_measurement.setHeader(toRecordHeader(fileHeader()));
    const std::pair<const char*, QString> texts[] = {
        {"BoardCA", f.freqWeight},     {"BoardSFI", f.timeWeight}, {"BoardLevel", f.levelRange},
        {"BoardMaxTime", f.maxTime},   {"BoardMaxdB", f.maxDb},    {"BoardPeakTime", f.peakTime},
        {"BoardPeakdB", f.peakDb},     {"Board05", NotComputed},   {"Board10", NotComputed},
        {"Board50", NotComputed},      {"Board90", NotComputed},   {"Board95", NotComputed},
        {"BoardSEL", NotComputed},     {"BoardLeq", NotComputed},  {"BoardMeterLeq", f.meterLeq},
        {"BoardMeterSEL", f.meterSel},
    };
    for (const auto& [name, text] : texts)
        setValueFieldText(m_boards.value(QString::fromLatin1(name)), text);
}

DataLoggerHeader DataListWindow::fileHeader() const
{
    DataLoggerHeader h;
    h.samplingInterval = m_header.samplingInterval;
    // Before the set is decoded the fields are empty, as the window shows them.
    if (!m_setFields)
        return h;
    const SetFields& f = *m_setFields;
    h.freqWeighting = f.freqWeight;
    h.timeWeighting = f.timeWeight;
    h.levelRange = f.levelRange;
    // The meter's memory gives no percentile levels, SEL or Leq of its own for the file.
    h.l05 = h.l10 = h.l50 = h.l90 = h.l95 = NotComputed;
    h.maxLevel = f.maxDb;
    h.maxTime = f.maxTime;
    h.sel = h.leq = NotComputed;
    return h;
}

void DataListWindow::showFigures(const LevelFigures& figures)
{
    m_computed->showFigures(figures);
}

void DataListWindow::exportCsv()
{
    exportListCsv(*m_model, m_s.dialogs, this);
}

QString DataListWindow::field(const QString& name) const
{
    const QLabel* l = m_boards.value(name);
    return l ? l->text() : QString();
}

void DataListWindow::save()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QString> path = ChooseRecordFile(m_s.dialogs, this);
    if (path) {
        const DataLoggerHeader h = fileHeader();
        WidgetBusyCaption caption(this);
        const QString error = writeDataLoggerFile(*path, h, *m_model, &caption);
        if (!error.isEmpty()) {
            QApplication::restoreOverrideCursor();
            // A save that did not happen must not look as if it had.
            m_s.dialogs.message(this, error, windowTitle(), Dialogs::Icon::Critical);
            return;
        }
        emit saved(*path);
    }
    QApplication::restoreOverrideCursor();
}

ListPrintJob DataListWindow::printJob()
{
    ListPrintJob job;
    job.view = this;
    job.records = m_model;
    job.timers = m_timers;
    job.header = listPrintHeader(m_measurement.header(), *m_model);
    return job;
}

ListPrintResult DataListWindow::print()
{
    return runListPrint(ListPrintMode::Print, m_printing, &m_s.dialogs, [this] { return printJob(); });
}

ListPrintResult DataListWindow::printPreview()
{
    return runListPrint(ListPrintMode::Preview, m_printing, &m_s.dialogs, [this] { return printJob(); });
}

} // namespace slm
