// The record list: the packed model in list terms (title row 0) and the three linked grids.
#include "measurement/RecordListModel.h"
#include "support/ResidentMemory.h"
#include "views/RecordColumnView.h"
#include "views/RecordList.h"

#include <QAccessible>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace slm;

namespace
{

void fill(RecordListModel& model, int records)
{
    for (int i = 1; i <= records; ++i)
        model.append(QString::number(i),
                     QStringLiteral("2026/01/17 08:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')),
                     QString::number(40 + i % 70) + QStringLiteral(".5"));
}

QAccessibleTableInterface* tableOf(QWidget* grid)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(grid);
    return iface ? iface->tableInterface() : nullptr;
}

} // namespace

class TestRecordsList : public QObject
{
    Q_OBJECT
private slots:
    void modelKeepsTextsExactly();
    void stagedRowsComeAsOneInsertion();
    void gridsNamesTitlesWidths();
    void scrollingOneGridMovesTheOthers();
    void newestRowStaysInViewAndClearGoesBackToTitle();
    void screenReaderReadsEachGridAsATable();
    void keysMoveTheSelectedRowInAllThreeGrids();
    void longListCellsAreMadeOnlyWhenAskedAndNeverGoStale();
};

void TestRecordsList::modelKeepsTextsExactly()
{
    RecordListModel model;
    QCOMPARE(model.rows(), 1);
    QCOMPARE(model.text(0, 0), QStringLiteral("No.s"));
    QCOMPARE(model.text(0, 1), QStringLiteral("Date Time"));
    QCOMPARE(model.text(0, 2), QStringLiteral("dB"));

    // Cells of any length and content come back as they went in, across block boundaries.
    const QString longCell(70000, u'x');
    model.append(QStringLiteral("1"), QStringLiteral("2026/01/17 08:30:05"), QStringLiteral("65.5*"));
    model.append(QString(), QString(300, u'd'), QString::fromUtf8("\xC2\xB0 - - -"));
    model.append(QStringLiteral("3"), longCell, QStringLiteral("x"));
    for (int i = 4; i <= 5000; ++i)
        model.append(QString::number(i), QStringLiteral("2026/01/17 08:30:05"), QStringLiteral("60.0"));
    QCOMPARE(model.rows(), 5001);
    QCOMPARE(model.recordCount(), 5000);
    QCOMPARE(model.rowCount(), 5000);
    QCOMPARE(model.text(1, 2), QStringLiteral("65.5*"));
    QCOMPARE(model.text(2, 0), QString());
    QCOMPARE(model.text(2, 1), QString(300, u'd'));
    QCOMPARE(model.text(2, 2), QString::fromUtf8("\xC2\xB0 - - -"));
    QCOMPARE(model.text(3, 1), longCell);
    QCOMPARE(model.record(5000).number, QStringLiteral("5000"));
    QCOMPARE(model.text(5001, 0), QString());
    // Qt rows are the records; the title is the header.
    QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("65.5*"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Date Time"));

    model.clear();
    QCOMPARE(model.rows(), 1);
    model.append(QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("b"));
    QCOMPARE(model.text(1, 1), QStringLiteral("a"));
}

void TestRecordsList::stagedRowsComeAsOneInsertion()
{
    RecordListModel model;
    RecordList list(&model);
    model.append(QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("60.0"));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.stageLatin1("2", "2026/01/17 08:30:05", "61.0*");
    model.stageLatin1("3", "\xB0", QByteArrayView("x", 1));
    // Stored, but not in the list until committed: the views see nothing yet.
    QCOMPARE(model.recordCount(), 1);
    QCOMPARE(model.stagedCount(), 2);
    QCOMPARE(inserted.count(), 0);
    model.commitStaged();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 1);
    QCOMPARE(inserted.first().at(2).toInt(), 2);
    QCOMPARE(model.recordCount(), 3);
    QCOMPARE(model.text(2, 2), QStringLiteral("61.0*"));
    // Latin-1 bytes come out as the same characters.
    QCOMPARE(model.text(3, 1), QString(QChar(0xB0)));
    // The list follows the insertion to its last row.
    QCOMPARE(list.grid(2)->currentRow(), 3);
    model.commitStaged(); // nothing staged: no insertion
    QCOMPARE(inserted.count(), 1);
    // A clear drops rows still staged.
    model.stageLatin1("4", "b", "c");
    model.clear();
    model.commitStaged();
    QCOMPARE(model.recordCount(), 0);
}

void TestRecordsList::gridsNamesTitlesWidths()
{
    RecordListModel model;
    RecordList list(&model);
    const char* samples[3] = {"ABADEAA", "AAAAA/AA/AAHH:NN:SSA", "ABADEAAA"};
    for (int k = 0; k < 3; ++k) {
        auto* grid = list.findChild<RecordColumnView*>(QStringLiteral("GridN(%1)").arg(k));
        QVERIFY(grid);
        QCOMPARE(grid, list.grid(k));
        QCOMPARE(grid->columnWidth(), list.fontMetrics().horizontalAdvance(QString::fromLatin1(samples[k])));
        QCOMPARE(grid->scrollBarShown(), k == 2);
    }
    QCOMPARE(list.rows(), 1);
}

void TestRecordsList::scrollingOneGridMovesTheOthers()
{
    RecordListModel model;
    RecordList list(&model);
    list.resize(400, 200);
    list.show();
    for (int i = 1; i <= 100; ++i)
        model.append(QString::number(i), QStringLiteral("2026/01/17 08:30:05"), QStringLiteral("60.0"));
    QVERIFY(list.grid(2)->visibleRecordRows() < 100);

    list.grid(2)->verticalScrollBar()->setValue(10);
    QCOMPARE(list.topRow(), 11);
    QCOMPARE(list.grid(0)->verticalScrollBar()->value(), 10);
    QCOMPARE(list.grid(1)->verticalScrollBar()->value(), 10);
    // A grid without a visible bar still scrolls (wheel, keys) and takes the others along.
    QTest::keyClick(list.grid(0), Qt::Key_Home);
    QCOMPARE(list.topRow(), 1);
    QCOMPARE(list.grid(1)->verticalScrollBar()->value(), 0);
    list.setTopRow(30);
    QCOMPARE(list.grid(0)->verticalScrollBar()->value(), 29);
}

void TestRecordsList::newestRowStaysInViewAndClearGoesBackToTitle()
{
    RecordListModel model;
    RecordList list(&model);
    list.resize(400, 200);
    list.show();
    const int page = list.grid(2)->visibleRecordRows();
    for (int i = 1; i <= page + 25; ++i) {
        model.append(QString::number(i), QStringLiteral("2026/01/17 08:30:05"), QStringLiteral("60.0"));
        const int top = list.topRow();
        QVERIFY(i >= top && i < top + page);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(list.grid(k)->currentRow(), i);
    }
    // Even after the user scrolled up, the next row brings the list back to the newest.
    list.setTopRow(1);
    model.append(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"));
    QCOMPARE(list.topRow(), model.recordCount() - page + 1);

    model.clear();
    QCOMPARE(list.rows(), 1);
    QCOMPARE(list.topRow(), 1);
    QCOMPARE(list.grid(0)->currentRow(), 0);
    QCOMPARE(list.grid(2)->verticalScrollBar()->maximum(), 0);
}

void TestRecordsList::screenReaderReadsEachGridAsATable()
{
    RecordListModel model;
    RecordList list(&model);
    list.resize(400, 200);
    list.show();
    fill(model, 40);
    list.setTopRow(1);
    for (int k = 0; k < 3; ++k) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list.grid(k));
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::Table);
        QCOMPARE(iface->text(QAccessible::Name), RecordListModel::title(k));
        QAccessibleTableInterface* table = iface->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->rowCount(), model.recordCount());
        QCOMPARE(table->columnCount(), 1);
        QCOMPARE(table->columnDescription(0), RecordListModel::title(k));
        // Title row first, then one child per record.
        QCOMPARE(iface->childCount(), model.rows());
        QCOMPARE(iface->child(0)->role(), QAccessible::ColumnHeader);
        QCOMPARE(iface->child(0)->text(QAccessible::Name), RecordListModel::title(k));
        for (int r = 0; r < model.recordCount(); ++r) {
            QAccessibleInterface* cell = table->cellAt(r, 0);
            QVERIFY(cell);
            QCOMPARE(cell->role(), QAccessible::Cell);
            QCOMPARE(cell->text(QAccessible::Name), model.text(r + 1, k));
            QCOMPARE(cell->parent(), iface);
            QCOMPARE(iface->indexOfChild(cell), r + 1);
            QCOMPARE(iface->child(r + 1), cell);
            QAccessibleTableCellInterface* place = cell->tableCellInterface();
            QVERIFY(place);
            QCOMPARE(place->rowIndex(), r);
            QCOMPARE(place->columnIndex(), 0);
            QCOMPARE(place->columnHeaderCells().value(0)->text(QAccessible::Name), RecordListModel::title(k));
        }
        QCOMPARE(table->cellAt(model.recordCount(), 0), nullptr);
        QCOMPARE(table->cellAt(0, 1), nullptr);

        // Geometry: a record in view is found where it is drawn; one below the view is off screen.
        QAccessibleInterface* first = table->cellAt(0, 0);
        QVERIFY(!first->rect().isEmpty());
        QCOMPARE(iface->childAt(first->rect().center().x(), first->rect().center().y()), first);
        QVERIFY(!first->state().offscreen);
        QVERIFY(table->cellAt(model.recordCount() - 1, 0)->state().offscreen);
    }

    // Selecting through one grid's table selects the record in all three; the focused grid's
    // focus child is the selected cell, and each cell also tells the whole record.
    list.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    list.grid(1)->setFocus();
    QTRY_VERIFY(list.grid(1)->hasFocus());
    QAccessibleInterface* dates = QAccessible::queryAccessibleInterface(list.grid(1));
    list.grid(1)->setCurrentRow(0);
    QCOMPARE(dates->focusChild(), nullptr);
    QVERIFY(dates->tableInterface()->selectRow(6));
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(list.grid(k)->currentRow(), 7);
        QCOMPARE(tableOf(list.grid(k))->selectedRows(), QList<int>{6});
    }
    QAccessibleInterface* cell = dates->tableInterface()->cellAt(6, 0);
    QCOMPARE(dates->focusChild(), cell);
    QVERIFY(cell->state().focused);
    QVERIFY(cell->state().selected);
    QVERIFY(!tableOf(list.grid(0))->cellAt(6, 0)->state().focused);
    QCOMPARE(cell->text(QAccessible::Description),
             QStringLiteral("No.s 7, Date Time %1, dB %2").arg(model.text(7, 1), model.text(7, 2)));
    // A reader's focus action on a cell selects its record, too.
    tableOf(list.grid(2))
        ->cellAt(2, 0)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::setFocusAction());
    for (int k = 0; k < 3; ++k)
        QCOMPARE(list.grid(k)->currentRow(), 3);
    QVERIFY(list.grid(2)->hasFocus());
}

void TestRecordsList::keysMoveTheSelectedRowInAllThreeGrids()
{
    RecordListModel model;
    RecordList list(&model);
    list.resize(400, 200);
    list.show();
    list.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    fill(model, 100);
    const int page = list.grid(2)->visibleRecordRows();
    QVERIFY(page < 50);
    auto current = [&list] {
        return QList<int>{list.grid(0)->currentRow(), list.grid(1)->currentRow(), list.grid(2)->currentRow()};
    };
    auto inView = [&list](int row) {
        return row >= list.topRow() && row < list.topRow() + list.grid(0)->visibleRecordRows();
    };

    // Tab goes from grid to grid.
    list.grid(0)->setFocus();
    QTRY_VERIFY(list.grid(0)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(list.grid(1)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(list.grid(2)->hasFocus());

    QTest::keyClick(list.grid(2), Qt::Key_Home);
    QCOMPARE(current(), (QList<int>{1, 1, 1}));
    QCOMPARE(list.topRow(), 1);
    QTest::keyClick(list.grid(2), Qt::Key_Up);
    QCOMPARE(current(), (QList<int>{1, 1, 1}));
    for (int i = 0; i < page + 3; ++i)
        QTest::keyClick(list.grid(2), Qt::Key_Down);
    QCOMPARE(current(), (QList<int>{page + 4, page + 4, page + 4}));
    QVERIFY(inView(page + 4));
    // A reader asks the focused grid for its focused cell and hears the one the keys landed on.
    QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(list.grid(2))->focusChild();
    QVERIFY(focused);
    QCOMPARE(focused->text(QAccessible::Name), model.text(page + 4, 2));
    QVERIFY(focused->state().focused);

    // Keys on a grid without a visible bar move all three alike, and the view follows.
    QTest::keyClick(list.grid(0), Qt::Key_End);
    QCOMPARE(current(), (QList<int>{100, 100, 100}));
    QCOMPARE(list.topRow(), 100 - page + 1);
    QTest::keyClick(list.grid(1), Qt::Key_PageUp);
    QCOMPARE(current(), (QList<int>{100 - page, 100 - page, 100 - page}));
    QVERIFY(inView(100 - page));
    QTest::keyClick(list.grid(1), Qt::Key_Down);
    QCOMPARE(current(), (QList<int>{101 - page, 101 - page, 101 - page}));
    QTest::keyClick(list.grid(0), Qt::Key_PageDown);
    QCOMPARE(current(), (QList<int>{100, 100, 100}));

    // After a clear there is nothing to select; the first key after new rows starts at the top.
    model.clear();
    QTest::keyClick(list.grid(1), Qt::Key_Down);
    QCOMPARE(current(), (QList<int>{0, 0, 0}));
    model.append(QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("b"));
    QCOMPARE(current(), (QList<int>{1, 1, 1}));
}

void TestRecordsList::longListCellsAreMadeOnlyWhenAskedAndNeverGoStale()
{
    RecordListModel model;
    RecordList list(&model);
    const int records = 348000;
    fill(model, records);
    const long before = residentKb();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list.grid(2));
    QAccessibleTableInterface* table = iface->tableInterface();
    QCOMPARE(table->rowCount(), records);
    QCOMPARE(iface->childCount(), records + 1);
    QAccessibleInterface* last = table->cellAt(records - 1, 0);
    QCOMPARE(last->text(QAccessible::Name), model.text(records, 2));
    QCOMPARE(table->cellAt(records - 1, 0), last);
    // Nothing was built per row: an interface per record would take tens of megabytes.
    if (before > 0) {
        const long grown = residentKb() - before;
        QVERIFY2(grown < 4096, qPrintable(QStringLiteral("%1 kB").arg(grown)));
    }

    // A cell whose row went away says so instead of reading another record's text.
    model.clear();
    QVERIFY(!last->isValid());
    QCOMPARE(last->text(QAccessible::Name), QString());
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(table->cellAt(0, 0), nullptr);
    model.append(QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("b"));
    QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), QStringLiteral("b"));
}

QTEST_MAIN(TestRecordsList)
#include "test_shared_record_list.moc"
