// The "Computed" group of the file views: filled when a file is listed, beside the file's own
// fields (which keep their texts), agreeing with the Ln table, and "Export CSV" of the listed
// records.
#include "analysis/FileListWindow.h"
#include "analysis/OpenRecordFile.h"
#include "measurement/LevelFigures.h"
#include "measurement/RecordCsv.h"
#include "measurement/RecordListModel.h"
#include "support/CountingPanelTimers.h"
#include "support/QuietLink.h"
#include "support/TestFiles.h"
#include "support/TestServices.h"
#include "views/ComputedGroup.h"
#include "views/RecordList.h"

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace slm;

namespace
{

const QByteArray Title = "No.s\tDate Time\tdB\t\r\n";
const QByteArray RealTimeBytes =
    "Real Time\r\n 5 \r\nA\r\nFAST\r\n80-140\r\n 70.0 \r\n2026/01/17 08:30:06\r\nXXX\r\nXXX\r\n";
const QByteArray DataLoggerBytes =
    "Data Logger\r\n 2 \r\nC\r\nSLOW\r\n30-90\r\n61.0\r\n60.0\r\n55.5\r\n50.0\r\n"
    "49.5\r\n70.1\r\n2026/01/17 09:00:00\r\n88.0\r\n66.6\r\n";

QByteArray line(int n, const char* time, const char* level)
{
    return QByteArray::number(n) + '\t' + time + '\t' + level + "\t\r\n";
}

} // namespace

class TestAnalysisComputed : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void realTimeFileShowsItsFiguresBesideItsOwnFields();
    void listFileTakesItsIntervalFromItsTimes();
    void computedPercentilesAgreeWithTheTable();
    void damagedFileComputesWhatWasListed();
    void exportCsvWritesTheListedRecords();

private:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir->filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        f.write(bytes);
        return path;
    }
    FileListWindow* open(const QString& name, const QByteArray& bytes)
    {
        m_open->open(write(name, bytes));
        return bytes.startsWith("Data Logger") ? m_open->memoryDataView() : m_open->realTimeView();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestServices<QuietLink>> m_t;
    std::unique_ptr<CountingPanelTimers> m_timers;
    std::unique_ptr<QWidget> m_panel;
    std::unique_ptr<OpenRecordFile> m_open;
};

void TestAnalysisComputed::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_t = std::make_unique<TestServices<QuietLink>>();
    m_timers = std::make_unique<CountingPanelTimers>();
    m_panel = std::make_unique<QWidget>();
    m_panel->setGeometry(40, 40, 300, 200);
    m_panel->show();
    m_open = std::make_unique<OpenRecordFile>(m_t->services.desk(), *m_timers, m_panel.get(),
                                              [] { return false; });
}

void TestAnalysisComputed::cleanup()
{
    m_open.reset();
    m_panel.reset();
    m_timers.reset();
    m_t.reset();
    m_dir.reset();
}

void TestAnalysisComputed::realTimeFileShowsItsFiguresBesideItsOwnFields()
{
    FileListWindow* w =
        open("real.slmm", RealTimeBytes + Title + line(1, "2026/01/17 08:30:00", "60.0") +
                              line(2, "2026/01/17 08:30:05", "70.0") +
                              line(3, "2026/01/17 08:30:10", "80.0*") + line(4, "2026/01/17 08:30:15", "OL"));
    QVERIFY(w);
    ComputedGroup* c = w->computed();
    QCOMPARE(c->objectName(), QStringLiteral("Computed"));
    QCOMPARE(c->title(), QStringLiteral("Computed"));
    QCOMPARE(c->field("ComputedLeq"), QStringLiteral("67.4"));
    // Two levels at the file's 5 s: 10 s of exposure.
    QCOMPARE(c->field("ComputedSEL"), QString::number(10 * std::log10(5.5e6 * 10), 'f', 1));
    QCOMPARE(c->field("ComputedLmax"), QStringLiteral("70.0"));
    QCOMPARE(c->field("ComputedLmin"), QStringLiteral("60.0"));
    QCOMPARE(c->field("ComputedDuration"), QStringLiteral("00:00:10"));
    QCOMPARE(c->field("ComputedBasis"),
             QStringLiteral("from 2 readings every 5 s; 1 paused and 1 other texts left out"));
    // The file's own fields say what the file says.
    QCOMPARE(w->field("BoardLeq"), QStringLiteral("XXX"));
    QCOMPARE(w->field("BoardSEL"), QStringLiteral("XXX"));
    QCOMPARE(w->field("BoardMaxdB"), QStringLiteral("70.0 "));

    // Every value has a name for a screen reader and can be reached by keyboard.
    for (QLabel* l : c->findChildren<QLabel*>()) {
        if (l->objectName().startsWith("Computed")) {
            QVERIFY2(!l->accessibleName().isEmpty(), qPrintable(l->objectName()));
            QVERIFY(l->focusPolicy() & Qt::TabFocus);
        }
    }
    // A screen reader's review reads each field's caption with its value in the name, and the
    // caption label names the field it stands beside.
    const std::pair<QLabel*, QString> spoken[] = {
        {c->findChild<QLabel*>("ComputedLeq"), "Computed Leq: 67.4"},
        {w->findChild<QLabel*>("BoardCA"), "Freq Weight: A"},
        {w->findChild<QLabel*>("BoardMaxTime"), "Max time: 2026/01/17 08:30:06"},
    };
    for (const auto& [label, name] : spoken)
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), name);
    QAccessibleInterface* leqValue =
        QAccessible::queryAccessibleInterface(c->findChild<QLabel*>("ComputedLeq"));
    const auto labelledBy = leqValue->relations(QAccessible::Label);
    QVERIFY(!labelledBy.isEmpty());
    QCOMPARE(labelledBy.first().first->text(QAccessible::Name), QStringLiteral("Leq"));
    // Beside the file's own fields, inside the window, clear of the list.
    const QRect group(c->mapTo(w, QPoint(0, 0)), c->size());
    const QWidget* leq = w->findChild<QLabel*>("BoardLeq");
    QVERIFY(group.left() > leq->mapTo(w, QPoint(leq->width(), 0)).x());
    QVERIFY(w->rect().contains(group));
    QVERIFY(!group.intersects(QRect(w->list()->mapTo(w, QPoint(0, 0)), w->list()->size())));
    // The line saying how has room for all of its text.
    const QLabel* basis = c->findChild<QLabel*>("ComputedBasis");
    QVERIFY(basis->height() >= basis->heightForWidth(basis->width()));
}

void TestAnalysisComputed::listFileTakesItsIntervalFromItsTimes()
{
    // No header: 10 s steps, with one 20 s gap.
    FileListWindow* w =
        open("0117083000.slmm",
             Title + line(1, "2026/01/17 08:30:00", "60.0") + line(2, "2026/01/17 08:30:10", "60.0") +
                 line(3, "2026/01/17 08:30:20", "60.0") + line(4, "2026/01/17 08:30:40", "60.0"));
    QVERIFY(w);
    QCOMPARE(w->computed()->field("ComputedBasis"),
             QStringLiteral("from 4 readings every 10 s; none left out"));
    QCOMPARE(w->computed()->field("ComputedSEL"), QStringLiteral("76.0"));

    // One record: no step, so SEL and the duration are unknown.
    w = open("one.slmm", Title + line(1, "2026/01/17 08:30:00", "60.0"));
    QCOMPARE(w->computed()->field("ComputedSEL"), QStringLiteral("unknown"));
    QCOMPARE(w->computed()->field("ComputedDuration"), QStringLiteral("unknown"));
    QCOMPARE(w->computed()->field("ComputedLeq"), QStringLiteral("60.0"));
}

void TestAnalysisComputed::computedPercentilesAgreeWithTheTable()
{
    QByteArray records;
    for (int i = 1; i <= 500; ++i) {
        const QByteArray level = i % 50 == 0   ? QByteArray("- - -")
                                 : i % 77 == 0 ? QByteArray("62.0*")
                                               : QByteArray::number(45.0 + (i * 13 % 300) / 10.0, 'f', 1);
        records += line(i, "2026/01/17 08:30:00", level.constData());
    }
    FileListWindow* w = open("logged.slmm", DataLoggerBytes + Title + records);
    QVERIFY(w);
    // The histogram view's table for the same list, at its resolution.
    const LnResult table = ComputeLnStatistics(w->records(), LnResolution::TenthDb);
    const std::pair<const char*, int> ln[] = {{"ComputedL5", 5},
                                              {"ComputedL10", 10},
                                              {"ComputedL50", 50},
                                              {"ComputedL90", 90},
                                              {"ComputedL95", 95}};
    for (const auto& [name, p] : ln)
        QCOMPARE(w->computed()->field(name), table.values[size_t(p)]);
    // The file's stored percentiles stay as stored.
    QCOMPARE(w->field("Board50"), QStringLiteral("55.5"));
    QVERIFY(w->computed()->field("ComputedL50") != QStringLiteral("55.5"));
}

void TestAnalysisComputed::damagedFileComputesWhatWasListed()
{
    m_t->dialogs.messages.clear();
    FileListWindow* w = open("damaged.slmm", RealTimeBytes + Title + line(1, "2026/01/17 08:30:00", "60.0") +
                                                 line(2, "2026/01/17 08:30:05", "70.0") + "3 no tabs\r\n" +
                                                 line(4, "2026/01/17 08:30:15", "90.0"));
    QVERIFY(w);
    QCOMPARE(m_t->dialogs.messages.size(), 1);
    QCOMPARE(w->records().recordCount(), 2);
    QCOMPARE(w->computed()->field("ComputedLeq"), QStringLiteral("67.4"));
    QCOMPARE(w->computed()->field("ComputedLmax"), QStringLiteral("70.0"));
}

void TestAnalysisComputed::exportCsvWritesTheListedRecords()
{
    FileListWindow* w = open("real.slmm", RealTimeBytes + Title + line(1, "2026/01/17 23:59:59", "60.0") +
                                              line(2, "2026/01/18 00:00:00", "--"));
    const QString target = m_dir->filePath("real.csv");
    m_t->dialogs.saveAnswers << target;
    w->toolbarClicked("Ln");
    w->findChild<QAction*>("ExportCsv")->trigger();
    QVERIFY(!w->resolutionBox()->isVisible());
    QCOMPARE(m_t->dialogs.fileFilters.last(), QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|"));
    const QByteArray csv = readAll(target);
    QCOMPARE(csv, recordListCsv(w->records()));
    QVERIFY(csv.contains("\r\n2,2026-01-18T00:00:00"));
    QVERIFY(csv.endsWith(",,below-range\r\n"));
}

QTEST_MAIN(TestAnalysisComputed)
#include "test_analysis_computed.moc"
