// The toolbar's "Open" and the file list views: which view a file lands in, what it shows, what
// the panel's timers and caption do around the read, how damaged and foreign files end, and files
// written by the program's own writers coming back whole.
#include "analysis/FileListWindow.h"
#include "analysis/OpenRecordFile.h"
#include "logger/DataListWindow.h"
#include "measurement/Measurement.h"
#include "measurement/RecordListModel.h"
#include "recording/Recorder.h"
#include "recording/RecorderView.h"
#include "recording/RecordingFile.h"
#include "shared/TextHelpers.h"
#include "shared/Twips.h"
#include "support/CountingPanelTimers.h"
#include "support/QuietLink.h"
#include "support/QuietRecorderView.h"
#include "support/RecordingSeries.h"
#include "support/TestServices.h"
#include "views/FileTransfer.h"
#include "views/RecordColumnView.h"
#include "views/RecordList.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

using namespace slm;

namespace
{

const QByteArray Title = "No.s\tDate Time\tdB\t\r\n";
const QByteArray RealTimeBytes =
    "Real Time\r\n 1 \r\nA\r\nFAST\r\n80-140\r\n 71.5 \r\n2026/01/17 08:30:06\r\nXXX\r\nXXX\r\n";
const QByteArray DataLoggerBytes =
    "Data Logger\r\n 2 \r\nC\r\nSLOW\r\n30-90\r\n61.0\r\n60.0\r\n55.5\r\n50.0\r\n"
    "49.5\r\n70.1\r\n2026/01/17 09:00:00\r\n88.0\r\n66.6\r\n";

QStringList texts(const RecordRow& row)
{
    return {row.number, row.dateTime, row.level};
}

QByteArray records(int n)
{
    QByteArray bytes;
    for (int i = 1; i <= n; ++i)
        bytes += QByteArray::number(i) + "\t2026/01/17 08:30:" + QByteArray::number(10 + i) + "\t6" +
                 QByteArray::number(i % 10) + ".5\t\r\n";
    return bytes;
}

using QuietView = QuietRecorderView;

} // namespace

class TestAnalysisOpen : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void kindsOpenInTheirViews();
    void kindTestOrderAndHeaderlessFiles();
    void newFileReplacesTheView();
    void damagedFileKeepsRecordsAndNamesTheLine();
    void foreignFilesEndWithAMessage();
    void refusedWhileRecordingOrCancelled();
    void programsOwnFilesComeBackWhole();
    void windowControlsAndNames();
    void resolutionBoxAndLnRequest();

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
    // Toolbar "Open" with the dialog answering `path`.
    void openAnswering(const QString& path)
    {
        m_t->dialogs.openAnswers << path;
        m_open->run();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestServices<QuietLink>> m_t;
    std::unique_ptr<CountingPanelTimers> m_timers;
    std::unique_ptr<QWidget> m_panel;
    std::unique_ptr<OpenRecordFile> m_open;
    bool m_recording = false;
};

void TestAnalysisOpen::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_t = std::make_unique<TestServices<QuietLink>>();
    m_timers = std::make_unique<CountingPanelTimers>();
    m_panel = std::make_unique<QWidget>();
    m_panel->setWindowTitle(QStringLiteral("Panel"));
    m_panel->setGeometry(40, 40, 300, 200);
    m_panel->show();
    m_recording = false;
    m_open = std::make_unique<OpenRecordFile>(m_t->services.desk(), *m_timers, m_panel.get(),
                                              [this] { return m_recording; });
}

void TestAnalysisOpen::cleanup()
{
    m_open.reset();
    m_panel.reset(); // takes the views with it
    m_timers.reset();
    m_t.reset();
    m_dir.reset();
}

void TestAnalysisOpen::kindsOpenInTheirViews()
{
    QStringList captions;
    connect(m_panel.get(), &QWidget::windowTitleChanged, this, [&](const QString& t) { captions << t; });

    openAnswering(write(QStringLiteral("real.slmm"), RealTimeBytes + Title + records(3)));
    QCOMPARE(m_t->dialogs.fileFilters.last(),
             QStringLiteral("Data Files (*.slmm)|*.slmm|All Files (*.*)|*.*|"));
    FileListWindow* real = m_open->realTimeView();
    QVERIFY(real && !m_open->memoryDataView());
    QCOMPARE(real->objectName(), QStringLiteral("FileListReal"));
    QCOMPARE(real->windowTitle(), QStringLiteral("real.slmm"));
    QVERIFY(real->isVisible());
    QCOMPARE(real->field(QStringLiteral("BoardCA")), QStringLiteral("A"));
    QCOMPARE(real->field(QStringLiteral("BoardSFI")), QStringLiteral("FAST"));
    QCOMPARE(real->field(QStringLiteral("BoardLevel")), QStringLiteral("80-140"));
    QCOMPARE(real->field(QStringLiteral("BoardMaxdB")), QStringLiteral("71.5 "));
    QCOMPARE(real->field(QStringLiteral("BoardMaxTime")), QStringLiteral("2026/01/17 08:30:06"));
    QCOMPARE(real->field(QStringLiteral("BoardSEL")), QStringLiteral("XXX"));
    QCOMPARE(real->field(QStringLiteral("BoardLeq")), QStringLiteral("XXX"));
    QCOMPARE(real->records().recordCount(), 3);
    QCOMPARE(real->records().text(3, 1), QStringLiteral("2026/01/17 08:30:13"));
    QCOMPARE(real->records().text(2, 2), QStringLiteral("62.5"));
    // Timers off for the read and on again; the panel counts the records, then gets its caption back.
    QCOMPARE(m_timers->switches, (QList<bool>{false, true}));
    QVERIFY(captions.contains(QStringLiteral("3 Records Completed")));
    QCOMPARE(m_panel->windowTitle(), QStringLiteral("Panel"));
    QVERIFY(m_t->dialogs.messages.isEmpty());
    // Beside the panel, level with its top.
    QCOMPARE(real->pos().y(), m_panel->frameGeometry().top());
    QVERIFY(real->pos().x() > m_panel->frameGeometry().left());

    openAnswering(write(QStringLiteral("logger.slmm"), DataLoggerBytes + Title + records(2)));
    FileListWindow* memory = m_open->memoryDataView();
    QVERIFY(memory);
    QCOMPARE(memory->objectName(), QStringLiteral("FileList"));
    const std::pair<const char*, const char*> fields[] = {
        {"BoardCA", "C"},        {"BoardSFI", "SLOW"},
        {"BoardLevel", "30-90"}, {"Board05", "61.0"},
        {"Board10", "60.0"},     {"Board50", "55.5"},
        {"Board90", "50.0"},     {"Board95", "49.5"},
        {"BoardMaxdB", "70.1"},  {"BoardMaxTime", "2026/01/17 09:00:00"},
        {"BoardSEL", "88.0"},    {"BoardLeq", "66.6"},
    };
    for (const auto& [name, text] : fields)
        QCOMPARE(memory->field(QString::fromLatin1(name)), QString::fromLatin1(text));
    QCOMPARE(memory->records().recordCount(), 2);
    // The real-time view stays: each kind has its own.
    QVERIFY(m_open->realTimeView() == real);

    // A list file goes to the real-time view and leaves its fields as designed (empty).
    openAnswering(write(QStringLiteral("list.slmm"), Title + records(4)));
    QVERIFY(m_open->realTimeView() != real);
    QCOMPARE(m_open->realTimeView()->records().recordCount(), 4);
    QCOMPARE(m_open->realTimeView()->field(QStringLiteral("BoardCA")), QString());

    // A header and nothing after it: the title row only.
    openAnswering(write(QStringLiteral("empty.slmm"), RealTimeBytes + Title));
    QCOMPARE(m_open->realTimeView()->records().recordCount(), 0);
    QVERIFY(m_t->dialogs.messages.isEmpty());
}

void TestAnalysisOpen::kindTestOrderAndHeaderlessFiles()
{
    // "Real Time" is looked for before "Data Logger".
    QByteArray both = RealTimeBytes + Title + records(1);
    both.replace(0, 9, "Data Logger Real Time");
    openAnswering(write(QStringLiteral("both.slmm"), both));
    QVERIFY(m_open->realTimeView() && !m_open->memoryDataView());
    QCOMPARE(m_open->realTimeView()->records().recordCount(), 1);

    // No header and no title line: the first line is listed as the first record.
    openAnswering(write(QStringLiteral("bare.slmm"), records(3)));
    QCOMPARE(m_open->realTimeView()->records().text(1, 0), QStringLiteral("1"));
    QCOMPARE(m_open->realTimeView()->records().recordCount(), 3);
    QVERIFY(m_t->dialogs.messages.isEmpty());
}

void TestAnalysisOpen::newFileReplacesTheView()
{
    QSignalSpy opened(m_open.get(), &OpenRecordFile::viewOpened);
    openAnswering(write(QStringLiteral("a.slmm"), RealTimeBytes + Title + records(5)));
    QPointer<FileListWindow> first = m_open->realTimeView();
    openAnswering(write(QStringLiteral("b.slmm"), RealTimeBytes + Title + records(2)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The old view is gone, not refilled: the new one holds only the new file.
    QVERIFY(first.isNull());
    QCOMPARE(opened.count(), 2);
    QCOMPARE(m_open->realTimeView()->windowTitle(), QStringLiteral("b.slmm"));
    QCOMPARE(m_open->realTimeView()->records().recordCount(), 2);

    // The user closes the view: the command forgets it.
    m_open->realTimeView()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_open->realTimeView());
}

void TestAnalysisOpen::damagedFileKeepsRecordsAndNamesTheLine()
{
    // Line 13 (from 1) has only two TABs.
    const QString path =
        write(QStringLiteral("damaged.slmm"),
              RealTimeBytes + Title + records(2) + "3\t2026/01/17 08:30:13\t63.5\r\n" + records(2));
    openAnswering(path);
    FileListWindow* view = m_open->realTimeView();
    QVERIFY(view);
    QCOMPARE(view->records().recordCount(), 2);
    QCOMPARE(m_t->dialogs.messages.size(), 1);
    const ScriptedDialogs::Message& m = m_t->dialogs.messages.first();
    QVERIFY2(m.text.contains(QDir::toNativeSeparators(path)), qPrintable(m.text));
    QVERIFY2(m.text.contains(QStringLiteral("Line 13")), qPrintable(m.text));
    QVERIFY2(m.text.contains(QStringLiteral("TAB")), qPrintable(m.text));
    QCOMPARE(m.icon, Dialogs::Icon::Critical);
    // However the read ended, the panel polls again and has its caption back.
    QCOMPARE(m_timers->switches, (QList<bool>{false, true}));
    QVERIFY(m_timers->livePollEnabled());
    QCOMPARE(m_panel->windowTitle(), QStringLiteral("Panel"));
}

void TestAnalysisOpen::foreignFilesEndWithAMessage()
{
    // A file that is not there: a message naming it, no view, timers untouched.
    openAnswering(m_dir->filePath(QStringLiteral("gone.slmm")));
    QCOMPARE(m_t->dialogs.messages.size(), 1);
    QVERIFY(m_t->dialogs.messages.last().text.contains(QStringLiteral("gone.slmm")));
    QVERIFY(!m_open->realTimeView() && !m_open->memoryDataView());

    // Binary bytes in a record.
    QByteArray binary = Title + records(2);
    binary += QByteArray("\x89PNG\0\0\0\rIHDR\t\t\t\r\n", 18);
    openAnswering(write(QStringLiteral("picture.slmm"), binary));
    QCOMPARE(m_t->dialogs.messages.size(), 2);
    QVERIFY2(m_t->dialogs.messages.last().text.contains(QStringLiteral("Line 4")),
             qPrintable(m_t->dialogs.messages.last().text));
    QVERIFY(m_t->dialogs.messages.last().text.contains(QStringLiteral("binary")));
    QCOMPARE(m_open->realTimeView()->records().recordCount(), 2);
    QVERIFY(m_timers->livePollEnabled());
    QCOMPARE(m_panel->windowTitle(), QStringLiteral("Panel"));
}

void TestAnalysisOpen::refusedWhileRecordingOrCancelled()
{
    m_recording = true;
    m_t->dialogs.openAnswers << write(QStringLiteral("r.slmm"), RealTimeBytes + Title + records(1));
    m_open->run();
    QCOMPARE(m_t->dialogs.messages.size(), 1);
    QCOMPARE(m_t->dialogs.messages.first().text, QStringLiteral("Recording Mode!\n\rPlease stop recording!"));
    QCOMPARE(m_t->dialogs.messages.first().icon, Dialogs::Icon::Critical);
    // Nothing else: no dialog, no view, the timers as they were.
    QCOMPARE(m_t->dialogs.openDialogs, 0);
    QVERIFY(!m_open->realTimeView());
    QVERIFY(m_timers->switches.isEmpty());

    m_recording = false;
    m_t->dialogs.openAnswers.clear();
    m_open->run(); // cancelled
    QCOMPARE(m_t->dialogs.openDialogs, 1);
    QVERIFY(!m_open->realTimeView());
    QVERIFY(m_timers->switches.isEmpty());
}

void TestAnalysisOpen::programsOwnFilesComeBackWhole()
{
    // A recording of five samples, written at its stop.
    RecordListModel panelList;
    FixedClock clock;
    QuietView view;
    Sampling sampling;
    sampling.setReading(testReading(0, QString()));
    Recorder recorder(sampling, panelList, clock, m_t->dialogs, view,
                      m_dir->filePath(QStringLiteral("work")));
    m_t->dialogs.saveAnswers << m_dir->filePath(QStringLiteral("recording.slmm"));
    recorder.setSaveMode(SaveMode::Recording);
    recorder.saveOk();
    QVERIFY(recorder.recording());
    for (int i = 0; i < 6; ++i) {
        sampling.setReading(testReading(60 + i, QString::number(60 + i) + QStringLiteral(".0")));
        clock.advance(1);
        sampling.tick(clock.now());
    }
    const int taken = recorder.file().recordCount();
    QVERIFY(taken > 0);
    recorder.stopRecording();
    openAnswering(m_dir->filePath(QStringLiteral("recording.slmm")));
    FileListWindow* recorded = m_open->realTimeView();
    QVERIFY(recorded);
    QCOMPARE(recorded->records().recordCount(), taken);
    QCOMPARE(recorded->records().text(taken, 2), QStringLiteral("65.0"));
    QCOMPARE(recorded->field(QStringLiteral("BoardMaxdB")), QStringLiteral("65.0"));
    QCOMPARE(recorded->field(QStringLiteral("BoardLevel")), QStringLiteral("30-90"));

    // The panel's list saved as it stands ("Saving List Data").
    m_t->dialogs.saveAnswers << m_dir->filePath(QStringLiteral("list.slmm"));
    recorder.setSaveMode(SaveMode::List);
    recorder.saveOk();
    openAnswering(m_dir->filePath(QStringLiteral("list.slmm")));
    QCOMPARE(m_open->realTimeView()->records().recordCount(), panelList.recordCount());
    for (int row = 1; row <= panelList.recordCount(); ++row)
        QCOMPARE(texts(m_open->realTimeView()->records().record(row)), texts(panelList.record(row)));

    // A logged set saved from its data list.
    Measurement setRecords;
    DataListWindow set(m_t->services.desk(), DataListHeader{5}, setRecords);
    set.setFields(SetFields{QStringLiteral("A"), QStringLiteral("SLOW"), QStringLiteral("50-110"),
                            QStringLiteral("90.2"), QStringLiteral("2026/01/17 10:00:00"),
                            QStringLiteral("95.0"), QStringLiteral("2026/01/17 10:00:01"),
                            QStringLiteral("70.0"), QStringLiteral("80.0")});
    for (int i = 1; i <= 40; ++i)
        set.appendRecord(RecordRow{QString::number(i), QStringLiteral("2026/01/17 10:00:00"),
                                   QString::number(50 + i % 7) + QStringLiteral(".4")});
    m_t->dialogs.saveAnswers << m_dir->filePath(QStringLiteral("set.slmm"));
    set.save();
    openAnswering(m_dir->filePath(QStringLiteral("set.slmm")));
    FileListWindow* logged = m_open->memoryDataView();
    QVERIFY(logged);
    QCOMPARE(logged->records().recordCount(), 40);
    for (int row = 1; row <= 40; ++row)
        QCOMPARE(texts(logged->records().record(row)), texts(set.model().record(row)));
    QCOMPARE(logged->field(QStringLiteral("BoardLevel")), QStringLiteral("50-110"));
    QCOMPARE(logged->field(QStringLiteral("BoardMaxdB")), QStringLiteral("90.2"));
    QCOMPARE(logged->field(QStringLiteral("Board50")), QStringLiteral("XXX"));
    QVERIFY2(m_t->dialogs.messages.isEmpty(), qPrintable(m_t->dialogs.messageTexts().join(u'|')));
}

void TestAnalysisOpen::windowControlsAndNames()
{
    Measurement memoryRecords;
    Measurement realRecords;
    FileListWindow memory(FileListWindow::View::MemoryData, memoryRecords);
    FileListWindow real(FileListWindow::View::RealTime, realRecords);
    QCOMPARE(memory.windowTitle(), QStringLiteral("File List"));
    QCOMPARE(real.windowTitle(), QStringLiteral("File List Real"));
    QCOMPARE(FileListWindow::viewFor(RecordFileKind::DataLogger), FileListWindow::View::MemoryData);
    QCOMPARE(FileListWindow::viewFor(RecordFileKind::List), FileListWindow::View::RealTime);

    const std::pair<const char*, const char*> labels[] = {
        {"SSFreq", "Freq Weight"}, {"SSTW", "Time Weight"}, {"SSSR", "Level Range"},
        {"SSMax", "Max dB"},       {"SSLeq", "Leq"},        {"SSSEL", "SEL"},
    };
    const std::pair<const char*, const char*> percentiles[] = {
        {"SS05", "L 05"}, {"SS10", "L 10"}, {"SS50", "L 50"}, {"SS90", "L 90"}, {"SS95", "L 95"},
    };
    memory.show();
    real.show();
    for (FileListWindow* w : {&memory, &real}) {
        for (const auto& [name, caption] : labels) {
            auto* l = w->findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY2(l, name);
            QCOMPARE(l->text(), QString::fromLatin1(caption));
        }
        for (const char* board :
             {"BoardCA", "BoardSFI", "BoardLevel", "BoardMaxdB", "BoardMaxTime", "BoardLeq", "BoardSEL"})
            QVERIFY2(w->findChild<QLabel*>(QString::fromLatin1(board)), board);
        for (const auto& [name, caption] : percentiles) {
            auto* l = w->findChild<QLabel*>(QString::fromLatin1(name));
            // Only the memory-data view has the stored percentile levels.
            QCOMPARE(l != nullptr, w == &memory);
            if (l)
                QCOMPARE(l->text(), QString::fromLatin1(caption));
            const QString board = QStringLiteral("Board") + QString::fromLatin1(name).mid(2);
            QCOMPARE(w->findChild<QLabel*>(board) != nullptr, w == &memory);
        }

        auto* toolbar = w->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
        QVERIFY(toolbar);
        QStringList keys, tips;
        for (QAction* a : toolbar->actions()) {
            keys << a->objectName();
            tips << a->toolTip();
        }
        QCOMPARE(keys, (QStringList{"Plot", "Ln", "Print", "PrintPreview", "ExportCsv", "Assess"}));
        QCOMPARE(tips, (QStringList{
                           w == &memory ? "Plot" : "Graphic Plot", "Histogram", "Print", "Print Preview",
                           "Export the records as CSV",
                           "Exclusions, hourly and day-evening-night levels, dose, events and the report"}));
        QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("Cmd1dB"))->text(), QStringLiteral("1 dB"));
        QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("Cmd01dB"))->text(), QStringLiteral("0.1 dB"));
        QCOMPARE(w->findChild<QGroupBox*>(QStringLiteral("SSFrame1"))->title(), QStringLiteral("Resolution"));
        QCOMPARE(w->resolutionBox()->objectName(), QStringLiteral("PicResolution"));

        // The grids: titled, side by side on one top and one height, at least the design's widths,
        // only the level grid with a scroll bar.
        const int designWidths[3] = {855, 2055, 1215};
        int right = 0;
        for (int k = 0; k < 3; ++k) {
            RecordColumnView* grid = w->list()->grid(k);
            QCOMPARE(grid->objectName(), QStringLiteral("GridN(%1)").arg(k));
            QCOMPARE(w->records().text(0, k), RecordListModel::title(k));
            QVERIFY(grid->width() >= twipsToPixels(designWidths[k], screenDpiX(w)) - 1);
            QCOMPARE(grid->scrollBarShown(), k == 2);
            const QRect r(grid->mapTo(w, QPoint(0, 0)), grid->size());
            QCOMPARE(r.top(), w->list()->grid(0)->mapTo(w, QPoint(0, 0)).y());
            QCOMPARE(r.height(), twipsToPixels(2655, screenDpiY(w)));
            QVERIFY(k == 0 || r.left() >= right - 1);
            right = r.right() + 1;
        }
    }
}

void TestAnalysisOpen::resolutionBoxAndLnRequest()
{
    openAnswering(write(QStringLiteral("ln.slmm"), DataLoggerBytes + Title + records(3)));
    FileListWindow* w = m_open->memoryDataView();
    QWidget* box = w->resolutionBox();
    QSignalSpy requested(w, &FileListWindow::lnRequested);
    QSignalSpy forwarded(m_open.get(), &OpenRecordFile::lnRequested);
    QSignalSpy plotForwarded(m_open.get(), &OpenRecordFile::plotRequested);
    auto* toolbar = w->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    auto trigger = [&](const char* key) {
        toolbar->findChild<QAction*>(QString::fromLatin1(key))->trigger();
    };

    QVERIFY(!box->isVisible()); // hidden until "Ln"
    trigger("Ln");
    QVERIFY(box->isVisible());
    trigger("Ln");
    QVERIFY(box->isVisible()); // a second "Ln" leaves it up
    trigger("Plot");
    QVERIFY(!box->isVisible());
    QCOMPARE(plotForwarded.count(), 1);
    QCOMPARE(plotForwarded.last().at(0).value<FileListWindow*>(), w);
    trigger("Ln");
    trigger("Print");
    QVERIFY(!box->isVisible());
    QCOMPARE(requested.count(), 0);

    trigger("Ln");
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Cmd1dB")), Qt::LeftButton);
    QCOMPARE(requested.count(), 1);
    QCOMPARE(requested.last().at(0).value<LnResolution>(), LnResolution::WholeDb);
    QVERIFY(!box->isVisible());
    trigger("Ln");
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Cmd01dB")), Qt::LeftButton);
    QCOMPARE(requested.last().at(0).value<LnResolution>(), LnResolution::TenthDb);
    QVERIFY(!box->isVisible());
    // The command hands the request on with the view whose records are to be counted.
    QCOMPARE(forwarded.count(), 2);
    QCOMPARE(forwarded.last().at(0).value<FileListWindow*>(), w);
    QCOMPARE(forwarded.last().at(1).value<LnResolution>(), LnResolution::TenthDb);
    QCOMPARE(w->records().recordCount(), 3);
}

QTEST_MAIN(TestAnalysisOpen)
#include "test_analysis_open.moc"
