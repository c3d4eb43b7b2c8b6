// "Plot" on the list views of opened files, through the panel's wiring: one plot window for both
// views, filled again in place, with the panel's timers off only while a list is plotted.
#include "analysis/FileListWindow.h"
#include "analysis/OpenRecordFile.h"
#include "graphs/RecordPlotWindow.h"
#include "support/SimPanelRig.h"
#include "views/plot/Graph.h"

#include <QAction>
#include <QFile>
#include <QStandardPaths>
#include <QToolBar>
#include <QtTest>

using namespace slm;

namespace
{

SimPanelOptions wiredMeter()
{
    SimPanelOptions o;
    o.wiring = true;
    return o;
}

QByteArray recordFile(const QByteArray& kindLines, const QList<QByteArray>& levels)
{
    QByteArray bytes = kindLines + "No.s\tDate Time\tdB\t\r\n";
    for (int i = 0; i < levels.size(); ++i)
        bytes += QByteArray::number(i + 1) + "\t2026/01/17 08:30:10\t" + levels[i] + "\t\r\n";
    return bytes;
}

const QByteArray RealTimeFileStart =
    "Real Time\r\n 1 \r\nA\r\nFAST\r\n80-140\r\n 71.5 \r\n2026/01/17 08:30:06\r\nXXX\r\nXXX\r\n";
const QByteArray DataLoggerFileStart =
    "Data Logger\r\n 2 \r\nC\r\nSLOW\r\n30-90\r\n61.0\r\n60.0\r\n55.5\r\n50.0\r\n"
    "49.5\r\n70.1\r\n2026/01/17 09:00:00\r\n88.0\r\n66.6\r\n";

void pressPlot(FileListWindow* view)
{
    view->findChild<QToolBar*>(QStringLiteral("Toolbar1"))
        ->findChild<QAction*>(QStringLiteral("Plot"))
        ->trigger();
}

QStringList markers(const Graph& g)
{
    QStringList out;
    for (const Graph::Marker& m : g.markers())
        out << m.text + QString::number(m.x);
    return out;
}

} // namespace

class AppPlotTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void bothViewsPlotIntoTheOneWindow()
    {
        SimPanelRig rig(wiredMeter());
        QVERIFY(rig.start());
        QVERIFY(rig.startUp());
        const QString caption = rig.panel->windowTitle();
        auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile f(rig.dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        write("real.slmm", recordFile(RealTimeFileStart, {"60.0", "61.0*", "62.0*", "63.0"}));
        write("logged.slmm", recordFile(DataLoggerFileStart, {"50.0", "51.0*", "52.0"}));
        write("empty.slmm", recordFile(RealTimeFileStart, {}));

        QVERIFY(rig.wiring->openFile().open(rig.dir.filePath("real.slmm")));
        pressPlot(rig.wiring->openFile().realTimeView());
        RecordPlotWindow* plot = rig.wiring->plot();
        QVERIFY(plot);
        QVERIFY(plot->isVisible());
        QCOMPARE(plot->graph()->pointCount(), 4);
        QCOMPARE(markers(*plot->graph()), (QStringList{"Pause2", "Start4"}));
        QVERIFY(rig.session->livePollEnabled());
        QCOMPARE(rig.panel->windowTitle(), caption);

        QVERIFY(rig.wiring->openFile().open(rig.dir.filePath("logged.slmm")));
        pressPlot(rig.wiring->openFile().memoryDataView());
        QCOMPARE(rig.wiring->plot(), plot);
        QCOMPARE(plot->graph()->pointCount(), 3);
        QCOMPARE(markers(*plot->graph()), (QStringList{"Pause2", "Start3"}));

        // A file without records: a word, and the plot stays as it was.
        QVERIFY(rig.wiring->openFile().open(rig.dir.filePath("empty.slmm")));
        pressPlot(rig.wiring->openFile().realTimeView());
        QCOMPARE(rig.dialogs.messageTexts().last(), emptyPlotText());
        QCOMPARE(plot->graph()->pointCount(), 3);
        QVERIFY(rig.session->livePollEnabled());
        rig.panel->close();
    }
};

QTEST_MAIN(AppPlotTest)
#include "test_app_plot.moc"
