#pragma once

#include <QWidget>
#include <array>

namespace slm
{

class RecordColumnView;
class RecordListModel;

// A record list on screen: three single-column grids side by side, "GridN(0)" numbers,
// "GridN(1)" date-times, "GridN(2)" levels, each headed by its fixed title row. Only GridN(2)
// shows a vertical scroll bar; scrolling any of them moves the other two to the same top row.
// Appended rows become the selected row and stay in view. The selected row is one for all three:
// a click or a key in any grid (Tab reaches each) selects it in the others too. The model is shared, not
// owned, so the logic that fills it needs no window.
class RecordList : public QWidget
{
    Q_OBJECT
public:
    explicit RecordList(RecordListModel* model, QWidget* parent = nullptr);

    RecordListModel* model() const { return m_model; }
    RecordColumnView* grid(int index) const { return m_grids.at(static_cast<std::size_t>(index)); }

    // Grid rows as the lists count them: row 0 is the title row, so rows() is records + 1 and
    // topRow() is the first record row in view (1 while at the top).
    int rows() const;
    int topRow() const;
    void setTopRow(int row);

    // Column width of grid `column`: the width of its sample text in the given font.
    static int columnWidth(const QFontMetrics& metrics, int column);

private:
    void followAppend();
    void followScroll(int fromGrid, int value);
    void selectRow(int row);

    RecordListModel* m_model;
    std::array<RecordColumnView*, 3> m_grids{};
    bool m_syncing = false;
    bool m_selecting = false;
};

} // namespace slm
