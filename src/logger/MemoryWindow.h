#pragma once

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace slm
{

struct DataSet;

// The "Data Logger" window: the list of logged sets, the memory size, the free memory and the
// download's progress. Thin: it reports clicks, Cancel/Esc and its closing to whoever runs it.
// A set is chosen by a click on its row, by Enter on the current row, or by the press action that
// assistive technology offers on each cell of the list.
class MemoryWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MemoryWindow(QWidget* parent = nullptr);

    void setMemory(int sizeK, double freeK);
    void setProgress(double percent);
    // One row per set: number (from 1), sampling interval, record count.
    void addSet(int number, const DataSet& set);

    QTableWidget* gridSet() const { return m_gridSet; }

signals:
    void setClicked(int setNumber);
    void cancelRequested();
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseRow(int row);

    QTableWidget* m_gridSet;
    QLabel* m_lblSize;
    QLabel* m_lblRemain;
    QLabel* m_lblMessage;
    QPushButton* m_cmdCancel;
    // The number of the set on each row, as addSet gave it: the cells only show it.
    QList<int> m_setNumbers;
};

} // namespace slm
