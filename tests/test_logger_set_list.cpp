// The set list chosen without a mouse: Enter on the current row and the press action that
// assistive technology finds on every cell both choose the set as a click does.
#include "logger/LoggerMemory.h"
#include "logger/MemoryWindow.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

using namespace slm;

namespace
{
DataSet set(int interval, int records)
{
    DataSet s;
    s.bytes = QByteArray(2 * records + 58, '\0');
    s.interval = interval;
    s.recordCount = records;
    return s;
}
} // namespace

class TestSetList : public QObject
{
    Q_OBJECT
private slots:
    void readerReadsTheSetsAndPressesARow();
    void enterOnTheCurrentRowChoosesItsSet();
};

void TestSetList::readerReadsTheSetsAndPressesARow()
{
    MemoryWindow w;
    w.addSet(1, set(5, 3));
    w.addSet(2, set(60, 10));
    w.addSet(3, set(1, 7));
    w.show();
    QSignalSpy chosen(&w, &MemoryWindow::setClicked);

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w.gridSet());
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Table);
    QAccessibleTableInterface* table = iface->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->columnCount(), 3);
    QCOMPARE(table->columnDescription(0), QStringLiteral("Set"));
    QCOMPARE(table->columnDescription(2), QStringLiteral("Records"));
    QCOMPARE(table->cellAt(1, 1)->text(QAccessible::Name), QStringLiteral("60"));
    QCOMPARE(table->cellAt(1, 1)->text(QAccessible::Description),
             QStringLiteral("Set 2, Sampling 60, Records 10"));

    // Pressing any cell of a row chooses that row's set, exactly like a click on it.
    QAccessibleInterface* cell = table->cellAt(1, 2);
    QVERIFY(cell->actionInterface());
    QVERIFY(cell->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    cell->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 2);
    const QRect third = w.gridSet()->visualItemRect(w.gridSet()->item(2, 0));
    QTest::mouseClick(w.gridSet()->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 3);
    // The click's cell is the one a reader finds at that point.
    const QPoint global = w.gridSet()->viewport()->mapToGlobal(third.center());
    QCOMPARE(iface->childAt(global.x(), global.y()), table->cellAt(2, 0));
}

void TestSetList::enterOnTheCurrentRowChoosesItsSet()
{
    MemoryWindow w;
    w.addSet(1, set(5, 3));
    w.addSet(2, set(60, 10));
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.gridSet()->setFocus();
    QTRY_VERIFY(w.gridSet()->hasFocus());
    QSignalSpy chosen(&w, &MemoryWindow::setClicked);

    // Arrows only move. A reader finds the current cell as the focused child, under the number
    // Qt's table view gives it in its own focus events (title row first, row by row).
    w.gridSet()->setCurrentCell(0, 1);
    QTest::keyClick(w.gridSet(), Qt::Key_Down);
    QCOMPARE(chosen.size(), 0);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w.gridSet());
    QAccessibleInterface* focused = iface->focusChild();
    QVERIFY(focused);
    QCOMPARE(focused->text(QAccessible::Name), QStringLiteral("60"));
    QVERIFY(focused->state().focused);
    QCOMPARE(iface->indexOfChild(focused), (1 + 1) * 3 + 1);

    QTest::keyClick(w.gridSet(), Qt::Key_Return);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 2);
    QTest::keyClick(w.gridSet(), Qt::Key_Up);
    QTest::keyClick(w.gridSet(), Qt::Key_Enter);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 1);
    // The Table's selection follows, as a reader's selection query sees it.
    QCOMPARE(QAccessible::queryAccessibleInterface(w.gridSet())->tableInterface()->selectedRows(),
             QList<int>{0});
}

QTEST_MAIN(TestSetList)
#include "test_logger_set_list.moc"
