// The record list: the packed model in list terms (title row 0) and the three linked grids.
#include "shared/RecordColumnView.h"
#include "shared/RecordList.h"
#include "shared/RecordListModel.h"

#include <QScrollBar>
#include <QtTest>

class TestRecordsList : public QObject
{
    Q_OBJECT
private slots:
    void modelKeepsTextsExactly();
    void gridsNamesTitlesWidths();
    void scrollingOneGridMovesTheOthers();
    void newestRowStaysInViewAndClearGoesBackToTitle();
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

QTEST_MAIN(TestRecordsList)
#include "test_shared_record_list.moc"
