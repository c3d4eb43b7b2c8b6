// Recording through the panel's own controls against the simulated meter.
#include "analysis/FileListWindow.h"
#include "analysis/HistogramWindow.h"
#include "analysis/OpenRecordFile.h"
#include "graphs/LiveTrends.h"
#include "graphs/PanelGraphs.h"
#include "measurement/RecordListModel.h"
#include "recording/Recorder.h"
#include "shared/ClickableLabel.h"
#include "support/SimPanelRig.h"
#include "views/plot/Graph.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QtTest>
#include <cmath>

using namespace slm;

namespace
{
SimPanelOptions recordingMeter()
{
    SimPanelOptions o;
    o.sim.level = 66.6;
    o.wiring = true;
    return o;
}

struct Rig : SimPanelRig {
    Rig() : SimPanelRig(recordingMeter()) { QVERIFY(start()); }
    Recorder& recorder() { return wiring->recorder(); }
    QStringList fileLines(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray all = f.readAll();
        if (!all.endsWith("\r\n"))
            return {QStringLiteral("<no CR LF at the end>")};
        QStringList lines = QString::fromLatin1(all).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    void startRecording(const QString& path)
    {
        dialogs.saveAnswers.enqueue(path);
        tool("Save")->trigger();
        QVERIFY(!panel->widgets().picSave->isHidden());
        QVERIFY(panel->widgets().optSampling->isChecked());
        panel->widgets().cmdSaveOK->click();
        QVERIFY(recorder().recording());
    }
};
} // namespace

class RecordingPanelTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void recordingWritesARealTimeFileByteForByte()
    {
        Rig rig;
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.session->reading().LevelText, QStringLiteral("66.6"), 3000);
        const QString path = rig.dir.filePath("rec.slmm");
        rig.startRecording(path);
        QCOMPARE(rig.tool("Save")->toolTip(), QStringLiteral("Stop Recording"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().recordCount() >= 3, 6000);
        rig.tool("Save")->trigger();
        QVERIFY(!rig.recorder().recording());
        QCOMPARE(rig.tool("Save")->toolTip(), QStringLiteral("Save As"));

        const QStringList lines = rig.fileLines(path);
        QVERIFY(lines.size() >= 13);
        QCOMPARE(lines.mid(0, 5), (QStringList{"Real Time", " 1 ", "A", "FAST", "50-110"}));
        QCOMPARE(lines[5], QStringLiteral("66.6"));
        QVERIFY(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$").match(lines[6]).hasMatch());
        QCOMPARE(lines.mid(7, 3), (QStringList{"XXX", "XXX", "No.s\tDate Time\tdB\t"}));
        const QRegularExpression record("^(\\d+)\t\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\t66\\.6\t$");
        for (int i = 10; i < lines.size(); ++i) {
            const auto m = record.match(lines[i]);
            QVERIFY2(m.hasMatch(), qPrintable(lines[i]));
            QCOMPARE(m.captured(1).toInt(), i - 9);
        }
        rig.panel->close();
    }

    void lostLinkWritesEveryRecordTaken()
    {
        Rig rig;
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.session->reading().LevelText, QStringLiteral("66.6"), 3000);
        const QString path = rig.dir.filePath("lost.slmm");
        rig.startRecording(path);
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().recordCount() >= 3, 6000);
        rig.meter.setSilent(true);
        const int taken = rig.recorder().recordCount();
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel->widgets().lblCOM->text(), QStringLiteral("No COM"), 3000);
        QVERIFY(!rig.recorder().recording());
        QCOMPARE(rig.wiring->listModel().recordCount(), 0);
        // The recorder's counts and maxima start afresh with the meter's return.
        QCOMPARE(rig.recorder().recordCount(), 0);
        QCOMPARE(rig.recorder().listCount(), 0);
        QCOMPARE(rig.recorder().overallMax(), 0.0);
        QCOMPARE(rig.recorder().recordingMax(), QStringLiteral("0"));

        const QStringList lines = rig.fileLines(path);
        QVERIFY2(lines.size() >= 10 + taken, qPrintable(QString::number(lines.size())));
        QCOMPARE(lines[0], QStringLiteral("Real Time"));
        QCOMPARE(lines[9], QStringLiteral("No.s\tDate Time\tdB\t"));
        QVERIFY(lines.last().startsWith(QString::number(lines.size() - 10) + u'\t'));
        rig.panel->close();
    }

    void openRefusedWhileRecordingThenListsTheRecording()
    {
        Rig rig;
        QVERIFY(rig.startUp());
        QTRY_COMPARE_WITH_TIMEOUT(rig.session->reading().LevelText, QStringLiteral("66.6"), 3000);
        const QString path = rig.dir.filePath("reopen.slmm");
        rig.startRecording(path);
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().recordCount() >= 2, 5000);
        rig.dialogs.openAnswers.enqueue(path);
        rig.tool("Open")->trigger();
        QCOMPARE(rig.dialogs.messageTexts(),
                 QStringList{QStringLiteral("Recording Mode!\n\rPlease stop recording!")});
        QCOMPARE(rig.dialogs.openDialogs, 0);
        QVERIFY(rig.recorder().recording());
        rig.tool("Save")->trigger();
        const int taken = static_cast<int>(rig.fileLines(path).size()) - 10;

        rig.tool("Open")->trigger();
        FileListWindow* view = rig.wiring->openFile().realTimeView();
        QVERIFY(view);
        QCOMPARE(view->windowTitle(), QStringLiteral("reopen.slmm"));
        QCOMPARE(view->records().recordCount(), taken);
        QCOMPARE(view->records().text(taken, 2), QStringLiteral("66.6"));
        QCOMPARE(view->field(QStringLiteral("BoardLevel")), QStringLiteral("50-110"));
        // The panel polls again with its own caption.
        QVERIFY(rig.session->livePollEnabled() && rig.session->samplingTickEnabled());
        QVERIFY(!rig.panel->windowTitle().contains(QStringLiteral("Completed")));

        // "Ln", "0.1 dB": every record of the recording held 66.6 dB, so each percentile is 66.6.
        view->toolbarClicked(QStringLiteral("Ln"));
        QVERIFY(view->resolutionBox()->isVisible());
        view->findChild<QPushButton*>(QStringLiteral("Cmd01dB"))->click();
        HistogramWindow* histogram = rig.wiring->histogram();
        QVERIFY(histogram);
        QVERIFY(!view->resolutionBox()->isVisible());
        QCOMPARE(view->windowTitle(), QStringLiteral("reopen.slmm"));
        QTableWidget* table = histogram->table();
        QVERIFY(table->rowCount() >= 10);
        QCOMPARE(table->item(0, 1)->text().trimmed(), QStringLiteral("66.6"));
        QCOMPARE(table->item(9, 10)->text().trimmed(), QStringLiteral("66.6"));
        QVERIFY(rig.session->livePollEnabled() && rig.session->samplingTickEnabled());
        rig.panel->close();
    }

    void refreshEmptiesTheGraphsAndTheListButNotTheRecording()
    {
        Rig rig;
        QVERIFY(rig.startUp());
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().listCount() >= 2, 5000);
        QVERIFY(rig.wiring->graphs().graph(PanelGraphs::Which::Level)->pointCount() > 0);
        rig.startRecording(rig.dir.filePath("refresh.slmm"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().recordCount() >= 1, 3000);
        const int records = rig.recorder().recordCount();
        rig.tool("Refresh")->trigger();
        QCOMPARE(rig.wiring->listModel().recordCount(), 0);
        QCOMPARE(rig.wiring->trends().writeIndex(), 0);
        for (auto which : {PanelGraphs::Which::Level, PanelGraphs::Which::Leq, PanelGraphs::Which::Sel,
                           PanelGraphs::Which::IntHistogram, PanelGraphs::Which::DecHistogram})
            QCOMPARE(rig.wiring->graphs().graph(which)->pointCount(), 0);
        QVERIFY(rig.recorder().recording());
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().recordCount() > records, 3000);
        rig.tool("Save")->trigger();
        rig.panel->close();
    }

    void panelLeqAndSelRunSinceTheLastClearing()
    {
        Rig rig;
        QVERIFY(rig.startUp());
        QLabel* leq = rig.panel->widgets().boardLeq;
        QLabel* sel = rig.panel->widgets().boardSEL;
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().listCount() >= 3, 6000);
        // A steady 66.6 dB: the Leq is the level, the SEL grows by 10 lg n over n seconds. A sample
        // taken before the first frame arrived has no level and is left out.
        const RecordListModel& list = rig.wiring->listModel();
        int n = 0;
        for (int row = 1; row <= list.recordCount(); ++row)
            n += list.text(row, 2) == u"66.6";
        QVERIFY(n >= 2);
        QCOMPARE(leq->text(), QStringLiteral("66.6"));
        QCOMPARE(sel->text(), QString::number(66.6 + 10 * std::log10(double(n)), 'f', 1));
        // The trends chart the values, not a flat 0.
        const LiveTrends& trends = rig.wiring->trends();
        QCOMPARE(trends.leqTrend()[size_t(list.recordCount() - 1)], 66.6);
        QCOMPARE(trends.selTrend()[size_t(list.recordCount() - 1)], sel->text().toDouble());
        QVERIFY(rig.wiring->graphs().graph(PanelGraphs::Which::Sel)->pointCount() >= n);

        rig.tool("Refresh")->trigger();
        QCOMPARE(leq->text(), QStringLiteral("XXX"));
        QCOMPARE(sel->text(), QStringLiteral("XXX"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().listCount() >= 1, 3000);
        QCOMPARE(leq->text(), QStringLiteral("66.6"));
        QCOMPARE(sel->text(),
                 QString::number(66.6 + 10 * std::log10(double(rig.recorder().listCount())), 'f', 1));

        // "Export CSV" of the panel's list.
        const QString csv = rig.dir.filePath("panel.csv");
        rig.dialogs.saveAnswers.enqueue(csv);
        QAction* exportCsv = rig.panel->findChild<QAction*>(QStringLiteral("ExportCsv"));
        QVERIFY(exportCsv);
        exportCsv->trigger();
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("number,time,level,flag\r\n1,"));
        QVERIFY(bytes.contains(",66.6,\r\n"));
        rig.panel->close();
    }
};

QTEST_MAIN(RecordingPanelTest)
#include "test_app_recording.moc"
