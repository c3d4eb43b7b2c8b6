// "Memory", "Erase" and a click on a set, against the simulated meter over a pty.

#include "test_logger_fixture.h"
#include "test_logger_sets.h"

#include "logger/DataListWindow.h"
#include "logger/MemoryWindow.h"
#include "measurement/LnClasses.h"
#include "measurement/Measurement.h"
#include "measurement/RecordCsv.h"
#include "measurement/RecordListModel.h"
#include "support/RunTests.h"
#include "support/TestFiles.h"
#include "views/ComputedGroup.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>

using namespace slm;

using namespace loggertest;

namespace
{

std::vector<std::uint8_t> bytesOf(const QByteArray& b)
{
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

QStringList setRows(const LoggerRig& rig)
{
    QStringList rows;
    const QTableWidget* grid =
        rig.commands->memoryWindow()->findChild<QTableWidget*>(QStringLiteral("GridSet"));
    for (int r = 0; r < grid->rowCount(); ++r)
        rows << grid->item(r, 0)->text() + u' ' + grid->item(r, 1)->text() + u' ' + grid->item(r, 2)->text();
    return rows;
}

QString label(const LoggerRig& rig, const char* name)
{
    return rig.commands->memoryWindow()->findChild<QLabel*>(QString::fromLatin1(name))->text();
}

// Counts event-loop turns while a command runs: the program stayed responsive.
struct Heartbeat {
    QTimer timer;
    int beats = 0;
    Heartbeat()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++beats; });
        timer.start(50);
    }
};

void checkEndedWithError(LoggerRig& rig, const char* sent)
{
    QCOMPARE(rig.dialogs.messageTexts(), QStringList{QStringLiteral("Error! Try again!")});
    QCOMPARE(int(rig.dialogs.messages.at(0).icon), int(Dialogs::Icon::Critical));
    QVERIFY(!rig.commands->memoryWindow());
    QVERIFY(!rig.commands->memoryFormOpen());
    QVERIFY(rig.timers.livePollEnabled());
    QVERIFY(QString::fromStdString(rig.meter.receivedBytes()).startsWith(QLatin1String(sent)));
}

} // namespace

class TestLoggerDownload : public QObject
{
    Q_OBJECT

private slots:
    void emptyMemorySaysSoAndDoesNothingElse()
    {
        slmsim::SimOptions o = quietMeter();
        o.emptyMemory = true;
        LoggerRig rig(o);
        rig.commands->memory();
        QCOMPARE(rig.dialogs.messageTexts(), QStringList{QStringLiteral("No Data in Memory")});
        QCOMPARE(int(rig.dialogs.messages.at(0).icon), int(Dialogs::Icon::Information));
        QCOMPARE(rig.meter.receivedBytes(), std::string("A"));
        QVERIFY(!rig.commands->memoryWindow());
        QVERIFY(!rig.commands->memoryFormOpen());
        QCOMPARE(rig.timers.switches, (QList<bool>{false, true}));
    }

    void oneSetOfThreeRecords()
    {
        LoggerRig rig;
        const QByteArray logged = makeSet(setOf(3, 7));
        QCOMPARE(logged.size(), 64);
        rig.meter.setMemory(bytesOf(logged));
        rig.commands->memory();
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(rig.meter.receivedBytes(), std::string("ALK"));
        QCOMPARE(setRows(rig), QStringList{QStringLiteral("1 7 3")});
        QCOMPARE(label(rig, "LblSize"), QStringLiteral("64 K"));
        QCOMPARE(label(rig, "LblRemain"), QString::number((65536 - 48 - 64) / 1024.0, 'f', 1) + " K");
        QCOMPARE(label(rig, "LblMessage"), QStringLiteral("100.0% Completed"));
        QCOMPARE(rig.commands->memoryWindow()->windowTitle(), QStringLiteral("Data Logger"));
        QCOMPARE(rig.commands->memoryWindow()->pos(),
                 QPoint(rig.panel.frameGeometry().right() + 1, rig.panel.frameGeometry().top()));
        QVERIFY(rig.commands->memoryFormOpen());
        QVERIFY(rig.timers.livePollEnabled());

        // Open: "Memory" does nothing until the window is closed.
        rig.meter.clearLog();
        rig.commands->memory();
        QCOMPARE(rig.meter.receivedBytes(), std::string());
        rig.commands->memoryWindow()->close();
        QVERIFY(!rig.commands->memoryFormOpen());
    }

    void setsBackToBackAndTheDemoMemory_data()
    {
        QTest::addColumn<QByteArray>("logged");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("demo") << QByteArray() << QStringList{"1 1 30", "2 2 600", "3 5 3"};
        QTest::newRow("back to back")
            << makeSet(setOf(10, 1)) + makeSet(setOf(1, 255)) + makeSet(setOf(2000, 60))
            << QStringList{"1 1 10", "2 255 1", "3 60 2000"};
    }

    void setsBackToBackAndTheDemoMemory()
    {
        QFETCH(QByteArray, logged);
        QFETCH(QStringList, rows);
        LoggerRig rig;
        if (!logged.isEmpty())
            rig.meter.setMemory(bytesOf(logged));
        rig.commands->memory();
        QCOMPARE(setRows(rig), rows);
        for (size_t i = 0; i < rig.commands->sets().size(); ++i)
            QCOMPARE(rig.commands->sets()[i].bytes.size(), 58 + 2 * rig.commands->sets()[i].recordCount);
    }

    void damagedMemoryListsTheIntactSets_data()
    {
        QTest::addColumn<QByteArray>("logged");
        QTest::addColumn<QStringList>("rows");
        const QByteArray a = makeSet(setOf(30, 1)), b = makeSet(setOf(12, 2)), c = makeSet(setOf(3, 5));
        QByteArray broken = a + b + c;
        broken[a.size() + 2] = 0;
        QByteArray noise(3000, '\0');
        QRandomGenerator rng(7);
        for (char& ch : noise)
            ch = static_cast<char>(rng.bounded(256));
        QTest::newRow("marker broken") << broken << QStringList{"1 1 30", "2 5 3"};
        QTest::newRow("random bytes between") << a + noise.left(77) + b << QStringList{"1 1 30", "2 2 12"};
        QTest::newRow("last set cut short") << a + b + c.left(41) << QStringList{"1 1 30", "2 2 12"};
        QTest::newRow("random bytes only") << noise << QStringList{};
    }

    void damagedMemoryListsTheIntactSets()
    {
        QFETCH(QByteArray, logged);
        QFETCH(QStringList, rows);
        LoggerRig rig;
        rig.meter.setMemory(bytesOf(logged));
        rig.commands->memory();
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(setRows(rig), rows);
        QVERIFY(rig.timers.livePollEnabled());
    }

    void silentMidDownloadEndsWithAnError()
    {
        LoggerRig rig(quietMeter(true));
        rig.meter.setMemory(bytesOf(makeSet(setOf(6000, 1)))); // about 3 s on the line
        Heartbeat heart;
        QTimer::singleShot(800, [&] { rig.meter.setSilent(true); });
        QElapsedTimer t;
        t.start();
        rig.commands->memory();
        QVERIFY2(t.elapsed() >= 3500 && t.elapsed() < 6000, qPrintable(QString::number(t.elapsed())));
        checkEndedWithError(rig, "ALK");
        QVERIFY(heart.beats > 40);
    }

    void wrongLengthForEverEndsWithAnError()
    {
        LoggerRig rig;
        rig.meter.setWrongLengthReplies(true);
        Heartbeat heart;
        QElapsedTimer t;
        t.start();
        rig.commands->memory();
        QVERIFY2(t.elapsed() >= 5000 && t.elapsed() < 7000, qPrintable(QString::number(t.elapsed())));
        checkEndedWithError(rig, "AA");
        QVERIFY(!QString::fromStdString(rig.meter.receivedBytes()).contains(u'K'));
        QVERIFY(heart.beats > 60);
    }

    void cancelAndEscStopTheDownload_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("window closed") << "close";
    }

    void cancelAndEscStopTheDownload()
    {
        QFETCH(QString, how);
        LoggerRig rig(quietMeter(true));
        rig.meter.setMemory(bytesOf(makeSet(setOf(6000, 1))));
        Heartbeat heart;
        QTimer::singleShot(500, [&] {
            MemoryWindow* w = rig.commands->memoryWindow();
            QVERIFY(w);
            if (how == "Esc")
                QTest::keyClick(w, Qt::Key_Escape);
            else if (how == "close")
                w->close();
            else
                w->findChild<QPushButton*>(QStringLiteral("CmdCancel"))->click();
        });
        QElapsedTimer t;
        t.start();
        rig.commands->memory();
        QVERIFY(t.elapsed() < 1500);
        QVERIFY(rig.dialogs.messages.isEmpty());
        QVERIFY(!rig.commands->memoryWindow());
        QVERIFY(!rig.commands->memoryFormOpen());
        QVERIFY(rig.timers.livePollEnabled());
        QVERIFY(heart.beats > 5);
    }

    void eraseThenMemoryHasNoData()
    {
        LoggerRig rig;
        rig.commands->memory();
        QCOMPARE(setRows(rig).size(), 3);
        rig.meter.clearLog();
        rig.dialogs.confirmAnswers << false << true;

        // Cancel: the window closes all the same, nothing is sent.
        rig.commands->erase();
        QVERIFY(!rig.commands->memoryWindow());
        QCOMPARE(rig.meter.receivedBytes(), std::string());
        QCOMPARE(rig.dialogs.confirmTexts,
                 QStringList{QStringLiteral("All saved data in memory will be deleted.")});

        rig.timers.switches.clear();
        rig.commands->erase();
        QCOMPARE(rig.meter.receivedBytes(), std::string("H"));
        QCOMPARE(rig.timers.switches, (QList<bool>{false, true}));
        QCOMPARE(rig.meter.status().memoryPointer, 48);

        rig.commands->memory();
        QCOMPARE(rig.dialogs.messageTexts(), QStringList{QStringLiteral("No Data in Memory")});
    }
};

class TestDataList : public QObject
{
    Q_OBJECT

private slots:
    void secondRecordOnTheNextDayWithThePcsCentury()
    {
        LoggerRig rig;
        SetSpec s = setOf(3, 5);
        s.start = QDateTime(QDate(2013, 12, 31), QTime(23, 59, 58)); // year byte 0x13
        s.status = 0x61;                                             // AA, SLOW
        s.range = 0x00;
        rig.meter.setMemory(bytesOf(makeSet(s)));
        rig.commands->memory();
        rig.timers.switches.clear();
        rig.commands->memoryWindow()->gridSet()->cellClicked(0, 1);
        DataListWindow* list = rig.commands->dataListWindow();
        QVERIFY(list);
        QCOMPARE(list->objectName(), QStringLiteral("DataList"));
        QCOMPARE(list->windowTitle(), QStringLiteral("Data List"));
        QCOMPARE(list->pos().y(), rig.panel.frameGeometry().top());
        QVERIFY(list->screen()->availableGeometry().contains(list->frameGeometry()));
        const RecordListModel& m = list->model();
        QCOMPARE(m.rows(), 4);
        QCOMPARE(m.text(1, 1), QStringLiteral("2013/12/31 23:59:58"));
        QCOMPARE(m.text(2, 1), QStringLiteral("2014/01/01 00:00:03"));
        QCOMPARE(m.text(3, 0), QStringLiteral("3"));
        QCOMPARE(list->field("BoardCA"), QStringLiteral("20-200Hz Filter"));
        QCOMPARE(list->field("BoardSFI"), QStringLiteral("SLOW"));
        QCOMPARE(list->field("BoardLevel"), QStringLiteral("80-140"));
        QCOMPARE(list->field("Board50"), QStringLiteral("XXX"));
        QCOMPARE(list->field("BoardLeq"), QStringLiteral("XXX"));
        QCOMPARE(list->header().samplingInterval, 5);
        QCOMPARE(rig.timers.switches, (QList<bool>{false, true}));

        // A second click makes a new window.
        QPointer<DataListWindow> first = list;
        rig.commands->showSet(1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        QVERIFY(rig.commands->dataListWindow());
    }

    void savingASetWritesItByteForByte()
    {
        LoggerRig rig;
        SetSpec s = setOf(3, 2);
        s.records = {655, 0x8000 | 700, 1300};
        s.maxWord = 1300;
        s.maxTime = QDateTime(QDate(2013, 1, 17), QTime(8, 30, 4));
        rig.meter.setMemory(bytesOf(makeSet(s)));
        rig.commands->memory();
        rig.commands->showSet(1);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("set.slmm"));
        rig.dialogs.saveAnswers << path;
        rig.commands->dataListWindow()->save();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray expected = "Data Logger\r\n"
                                    " 2 \r\n"
                                    "A\r\n"
                                    "FAST\r\n"
                                    "50-110\r\n"
                                    "XXX\r\nXXX\r\nXXX\r\nXXX\r\nXXX\r\n"
                                    "130.0\r\n"
                                    "2013/01/17 08:30:04\r\n"
                                    "XXX\r\nXXX\r\n"
                                    "No.s\tDate Time\tdB\t\r\n"
                                    "1\t2013/01/17 08:30:00\t65.5\t\r\n"
                                    "2\t2013/01/17 08:30:02\t70.0*\t\r\n"
                                    "3\t2013/01/17 08:30:04\t130.0\t\r\n";
        QCOMPARE(f.readAll(), expected);
        f.close();
        // Nothing stays chosen: the next save asks again, and its cancel writes nothing.
        QVERIFY(QFile::remove(path));
        rig.commands->dataListWindow()->save();
        QCOMPARE(rig.dialogs.saveDialogs, 2);
        QVERIFY(!QFile::exists(path));
    }

    void computedFiguresBesideTheMetersOwn()
    {
        LoggerRig rig;
        SetSpec s = setOf(3, 2);
        s.records = {655, 0x8000 | 700, 1300};
        s.leqWord = 0x8000 | 1234; // the marker bit of a level word shows as "*"
        s.selWord = 1456;
        rig.meter.setMemory(bytesOf(makeSet(s)));
        rig.commands->memory();
        rig.commands->showSet(1);
        DataListWindow* list = rig.commands->dataListWindow();
        QVERIFY(list);
        // The meter's own, labelled as such; the set's Leq and SEL fields keep "XXX".
        QCOMPARE(list->field("BoardMeterLeq"), QStringLiteral("123.4*"));
        QCOMPARE(list->field("BoardMeterSEL"), QStringLiteral("145.6"));
        // A screen reader gets the value with the caption.
        QAccessibleInterface* spoken =
            QAccessible::queryAccessibleInterface(list->findChild<QLabel*>("BoardMeterLeq"));
        QCOMPARE(spoken->text(QAccessible::Name), QStringLiteral("Meter's Leq: 123.4*"));
        // The set's measurement carries the header a save writes, from the decoded fields.
        QCOMPARE(list->measurement().header().kind, RecordFileKind::DataLogger);
        QCOMPARE(list->measurement().header().text(HeaderField::FreqWeighting), list->field("BoardCA"));
        QCOMPARE(list->field("BoardLeq"), QStringLiteral("XXX"));

        // Computed from 65.5 and 130.0 at 2 s; the paused 70.0* is left out.
        ComputedGroup* computed = list->computed();
        QVERIFY(computed);
        QCOMPARE(computed->objectName(), QStringLiteral("Computed"));
        QCOMPARE(computed->title(), QStringLiteral("Computed"));
        const double leq = 10 * std::log10((std::pow(10.0, 6.55) + 1e13) / 2);
        QCOMPARE(computed->field("ComputedLeq"), QString::number(leq, 'f', 1));
        QCOMPARE(computed->field("ComputedSEL"), QString::number(leq + 10 * std::log10(4.0), 'f', 1));
        QCOMPARE(computed->field("ComputedLmax"), QStringLiteral("130.0"));
        QCOMPARE(computed->field("ComputedLmin"), QStringLiteral("65.5"));
        QCOMPARE(computed->field("ComputedDuration"), QStringLiteral("00:00:04"));
        QCOMPARE(computed->field("ComputedBasis"),
                 QStringLiteral("from 2 readings every 2 s; 1 paused text left out"));
        QCOMPARE(computed->field("ComputedL50"),
                 ComputeLnStatistics(list->model(), LnResolution::TenthDb).values[50]);

        // "Export CSV" writes the set's records; the saved set file still says "XXX".
        QTemporaryDir dir;
        rig.dialogs.saveAnswers << dir.filePath("set.csv");
        list->findChild<QAction*>("ExportCsv")->trigger();
        QCOMPARE(readAll(dir.filePath("set.csv")), recordListCsv(list->model()));
        QVERIFY(readAll(dir.filePath("set.csv")).contains(",,paused\r\n"));
    }

    void titleRowOrMissingSetDecodesNothing()
    {
        LoggerRig rig;
        rig.commands->memory();
        rig.timers.switches.clear();
        rig.commands->showSet(0);
        rig.commands->showSet(9);
        QVERIFY(!rig.commands->dataListWindow());
        QVERIFY(rig.timers.livePollEnabled());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return runTests<TestLoggerDownload, TestDataList>(argc, argv);
}

#include "test_logger_download.moc"
