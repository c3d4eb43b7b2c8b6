#pragma once

#include <QAccessibleWidget>
#include <QHash>

class QAbstractItemView;

namespace slm
{

// What a screen reader sees of a grid: a table with a title row of column headers and one cell
// per row and column, the current cell focused and the selected rows selected.
//
// Lists run to hundreds of thousands of rows, so nothing is built per row in advance: a cell's
// interface is made when someone asks for it and remembered by its child index until the rows
// under it change. A cell keeps only its row and column and asks the grid for everything else,
// so one that outlives its row reports itself invalid instead of showing stale text.
//
// Children are numbered as Qt's own table views number them (their focus events carry these
// numbers): the title row first, then row by row, (row + 1) * columns + column.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridAccessible(QWidget* grid);
    ~GridAccessible() override;

    // What the grid answers; rows and columns count from 0 and leave the title row out.
    virtual QString headerText(int column) const = 0;
    virtual QString cellText(int row, int column) const = 0;
    // The whole row in words, for a reader that wants more than one cell (may be empty).
    virtual QString rowSummary(int row) const;
    // Cell rectangle in the grid's coordinates (row -1 is the title); empty while out of view.
    virtual QRect cellRect(int row, int column) const = 0;
    // The cell under a point in the grid's coordinates; false for none (row -1 is the title).
    virtual bool cellAtPoint(const QPoint& point, int& row, int& column) const = 0;
    virtual int currentRow() const = 0;
    virtual int currentColumn() const = 0;
    // Cells that act on a click offer a press action that does the same.
    virtual bool cellsPressable() const { return false; }
    virtual void pressCell(int /*row*/, int /*column*/) {}

    QWidget* gridWidget() const { return widget(); }
    int childIndex(int row, int column) const { return (row + 1) * columnCount() + column; }
    // The interface of one cell (row -1 for a column header), made on demand.
    QAccessibleInterface* cell(int row, int column) const;

    // QAccessibleInterface
    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::Role role() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override { return headerText(column); }
    QString rowDescription(int row) const override { return rowSummary(row); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    void forgetCells();

    mutable QHash<int, QAccessible::Id> m_cells;
};

// Lets assistive technology press the cells of a table view with a click's effect (the view's
// clicked signal). The view's rows must have no header column, as the program's grids have none.
void makeCellsPressable(QAbstractItemView* view);

} // namespace slm
