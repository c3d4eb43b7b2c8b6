#include "analysis/FileListWindow.h"

#include "measurement/Measurement.h"
#include "measurement/RecordListModel.h"
#include "shared/Twips.h"
#include "views/ComputedGroup.h"
#include "views/RecordColumnView.h"
#include "views/RecordList.h"
#include "views/ValueField.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <algorithm>

namespace slm
{

namespace
{

struct FieldSpec {
    const char* label;   // the caption panel on the left
    const char* caption; // its text
    const char* board;   // the value field on the right
};

// In the order they stand on the window. The maximum has two value fields, its level and its time.
constexpr FieldSpec CommonFields[] = {
    {"SSFreq", "Freq Weight", "BoardCA"},  {"SSTW", "Time Weight", "BoardSFI"},
    {"SSSR", "Level Range", "BoardLevel"}, {"SSMax", "Max dB", "BoardMaxdB"},
    {nullptr, "", "BoardMaxTime"},         {"SSLeq", "Leq", "BoardLeq"},
    {"SSSEL", "SEL", "BoardSEL"},
};
constexpr FieldSpec PercentileFields[] = {
    {"SS05", "L 05", "Board05"}, {"SS10", "L 10", "Board10"}, {"SS50", "L 50", "Board50"},
    {"SS90", "L 90", "Board90"}, {"SS95", "L 95", "Board95"},
};

// The value field of each header field a file can hold.
const char* boardOf(HeaderField field)
{
    switch (field) {
    case HeaderField::FreqWeighting:
        return "BoardCA";
    case HeaderField::TimeWeighting:
        return "BoardSFI";
    case HeaderField::LevelRange:
        return "BoardLevel";
    case HeaderField::L05:
        return "Board05";
    case HeaderField::L10:
        return "Board10";
    case HeaderField::L50:
        return "Board50";
    case HeaderField::L90:
        return "Board90";
    case HeaderField::L95:
        return "Board95";
    case HeaderField::MaxLevel:
        return "BoardMaxdB";
    case HeaderField::MaxTime:
        return "BoardMaxTime";
    case HeaderField::Sel:
        return "BoardSEL";
    case HeaderField::Leq:
        return "BoardLeq";
    case HeaderField::Kind:
    case HeaderField::Interval:
        break;
    }
    return nullptr;
}

// The record list's grids, in twips: the width of each (they start at 0, 840 and 2880), their
// common top and height.
constexpr int GridWidth[3] = {855, 2055, 1215};
constexpr int GridTop = 1320;
constexpr int GridHeight = 2655;

} // namespace

FileListWindow::View FileListWindow::viewFor(RecordFileKind kind)
{
    return kind == RecordFileKind::DataLogger ? View::MemoryData : View::RealTime;
}

QString headerField(RecordFileKind kind, int index)
{
    const QList<HeaderField> layout = headerLayout(kind);
    if (index < 0 || index >= layout.size())
        return {};
    const char* board = boardOf(layout[index]);
    return board ? QString::fromLatin1(board) : QString();
}

FileListWindow::FileListWindow(View view, Measurement& measurement, QWidget* parent)
    : QWidget(parent, Qt::Window), m_view(view), m_measurement(measurement),
      m_model(new RecordListModel(measurement, this))
{
    setObjectName(view == View::MemoryData ? QStringLiteral("FileList") : QStringLiteral("FileListReal"));
    setWindowTitle(designCaption());
    setAttribute(Qt::WA_DeleteOnClose);

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const std::pair<const char*, QString> buttons[] = {
        {"Plot", view == View::MemoryData ? QStringLiteral("Plot") : QStringLiteral("Graphic Plot")},
        {"Ln", QStringLiteral("Histogram")},
        {"Print", QStringLiteral("Print")},
        // Beside "Print": the same pages on screen first.
        {"PrintPreview", QStringLiteral("Print Preview")},
        {"ExportCsv", QStringLiteral("Export the records as CSV")},
        {"Assess",
         QStringLiteral("Exclusions, hourly and day-evening-night levels, dose, events and the report")},
    };
    for (const auto& [key, tip] : buttons) {
        const QString k = QString::fromLatin1(key);
        const QString text = k == u"PrintPreview" ? tip
                             : k == u"ExportCsv"  ? QStringLiteral("Export CSV")
                                                  : k;
        QAction* action = toolbar->addAction(text);
        action->setObjectName(k);
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, [this, k] { toolbarClicked(k); });
    }
    m_toolbar = toolbar;

    // The entry to the statistics: shown by "Ln", hidden again by a choice or another button.
    m_resolution = new QWidget(this);
    m_resolution->setObjectName(QStringLiteral("PicResolution"));
    auto* frame = new QGroupBox(QStringLiteral("Resolution"), m_resolution);
    frame->setObjectName(QStringLiteral("SSFrame1"));
    auto* whole = new QPushButton(QStringLiteral("1 dB"), frame);
    whole->setObjectName(QStringLiteral("Cmd1dB"));
    auto* tenth = new QPushButton(QStringLiteral("0.1 dB"), frame);
    tenth->setObjectName(QStringLiteral("Cmd01dB"));
    connect(whole, &QPushButton::clicked, this, [this] { chooseResolution(LnResolution::WholeDb); });
    connect(tenth, &QPushButton::clicked, this, [this] { chooseResolution(LnResolution::TenthDb); });
    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->addWidget(whole);
    frameLayout->addWidget(tenth);
    auto* boxLayout = new QHBoxLayout(m_resolution);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->addWidget(frame);
    m_resolution->hide();

    m_list = new RecordList(m_model, this);
    m_computed = new ComputedGroup(this);
    buildFields();
    placeControls();
    showHeader();
    connect(&m_measurement, &Measurement::headerChanged, this, &FileListWindow::showHeader);
}

void FileListWindow::showHeader()
{
    const RecordHeader& header = m_measurement.header();
    if (header.kind == RecordFileKind::List)
        return;
    const QList<HeaderField> layout = headerLayout(header.kind);
    for (int i = 0; i < layout.size(); ++i)
        setHeaderLine(i, header.text(layout[i]));
}

FileListWindow::~FileListWindow() = default;

QString FileListWindow::designCaption() const
{
    return m_view == View::MemoryData ? QStringLiteral("File List") : QStringLiteral("File List Real");
}

void FileListWindow::buildFields()
{
    m_fields = new QWidget(this);
    auto* grid = new QGridLayout(m_fields);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(3);
    int row = 0;
    auto add = [&](const FieldSpec& f) {
        auto* label = new QLabel(QString::fromLatin1(f.caption), m_fields);
        if (f.label) {
            label->setObjectName(QString::fromLatin1(f.label));
            m_labels.insert(label->objectName(), label);
        }
        label->setFrameStyle(QFrame::Panel | QFrame::Raised);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("Level RangeAA")));
        label->setVisible(f.label != nullptr);
        auto* board = new QLabel(m_fields);
        board->setObjectName(QString::fromLatin1(f.board));
        board->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        board->setAlignment(Qt::AlignCenter);
        board->setMinimumWidth(
            board->fontMetrics().horizontalAdvance(QStringLiteral("A2026/01/17 08:30:05A")));
        // Read as "Max dB" and "71.2" by a screen reader, not as a lone number.
        nameValueField(board, f.label ? QString::fromLatin1(f.caption) : QStringLiteral("Max time"),
                       f.label ? label : nullptr);
        m_boards.insert(board->objectName(), board);
        grid->addWidget(label, row, 0);
        grid->addWidget(board, row, 1);
        ++row;
    };
    for (const FieldSpec& f : CommonFields)
        add(f);
    if (m_view == View::MemoryData)
        for (const FieldSpec& f : PercentileFields)
            add(f);
}

void FileListWindow::placeControls()
{
    const double dx = screenDpiX(this);
    const double dy = screenDpiY(this);
    const int margin = twipsToPixels(120, dx);

    m_toolbar->adjustSize();
    m_toolbar->move(0, 0);
    m_resolution->adjustSize();
    m_resolution->move(margin, m_toolbar->height());

    // The grids stand where the design puts them, unless the toolbar and the resolution box need
    // more room above them at this font.
    const int top = std::max(twipsToPixels(GridTop, dy), m_toolbar->height() + m_resolution->height() + 2);
    const int height = twipsToPixels(GridHeight, dy);
    // The design overlaps each grid with its left neighbour by one pixel so that the three read as
    // one table; the list's layout puts them edge to edge, so the shared pixel comes off the left
    // one. A grid is wider than the design only when its sample text needs more at this font.
    const int overlap = twipsToPixels(15, dx);
    int x = 0;
    for (int k = 0; k < 3; ++k) {
        RecordColumnView* grid = m_list->grid(k);
        const int width =
            std::max(twipsToPixels(GridWidth[k], dx) - (k < 2 ? overlap : 0), grid->sizeHint().width());
        grid->setFixedWidth(width);
        x += width;
    }
    m_list->setGeometry(0, top, x, height);

    m_fields->adjustSize();
    const int fieldsLeft = x + margin;
    m_fields->move(fieldsLeft, top);
    // The computed group stands beside the file's own fields, its top level with theirs.
    m_computed->adjustSize();
    const int computedLeft = fieldsLeft + m_fields->width() + margin;
    m_computed->move(computedLeft, top);
    const int bottom =
        std::max({top + height, top + m_fields->height(), m_computed->geometry().bottom() + 1});
    setFixedSize(std::max(computedLeft + m_computed->width() + margin, m_toolbar->width()), bottom + margin);
    m_toolbar->setFixedWidth(width());
}

QString FileListWindow::field(const QString& name) const
{
    const QLabel* board = m_boards.value(name);
    return board ? board->text() : QString();
}

void FileListWindow::setField(const QString& name, const QString& text)
{
    if (QLabel* board = m_boards.value(name))
        setValueFieldText(board, text);
}

void FileListWindow::setHeaderLine(int index, const QString& text)
{
    const RecordFileKind kind =
        m_view == View::MemoryData ? RecordFileKind::DataLogger : RecordFileKind::RealTime;
    const QString name = headerField(kind, index);
    if (!name.isEmpty())
        setField(name, text);
}

void FileListWindow::toolbarClicked(const QString& key)
{
    // Every button first takes the box away; "Ln" then shows it, so a second "Ln" leaves it up.
    m_resolution->hide();
    if (key == u"Ln")
        m_resolution->show();
    else if (key == u"Plot")
        emit plotRequested();
    else if (key == u"Print")
        print();
    else if (key == u"PrintPreview")
        printPreview();
    else if (key == u"ExportCsv")
        emit exportCsvRequested();
    else if (key == u"Assess")
        emit assessRequested();
}

void FileListWindow::setPrinting(Dialogs* dialogs, PanelTimers* timers)
{
    m_dialogs = dialogs;
    m_timers = timers;
}

QString FileListWindow::label(const QString& name) const
{
    const QLabel* l = m_labels.value(name);
    return l ? l->text() : QString();
}

ListPrintJob FileListWindow::printJob()
{
    ListPrintJob job;
    job.view = this;
    job.records = m_model;
    job.timers = m_timers;
    job.header = listPrintHeader(m_measurement.header(), *m_model);
    return job;
}

ListPrintResult FileListWindow::print()
{
    return runListPrint(ListPrintMode::Print, m_printing, m_dialogs, [this] { return printJob(); });
}

ListPrintResult FileListWindow::printPreview()
{
    return runListPrint(ListPrintMode::Preview, m_printing, m_dialogs, [this] { return printJob(); });
}

void FileListWindow::showFigures(const LevelFigures& figures)
{
    m_computed->showFigures(figures);
    // The line saying how they were computed may take another line of text.
    placeControls();
}

void FileListWindow::chooseResolution(LnResolution resolution)
{
    // The computation hides the box when it has run; hiding it first keeps a second click
    // during the computation from starting another.
    m_resolution->hide();
    emit lnRequested(resolution);
}

} // namespace slm
