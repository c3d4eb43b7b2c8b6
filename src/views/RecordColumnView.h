#pragma once

#include <QFrame>

class QScrollBar;

namespace slm
{

class RecordListModel;

// One grid of a record list: a fixed title row and one column of a RecordListModel, drawn row
// by row for the rows in view only. All rows have one height, so the view keeps no state per
// row: a list of 348000 records costs it nothing and appending a row costs the same at any
// length. (Qt's item views keep a header section per row, some hundred bytes per row and view,
// and lay out again on every insert; three of them over 348000 rows would not fit the budget.)
//
// The scroll bar's value is the index of the first record in view (0-based), so the grid's top
// row in list terms (title row 0) is value + 1. The bar is a plain child: it works when hidden,
// so a grid without a visible bar still scrolls by wheel and keys and can be moved by another.
//
// The keys move the selected row (Up, Down, Page Up, Page Down, Home, End) and scroll to keep it
// in view. To assistive technology the grid is a one-column table under its title, with cells
// made only when asked for (see GridAccessible).
class RecordColumnView : public QFrame
{
    Q_OBJECT
public:
    RecordColumnView(RecordListModel* model, int column, QWidget* parent = nullptr);

    int column() const { return m_column; }
    QScrollBar* verticalScrollBar() const { return m_bar; }
    void setScrollBarShown(bool shown);
    bool scrollBarShown() const { return m_barShown; }

    int rowHeight() const { return m_rowHeight; }
    // Record rows that fit below the title row.
    int visibleRecordRows() const;
    // The selected record row (list numbering, 1..records; 0 for none).
    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row);
    // Tells assistive technology which cell is now the focused one (keys, readers).
    void announceCurrent();
    // Scrolls as little as needed to show record row `row` (list numbering).
    void ensureRowVisible(int row);
    void scrollToBottom();
    // Where grid row `row` is drawn (row 0 the title), empty while out of view; the grid row at
    // a point, -1 for none.
    QRect gridRowRect(int row) const;
    int gridRowAt(const QPoint& point) const;
    RecordListModel* model() const { return m_model; }
    // The width of the column itself (without frame and scroll bar).
    void setColumnWidth(int width);
    int columnWidth() const { return m_columnWidth; }

    QSize sizeHint() const override;

signals:
    void rowClicked(int row);
    // The selected row changed, by a click, a key or assistive technology.
    void currentRowChanged(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QRect cellArea() const;
    void updateRange();
    void placeBar();
    void moveCurrentBy(int rows);
    void announceModelChange(int change, int first, int last);

    RecordListModel* m_model;
    int m_column;
    QScrollBar* m_bar;
    bool m_barShown = false;
    int m_rowHeight;
    int m_columnWidth = 80;
    int m_currentRow = 0;
};

} // namespace slm
