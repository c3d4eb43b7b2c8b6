#include "assessment/StandardsTab.h"

#include "assessment/AssessmentSession.h"
#include "assessment/StandardsForm.h"
#include "assessment/TableViews.h"
#include "assessment/TextTableModel.h"
#include "views/ValueField.h"
#include "views/plot/ClassBarsPlot.h"

#include <QEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace slm
{

namespace
{

// A long table scrolls within its own rows; the tab shows the ones below it too.
constexpr int MostRowsInSight = 12;

const QColor DayColour(0xd8, 0x8a, 0x2a);
const QColor NightColour(0x3a, 0x5f, 0xb0);

QString shapeOf(const StandardsTable& t)
{
    QString shape = t.name + u'|' + t.columns.join(u'|');
    if (isListTable(t))
        for (const QStringList& row : t.rows)
            shape += u'|' + row.value(0);
    return shape;
}

} // namespace

// As high as its rows up to a dozen, with room for the scroll bar when the columns are wider than
// the view.
void StandardsTab::fitHeight(QTableView* view)
{
    const int count = view->model()->rowCount();
    const int rows = std::clamp(count, 1, MostRowsInSight);
    // The columns as wide as their texts; a stretched last one is as wide as the view, so its own
    // texts are measured.
    QHeaderView* header = view->horizontalHeader();
    const int last = view->model()->columnCount() - 1;
    int needed = 0;
    for (int c = 0; c < last; ++c)
        needed += header->sectionSize(c);
    int lastWidth = header->sectionSizeHint(last);
    for (int r = 0; r < std::min(count, header->resizeContentsPrecision()); ++r)
        lastWidth =
            std::max(lastWidth,
                     view->fontMetrics().horizontalAdvance(view->model()->index(r, last).data().toString()) +
                         view->fontMetrics().averageCharWidth() * 2);
    needed += lastWidth;
    const int room = view->width() - 2 * view->frameWidth() -
                     (count > rows ? view->verticalScrollBar()->sizeHint().width() : 0);
    const int scrollBar = needed > room ? view->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    view->setFixedHeight(view->horizontalHeader()->sizeHint().height() +
                         rows * view->verticalHeader()->defaultSectionSize() + 2 * view->frameWidth() +
                         scrollBar);
}

bool StandardsTab::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        if (auto* view = qobject_cast<QTableView*>(watched))
            fitHeight(view);
    return QScrollArea::eventFilter(watched, event);
}

StandardsTab::StandardsTab(AssessmentSession& session, QWidget* parent)
    : QScrollArea(parent), m_session(session)
{
    setObjectName(QStringLiteral("StandardsTab"));
    auto* inner = new QWidget;
    auto* layout = new QVBoxLayout(inner);
    m_form = new StandardsForm(inner);
    layout->addWidget(m_form);
    m_message = makeCaption(inner, QStringLiteral("StandardsMessage"));
    m_message->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_message->hide();
    layout->addWidget(m_message);
    m_empty = makeCaption(inner, QStringLiteral("StandardsHint"));
    m_empty->setText(QStringLiteral("Choose the tables above: they are worked out over this file's records, "
                                    "less the exclusions, as slm-report does with the same options."));
    layout->addWidget(m_empty);
    m_resultsLayout = new QVBoxLayout;
    m_resultsLayout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_resultsLayout);
    layout->addStretch(1);
    setWidget(inner);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);

    connect(m_form, &StandardsForm::edited, this, &StandardsTab::formEdited);
    connect(&session, &AssessmentSession::standardsChanged, this, &StandardsTab::showChoice);
    connect(&session, &AssessmentSession::resultsChanged, this, &StandardsTab::showResults);
    showChoice();
    showResults();
}

QTableView* StandardsTab::table(const QString& name) const
{
    for (const Shown& s : m_shown)
        if (s.name == name)
            return s.view;
    return nullptr;
}

QLabel* StandardsTab::value(const QString& table, const QString& row) const
{
    for (const Shown& s : m_shown)
        for (size_t r = 0; s.name == table && r < s.values.size(); ++r)
            if (s.rowNames.value(qsizetype(r)) == row)
                return s.values[r];
    return nullptr;
}

void StandardsTab::showChoice()
{
    if (!m_taking)
        m_form->showChoice(m_session.standards());
}

void StandardsTab::formEdited()
{
    QStringList faults;
    const StandardsChoice choice = m_form->choice(m_session.standards(), faults);
    m_faults = faults;
    m_taking = true;
    m_session.setStandards(choice);
    m_taking = false;
    showMessages();
}

QString StandardsTab::notice() const
{
    const QStringList all = m_faults + m_runMessages;
    return all.isEmpty() ? QString() : QStringLiteral("Standards: ") + all.first();
}

void StandardsTab::showMessages()
{
    const QString text = (m_faults + m_runMessages).join(u'\n');
    m_message->setText(text);
    m_message->setAccessibleName(text);
    m_message->setVisible(!text.isEmpty());
    emit noticeChanged(notice());
}

void StandardsTab::showResults()
{
    if (!m_session.hasResults())
        return;
    const std::shared_ptr<const StandardsOutcome>& outcome = m_session.resultView().standards;
    m_runMessages = outcome ? outcome->messages : QStringList();
    showMessages();
    layOut(outcome.get());
    if (outcome)
        fill(*outcome);
}

void StandardsTab::layOut(const StandardsOutcome* outcome)
{
    m_empty->setVisible(!outcome);
    QStringList shapes;
    if (outcome)
        for (const StandardsTable& t : outcome->tables)
            shapes << shapeOf(t);
    QStringList shown;
    for (const Shown& t : m_shown)
        shown << t.shape;
    // The same tables again: their cells change in place, so a view keeps its place.
    if (m_results && outcome && shapes == shown)
        return;
    delete m_results;
    m_results = nullptr;
    m_plot = nullptr;
    m_shown.clear();
    if (!outcome)
        return;
    m_results = new QWidget(widget());
    auto* column = new QVBoxLayout(m_results);
    column->setContentsMargins(0, 0, 0, 0);
    for (const StandardsTable& t : outcome->tables) {
        Shown s;
        s.name = t.name;
        s.shape = shapeOf(t);
        s.caption = makeCaption(m_results, QStringLiteral("Standards%1Caption").arg(t.name));
        QFont bold = s.caption->font();
        bold.setBold(true);
        s.caption->setFont(bold);
        column->addWidget(s.caption);
        if (isListTable(t)) {
            auto* form = new QFormLayout;
            for (const QStringList& row : t.rows) {
                auto* label = new QLabel(row.value(0), m_results);
                QLabel* field = makeCaption(m_results, QStringLiteral("Standards%1Value").arg(t.name));
                field->setWordWrap(true);
                nameValueField(field, row.value(0), label);
                form->addRow(label, field);
                s.rowNames << row.value(0);
                s.values.push_back(field);
            }
            column->addLayout(form);
        } else if (!t.columns.isEmpty()) {
            s.model = new TextTableModel(m_results);
            s.view = makeTableView(s.model, QStringLiteral("Standards%1").arg(t.name), m_results);
            s.view->installEventFilter(this);
            column->addWidget(s.view);
        }
        s.notes = makeCaption(m_results, QStringLiteral("Standards%1Notes").arg(t.name));
        column->addWidget(s.notes);
        if (t.name == u"Background") {
            m_plot = new ClassBarsPlot(m_results);
            m_plot->setObjectName(QStringLiteral("StandardsBackgroundPlot"));
            m_plot->setAccessibleName(QStringLiteral("Background classes by day and by night"));
            column->addWidget(m_plot);
        }
        column->addSpacing(fontMetrics().lineSpacing() / 2);
        m_shown.push_back(std::move(s));
    }
    m_resultsLayout->addWidget(m_results);
    // Made after the window's keys were set up: the undo keys reach them once they have the focus.
}

void StandardsTab::fill(const StandardsOutcome& outcome)
{
    for (size_t i = 0; i < m_shown.size() && i < outcome.tables.size(); ++i) {
        const StandardsTable& t = outcome.tables[i];
        Shown& s = m_shown[i];
        s.caption->setText(t.caption);
        for (size_t r = 0; r < s.values.size(); ++r)
            setValueFieldText(s.values[r], t.rows[r].value(1));
        if (s.view) {
            s.model->setTable(shownStandardsTable(t));
            s.view->setAccessibleName(t.caption);
            // A last column of figures stays as wide as they are; a text there takes the rest.
            s.view->horizontalHeader()->setStretchLastSection(
                !s.model->table().rightAligned.value(s.model->table().columns.size() - 1));
            fitHeight(s.view);
        }
        s.notes->setText(t.notes.join(u'\n'));
        s.notes->setVisible(!t.notes.isEmpty());
    }
    if (m_plot && outcome.results.background) {
        const BackgroundTable& b = *outcome.results.background;
        m_plot->setSeries({{QStringLiteral("Day"), DayColour, b.day.classes},
                           {QStringLiteral("Night"), NightColour, b.night.classes}},
                          QStringLiteral("Intervals"));
    }
}

} // namespace slm
