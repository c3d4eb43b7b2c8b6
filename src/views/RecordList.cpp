#include "views/RecordList.h"

#include "measurement/RecordListModel.h"
#include "views/RecordColumnView.h"

#include <QHBoxLayout>
#include <QScrollBar>

namespace slm
{

namespace
{

// Width samples, not formats: each column is as wide as its sample in the list's font.
const char* const WidthSamples[3] = {"ABADEAA", "AAAAA/AA/AAHH:NN:SSA", "ABADEAAA"};

} // namespace

int RecordList::columnWidth(const QFontMetrics& metrics, int column)
{
    return metrics.horizontalAdvance(QString::fromLatin1(WidthSamples[column]));
}

RecordList::RecordList(RecordListModel* model, QWidget* parent) : QWidget(parent), m_model(model)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    for (int k = 0; k < 3; ++k) {
        auto* grid = new RecordColumnView(model, k, this);
        grid->setObjectName(QStringLiteral("GridN(%1)").arg(k));
        grid->setScrollBarShown(k == 2);
        grid->setColumnWidth(columnWidth(fontMetrics(), k));
        grid->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this, k](int value) { followScroll(k, value); });
        // A click, a key or a screen reader on any grid selects the row in all three.
        connect(grid, &RecordColumnView::currentRowChanged, this, &RecordList::selectRow);
        m_grids[static_cast<std::size_t>(k)] = grid;
        layout->addWidget(grid);
    }
    layout->addStretch(1);

    connect(model, &QAbstractItemModel::rowsInserted, this, &RecordList::followAppend);
}

int RecordList::rows() const
{
    return m_model->rows();
}

int RecordList::topRow() const
{
    return m_grids[2]->verticalScrollBar()->value() + 1;
}

void RecordList::setTopRow(int row)
{
    m_grids[2]->verticalScrollBar()->setValue(row - 1);
}

void RecordList::followAppend()
{
    selectRow(m_model->recordCount());
    m_grids[2]->scrollToBottom();
}

void RecordList::selectRow(int row)
{
    if (m_selecting)
        return;
    m_selecting = true;
    for (RecordColumnView* grid : m_grids)
        grid->setCurrentRow(row);
    m_selecting = false;
}

void RecordList::followScroll(int fromGrid, int value)
{
    if (m_syncing)
        return;
    m_syncing = true;
    for (int k = 0; k < 3; ++k)
        if (k != fromGrid)
            m_grids[static_cast<std::size_t>(k)]->verticalScrollBar()->setValue(value);
    m_syncing = false;
}

} // namespace slm
