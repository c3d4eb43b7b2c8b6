#include "shared/GridAccessible.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QPointer>
#include <QTableView>

namespace slm
{

namespace
{

// One cell or column header. It holds no text of its own: everything comes from the grid when
// asked, so a list that grows or scrolls needs no update here.
class GridCellAccessible : public QAccessibleInterface,
                           public QAccessibleTableCellInterface,
                           public QAccessibleActionInterface
{
public:
    GridCellAccessible(GridAccessible* table, int row, int column)
        : m_grid(table->gridWidget()), m_table(table), m_row(row), m_column(column)
    {
    }

    bool isHeader() const { return m_row < 0; }

    bool isValid() const override
    {
        return m_grid && m_column >= 0 && m_column < m_table->columnCount() && m_row < m_table->rowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_table->window(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return m_table; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text type) const override
    {
        if (!isValid())
            return {};
        switch (type) {
        case QAccessible::Name:
            return isHeader() ? m_table->headerText(m_column) : m_table->cellText(m_row, m_column);
        case QAccessible::Description:
            return isHeader() ? QString() : m_table->rowSummary(m_row);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = m_table->cellRect(m_row, m_column);
        if (local.isEmpty())
            return {};
        return QRect(m_grid->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override
    {
        return isHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        if (m_table->cellRect(m_row, m_column).isEmpty()) {
            s.invisible = true;
            s.offscreen = true;
        }
        if (isHeader())
            return s;
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.focused =
            m_grid->hasFocus() && m_table->currentRow() == m_row && m_table->currentColumn() == m_column;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface && !isHeader())
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (type == QAccessible::ActionInterface && !isHeader())
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return isValid() && m_table->isRowSelected(m_row); }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {m_table->cell(-1, m_column)}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return m_table; }

    // QAccessibleActionInterface: focusing a cell makes its row the current one; grids whose
    // cells act on a click also offer the press.
    QStringList actionNames() const override
    {
        QStringList names{setFocusAction()};
        if (m_table->cellsPressable())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override
    {
        if (!isValid())
            return;
        if (name == setFocusAction()) {
            m_grid->setFocus(Qt::OtherFocusReason);
            m_table->selectRow(m_row);
        } else if (name == pressAction() && m_table->cellsPressable()) {
            m_table->pressCell(m_row, m_column);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QWidget> m_grid; // the table interface lives exactly as long as the grid
    GridAccessible* m_table;
    int m_row;
    int m_column;
};

} // namespace

GridAccessible::GridAccessible(QWidget* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

GridAccessible::~GridAccessible()
{
    forgetCells();
}

QString GridAccessible::rowSummary(int) const
{
    return {};
}

void GridAccessible::forgetCells()
{
    for (QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}

QAccessibleInterface* GridAccessible::cell(int row, int column) const
{
    if (row < -1 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    const int index = childIndex(row, column);
    if (const auto found = m_cells.constFind(index); found != m_cells.cend())
        if (QAccessibleInterface* known = QAccessible::accessibleInterface(*found))
            return known;
    auto* made = new GridCellAccessible(const_cast<GridAccessible*>(this), row, column);
    m_cells.insert(index, QAccessible::registerAccessibleInterface(made));
    return made;
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::Role GridAccessible::role() const
{
    return QAccessible::Table;
}

int GridAccessible::childCount() const
{
    return (rowCount() + 1) * columnCount();
}

QAccessibleInterface* GridAccessible::child(int index) const
{
    const int columns = columnCount();
    if (index < 0 || columns <= 0)
        return nullptr;
    return cell(index / columns - 1, index % columns);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child || child->parent() != this)
        return -1;
    // Every cell handed out is in the cache, under its index.
    for (auto it = m_cells.cbegin(); it != m_cells.cend(); ++it)
        if (QAccessible::accessibleInterface(it.value()) == child)
            return it.key();
    return -1;
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const
{
    int row = 0;
    int column = 0;
    if (!cellAtPoint(widget()->mapFromGlobal(QPoint(x, y)), row, column))
        return nullptr;
    return cell(row, column);
}

QAccessibleInterface* GridAccessible::focusChild() const
{
    // Without a current row the grid itself has the focus, not its title.
    if (!widget()->hasFocus() || currentRow() < 0)
        return nullptr;
    return cell(currentRow(), currentColumn());
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const
{
    return row < 0 ? nullptr : cell(row, column);
}

int GridAccessible::selectedCellCount() const
{
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const
{
    QList<QAccessibleInterface*> cells;
    for (int row : selectedRows())
        for (int column = 0; column < columnCount(); ++column)
            cells.append(cell(row, column));
    return cells;
}

QList<int> GridAccessible::selectedRows() const
{
    // Every grid of the program selects one row at most: the current one.
    const int row = currentRow();
    if (row >= 0 && row < rowCount() && isRowSelected(row))
        return {row};
    return {};
}

void GridAccessible::modelChange(QAccessibleTableModelChangeEvent* event)
{
    // Rows appended at the end leave every cell where it was; anything else renumbers them.
    if (event->modelChangeType() == QAccessibleTableModelChangeEvent::RowsInserted &&
        event->lastRow() == rowCount() - 1)
        return;
    forgetCells();
}

// ---------------------------------------------------------------------------------------------
// Table views whose cells act on a click

namespace
{

const char* const PressableProperty = "slmPressableCells";

class ItemViewAccessible : public GridAccessible
{
public:
    explicit ItemViewAccessible(QTableView* view) : GridAccessible(view), m_view(view) {}

    int rowCount() const override { return model() ? model()->rowCount(m_view->rootIndex()) : 0; }
    int columnCount() const override { return model() ? model()->columnCount(m_view->rootIndex()) : 0; }
    QString headerText(int column) const override
    {
        return model()->headerData(column, Qt::Horizontal).toString();
    }
    QString cellText(int row, int column) const override { return index(row, column).data().toString(); }
    QString rowSummary(int row) const override
    {
        QStringList parts;
        for (int column = 0; column < columnCount(); ++column)
            parts << headerText(column) + QLatin1Char(' ') + cellText(row, column);
        return parts.join(QStringLiteral(", "));
    }
    QRect cellRect(int row, int column) const override
    {
        QWidget* viewport = m_view->viewport();
        if (row < 0) {
            const QHeaderView* header = m_view->horizontalHeader();
            const QRect r(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                          header->height());
            const QRect shown = r.intersected(header->rect());
            return shown.isEmpty() || header->isHidden()
                       ? QRect()
                       : QRect(header->mapTo(m_view, shown.topLeft()), shown.size());
        }
        const QRect shown = m_view->visualRect(index(row, column)).intersected(viewport->rect());
        return shown.isEmpty() ? QRect() : QRect(viewport->mapTo(m_view, shown.topLeft()), shown.size());
    }
    bool cellAtPoint(const QPoint& point, int& row, int& column) const override
    {
        const QHeaderView* header = m_view->horizontalHeader();
        const QPoint inHeader = header->mapFrom(m_view, point);
        if (header->isVisible() && header->rect().contains(inHeader)) {
            column = header->logicalIndexAt(inHeader);
            row = -1;
            return column >= 0;
        }
        const QModelIndex at = m_view->indexAt(m_view->viewport()->mapFrom(m_view, point));
        row = at.row();
        column = at.column();
        return at.isValid();
    }
    int currentRow() const override { return m_view->currentIndex().row(); }
    int currentColumn() const override { return m_view->currentIndex().column(); }
    bool isRowSelected(int row) const override
    {
        return m_view->selectionModel() && m_view->selectionModel()->isRowSelected(row, m_view->rootIndex());
    }
    bool selectRow(int row) override
    {
        if (!m_view->selectionModel() || row < 0 || row >= rowCount())
            return false;
        m_view->selectionModel()->setCurrentIndex(index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                     QItemSelectionModel::Rows);
        return true;
    }
    bool cellsPressable() const override { return true; }
    // A press is a click on the cell: whatever the window connected to clicks runs.
    void pressCell(int row, int column) override { emit m_view->clicked(index(row, column)); }

private:
    QAbstractItemModel* model() const { return m_view->model(); }
    QModelIndex index(int row, int column) const { return model()->index(row, column, m_view->rootIndex()); }

    QTableView* m_view;
};

QAccessibleInterface* pressableViewFactory(const QString&, QObject* object)
{
    auto* view = qobject_cast<QTableView*>(object);
    if (view && view->property(PressableProperty).toBool())
        return new ItemViewAccessible(view);
    return nullptr;
}

} // namespace

void makeCellsPressable(QAbstractItemView* view)
{
    static const bool installed = [] {
        QAccessible::installFactory(pressableViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
    if (!qobject_cast<QTableView*>(view))
        return;
    view->setProperty(PressableProperty, true);
    // An interface made before (a show sends an event, and the event makes one) would stay in
    // Qt's cache without the press; drop it so the next query comes to the factory.
    if (QAccessibleInterface* earlier = QAccessible::queryAccessibleInterface(view);
        earlier && !dynamic_cast<ItemViewAccessible*>(earlier))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(earlier));
}

} // namespace slm
