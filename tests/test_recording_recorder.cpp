// The sampling tick and recordings end to end: scripted dialogs, a fixed clock, a temporary
// working folder, and the bytes of the files they leave.
#include "measurement/RecordListModel.h"
#include "recording/ListFeeder.h"
#include "recording/Recorder.h"
#include "recording/RecorderView.h"
#include "recording/RecordingFile.h"
#include "recording/RunningFigures.h"
#include "shared/BusyCaption.h"
#include "shared/Clock.h"
#include "support/RecordingSeries.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "views/FileTransfer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace slm;

namespace
{

// The panel as the recorder sees it: every text it was given.
struct PanelLog : RecorderView, BusyCaption {
    QString fileName, count, rec, leq, sel, maxLevel, maxTime, status, caption_ = QStringLiteral("Panel");
    bool recVisible = false, recordingLook = false, saveBox = false, samplingOption = false;
    int busyDepth = 0;
    QStringList counts;   // every LblCount text
    QStringList captions; // every panel caption
    std::function<void()> duringEvents;

    void setFileNameText(const QString& t) override { fileName = t; }
    void setCountText(const QString& t) override
    {
        count = t;
        counts << t;
    }
    void setRecText(const QString& t) override { rec = t; }
    void setRecVisible(bool v) override { recVisible = v; }
    void setSaveButtonRecording(bool r) override { recordingLook = r; }
    void setLeqText(const QString& t) override { leq = t; }
    void setSelText(const QString& t) override { sel = t; }
    void setMaxTexts(const QString& l, const QString& t) override
    {
        maxLevel = l;
        maxTime = t;
    }
    void setSaveBoxVisible(bool v) override { saveBox = v; }
    void selectSamplingOption() override { samplingOption = true; }
    BusyCaption* panelCaption() override { return this; }
    void showStatus(const QString& t) override { status = t; }
    void processPendingEvents() override
    {
        if (duringEvents)
            duringEvents();
    }
    QWidget* dialogParent() override { return nullptr; }

    QString caption() const override { return caption_; }
    void setCaption(const QString& t) override
    {
        caption_ = t;
        captions << t;
    }
    void setBusy(bool b) override { busyDepth += b ? 1 : -1; }
};

const QByteArray Title = "No.s\tDate Time\tdB\t\r\n";

} // namespace

class TestRecordsRecorder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void recordingGoldenBytesAndFlushedLines();
    void stopRightAfterStart();
    void listSaveGoldenAndNeverSetMaximum();
    void samplingIntervals();
    void secondRecordingHasItsOwnMaximum();
    void runningLeqAndSelSinceTheLastClearing();
    void recordLimitEndsRecordingAndListGoesOn();
    void linkLostWritesEveryRecord();
    void writeFailuresNameTheFileAndKeepRecords();
    void toolbarSaveAndRefresh();
    void signalsFollowEachSample();
    void linkLostEndsTheRecordingOnce();
    void cancelledChoiceStartsNothing();

private:
    void makeRecorder(int recordLimit);
    void setLevel(double level, const QString& text) { m_sampling->setReading(testReading(level, text)); }
    // One tick with no time passing and no level: the countdown reaches 1, so the next tick samples.
    void armSampling()
    {
        m_sampling->tick(m_clock.now());
        QCOMPARE(m_sampling->countdown(), 1);
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            m_clock.advance(1);
            m_sampling->tick(m_clock.now());
        }
    }
    void startRecording(const QString& file)
    {
        m_dialogs.saveAnswers << m_dir->filePath(file);
        m_recorder->setSaveMode(SaveMode::Recording);
        m_recorder->saveOk();
    }
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Sampling> m_sampling;
    std::unique_ptr<RecordListModel> m_list;
    std::unique_ptr<PanelLog> m_view;
    std::unique_ptr<Recorder> m_recorder;
    ScriptedDialogs m_dialogs;
    FixedClock m_clock;
    int m_trendSamples = 0;
    int m_graphClears = 0;
};

void TestRecordsRecorder::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sampling = std::make_unique<Sampling>();
    setLevel(0, QString());
    m_list = std::make_unique<RecordListModel>();
    m_view = std::make_unique<PanelLog>();
    m_dialogs = ScriptedDialogs();
    m_clock.set(QDateTime(QDate(2026, 1, 17), QTime(8, 30, 0)));
    m_trendSamples = m_graphClears = 0;
    makeRecorder(3);
}

void TestRecordsRecorder::makeRecorder(int recordLimit)
{
    // A working folder that does not exist yet: the recorder makes it.
    m_recorder = std::make_unique<Recorder>(*m_sampling, *m_list, m_clock, m_dialogs, *m_view, path("work"),
                                            recordLimit);
    connect(m_recorder.get(), &Recorder::levelsUpdated, this, [this] { ++m_trendSamples; });
    connect(m_recorder.get(), &Recorder::listRefreshed, this, [this] { ++m_graphClears; });
}

void TestRecordsRecorder::cleanup()
{
    m_recorder.reset();
}

void TestRecordsRecorder::recordingGoldenBytesAndFlushedLines()
{
    makeRecorder(RecordLimit);
    startRecording("rec.slmm");
    QVERIFY(m_recorder->recording());
    QVERIFY(m_view->recVisible && m_view->recordingLook);
    QCOMPARE(m_view->fileName, QStringLiteral("rec.slmm"));

    setLevel(65.3, "65.3");
    ticks(2); // countdown 0 -> 1, then the first sample at 08:30:02
    // On disk when the tick ends.
    QCOMPARE(readAll(m_recorder->file().fakePath()), Title + "1\t2026/01/17 08:30:02\t65.3\t\r\n");
    QCOMPARE(m_view->count, QStringLiteral("1"));
    QCOMPARE(m_view->rec, QStringLiteral("Rec"));
    setLevel(71.5, "71.5*");
    ticks(1);
    setLevel(60.0, "60.0");
    ticks(1);
    QCOMPARE(m_recorder->file().maxText(), QStringLiteral("71.5*"));

    m_recorder->toolbarSave();
    QVERIFY(!m_recorder->recording());
    QVERIFY(!m_view->recVisible && !m_view->recordingLook);
    QVERIFY(m_recorder->file().filePath().isEmpty());
    QCOMPARE(m_view->count, QString());
    QCOMPARE(m_view->fileName, QString());
    QCOMPARE(m_recorder->file().recordCount(), 0);
    QCOMPARE(readAll(path("rec.slmm")), QByteArray("Real Time\r\n 1 \r\nA\r\nFAST\r\n30-90\r\n71.5*\r\n"
                                                   "2026/01/17 08:30:03\r\nXXX\r\nXXX\r\n") +
                                            Title +
                                            "1\t2026/01/17 08:30:02\t65.3\t\r\n"
                                            "2\t2026/01/17 08:30:03\t71.5*\t\r\n"
                                            "3\t2026/01/17 08:30:04\t60.0\t\r\n");
    // The list holds the same samples, with the marker.
    QCOMPARE(m_list->recordCount(), 3);
    QCOMPARE(m_list->text(2, 2), QStringLiteral("71.5*"));
    QCOMPARE(m_view->maxLevel, QStringLiteral("71.5*"));
    QCOMPARE(m_view->leq, QStringLiteral("63.4"));
    QCOMPARE(m_trendSamples, 3);
}

void TestRecordsRecorder::stopRightAfterStart()
{
    startRecording("empty.slmm");
    m_recorder->stopRecording();
    const QByteArray bytes = readAll(path("empty.slmm"));
    QCOMPARE(bytes, QByteArray("Real Time\r\n 1 \r\nA\r\nFAST\r\n30-90\r\n0\r\n\r\nXXX\r\nXXX\r\n") + Title);
    QCOMPARE(bytes.count("\r\n"), 10);
}

void TestRecordsRecorder::listSaveGoldenAndNeverSetMaximum()
{
    // Before the first tick: no maximum, no Leq or SEL text yet.
    m_dialogs.saveAnswers << path("list0.slmm");
    m_recorder->setSaveMode(SaveMode::List);
    m_recorder->saveOk();
    QCOMPARE(readAll(path("list0.slmm")),
             QByteArray("Real Time\r\n 1 \r\nA\r\nFAST\r\n30-90\r\n 0 \r\n\r\n\r\n\r\n") + Title);
    QVERIFY(m_recorder->file().filePath().isEmpty());
    QCOMPARE(m_view->busyDepth, 0);
    QCOMPARE(m_view->caption_, QStringLiteral("Panel"));

    setLevel(65.3, "65.3");
    ticks(2);
    setLevel(66.0, "66.0*");
    ticks(1);
    m_dialogs.saveAnswers << path("list.slmm");
    m_recorder->saveOk();
    QCOMPARE(readAll(path("list.slmm")), QByteArray("Real Time\r\n 1 \r\nA\r\nFAST\r\n30-90\r\n 66 \r\n"
                                                    "2026/01/17 08:30:03\r\nXXX\r\nXXX\r\n") +
                                             Title +
                                             "1\t2026/01/17 08:30:02\t65.3\t\r\n"
                                             "2\t2026/01/17 08:30:03\t66.0*\t\r\n");
    QVERIFY(m_view->captions.contains(QStringLiteral("2Records Completed")));
    // A cancelled dialog writes nothing.
    m_recorder->saveOk();
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
}

void TestRecordsRecorder::samplingIntervals()
{
    makeRecorder(RecordLimit);
    armSampling();
    setLevel(50.0, "50.0");
    ticks(4);
    QCOMPARE(m_list->recordCount(), 4);

    // A new interval of 5 (countdown 0): the first sample on the 6th tick, then every 5th.
    m_sampling->setInterval(5);
    ticks(5);
    QCOMPARE(m_list->recordCount(), 4);
    ticks(1);
    QCOMPARE(m_list->recordCount(), 5);
    QCOMPARE(m_list->text(5, 1), QStringLiteral("2026/01/17 08:30:10"));
    ticks(4);
    QCOMPARE(m_list->recordCount(), 5);
    ticks(1);
    QCOMPARE(m_list->recordCount(), 6);
    QCOMPARE(m_trendSamples, 6);
}

void TestRecordsRecorder::secondRecordingHasItsOwnMaximum()
{
    makeRecorder(RecordLimit);
    startRecording("one.slmm");
    setLevel(80.2, "80.2");
    ticks(2);
    m_recorder->stopRecording();
    QCOMPARE(readAll(path("one.slmm")).split('\n')[5], QByteArray("80.2\r"));

    // Quieter, without a "Refresh" between: the file names its own maximum and its time, which
    // it holds, not the 80.2 of the first recording.
    startRecording("two.slmm");
    QCOMPARE(m_recorder->file().maxText(), QStringLiteral("0"));
    setLevel(70.0, "70.0");
    ticks(2);
    m_recorder->stopRecording();
    const QList<QByteArray> lines = readAll(path("two.slmm")).split('\n');
    QCOMPARE(lines[5], QByteArray("70.0\r"));
    QCOMPARE(lines[6], QByteArray("2026/01/17 08:30:03\r"));
    QVERIFY(lines.contains(QByteArray("1\t2026/01/17 08:30:03\t70.0\t\r")));

    // One stopped right after its start has seen no level at all.
    startRecording("three.slmm");
    m_recorder->stopRecording();
    QCOMPARE(readAll(path("three.slmm")).split('\n').mid(5, 2), (QList<QByteArray>{"0\r", "\r"}));
}

void TestRecordsRecorder::runningLeqAndSelSinceTheLastClearing()
{
    makeRecorder(RecordLimit);
    QSignalSpy samples(m_recorder.get(), &Recorder::levelsUpdated);
    armSampling();
    QCOMPARE(m_view->leq, QStringLiteral("XXX"));
    setLevel(60.0, "60.0");
    ticks(1);
    QCOMPARE(m_view->leq, QStringLiteral("60.0"));
    QCOMPARE(m_view->sel, QStringLiteral("60.0"));
    setLevel(70.0, "70.0");
    ticks(1);
    // The trends get the values that include the sample itself.
    QCOMPARE(samples.last()[1].toString(), QStringLiteral("67.4"));
    QCOMPARE(samples.last()[2].toString(), QStringLiteral("70.4"));
    QCOMPARE(m_view->leq, QStringLiteral("67.4"));
    // Paused readings and a lost level are listed but left out.
    setLevel(99.0, "99.0*");
    ticks(1);
    setLevel(0, "");
    ticks(1);
    QCOMPARE(m_recorder->figures().leqText(), QStringLiteral("67.4"));
    QCOMPARE(m_recorder->figures().selText(), QStringLiteral("70.4"));

    // "Refresh" starts afresh: "XXX" until the next level sample, then that sample alone.
    m_recorder->refresh();
    QCOMPARE(m_view->leq, QStringLiteral("XXX"));
    QCOMPARE(m_view->sel, QStringLiteral("XXX"));
    setLevel(50.0, "50.0");
    ticks(1);
    QCOMPARE(m_view->leq, QStringLiteral("50.0"));
    QCOMPARE(m_view->sel, QStringLiteral("50.0"));
    // At 5 s a sample stands for five seconds of exposure.
    m_sampling->setInterval(5);
    ticks(6);
    QCOMPARE(m_view->sel, QString::number(10 * std::log10(1e5 + 5e5), 'f', 1));

    // A lost link clears them too.
    m_recorder->onLinkLost();
    QCOMPARE(m_recorder->figures().leqText(), QStringLiteral("XXX"));

    // Record files keep "XXX" in their Leq and SEL lines.
    setLevel(65.0, "65.0");
    ticks(6);
    QCOMPARE(m_recorder->figures().leqText(), QStringLiteral("65.0"));
    m_dialogs.saveAnswers << path("list.slmm");
    m_recorder->setSaveMode(SaveMode::List);
    m_recorder->saveOk();
    QCOMPARE(readAll(path("list.slmm")).split('\n').mid(7, 2), (QList<QByteArray>{"XXX\r", "XXX\r"}));
}

void TestRecordsRecorder::recordLimitEndsRecordingAndListGoesOn()
{
    // The limit is 3 here.
    startRecording("limit.slmm");
    armSampling();
    setLevel(60.0, "60.0");
    ticks(3);
    QVERIFY(!m_recorder->recording());
    QVERIFY(!m_view->recordingLook);
    QCOMPARE(m_view->rec, QString());
    QCOMPARE(m_view->fileName, QStringLiteral("limit.slmm")); // the next sample empties it
    const QByteArray file = readAll(path("limit.slmm"));
    QVERIFY(file.endsWith("3\t2026/01/17 08:30:03\t60.0\t\r\n"));
    QCOMPARE(file.count("\r\n"), 9 + 1 + 3);
    QCOMPARE(m_list->recordCount(), 3);

    // The 4th sample: not recorded, and the full list goes to a file of its own first.
    ticks(1);
    QCOMPARE(m_view->fileName, QString());
    QCOMPARE(readAll(path("limit.slmm")), file);
    const QString listFile = path("work/0117083004.slmm");
    QCOMPARE(readAll(listFile), Title + "1\t2026/01/17 08:30:01\t60.0\t\r\n"
                                        "2\t2026/01/17 08:30:02\t60.0\t\r\n"
                                        "3\t2026/01/17 08:30:03\t60.0\t\r\n");
    QVERIFY(m_view->status.contains(QDir::toNativeSeparators(listFile)));
    QVERIFY(m_view->captions.contains(QStringLiteral("3 Records Completed")));
    QCOMPARE(m_view->caption_, QStringLiteral("Panel"));
    // Saved once; the list goes on from row 1 with this sample.
    QCOMPARE(m_list->recordCount(), 1);
    QCOMPARE(m_recorder->feeder().count(), 1);
    QCOMPARE(m_list->text(1, 1), QStringLiteral("2026/01/17 08:30:04"));
    ticks(2);
    QCOMPARE(QDir(path("work")).entryList({"*.slmm"}).size(), 1);
    QCOMPARE(m_list->recordCount(), 3);
    // Full again: the next file, and the list starts over once more.
    ticks(1);
    QCOMPARE(QDir(path("work")).entryList({"*.slmm"}).size(), 2);
    QCOMPARE(m_list->recordCount(), 1);
}

void TestRecordsRecorder::linkLostWritesEveryRecord()
{
    makeRecorder(RecordLimit);
    setLevel(90.0, "90.0");
    ticks(1);
    startRecording("lost.slmm");
    ticks(4);
    QCOMPARE(m_recorder->file().recordCount(), 4);
    m_recorder->onLinkLost();
    QVERIFY(!m_recorder->recording());
    QVERIFY(!m_view->recordingLook);
    const QByteArray file = readAll(path("lost.slmm"));
    QVERIFY(file.startsWith("Real Time\r\n"));
    QCOMPARE(file.count("\r\n"), 9 + 1 + 4);
    QVERIFY(file.endsWith("4\t2026/01/17 08:30:05\t90.0\t\r\n"));
    QCOMPARE(m_recorder->figures().maxLevel(), 0.0);
    QCOMPARE(m_recorder->file().maxText(), QStringLiteral("0"));
    QCOMPARE(m_recorder->file().recordCount(), 0);
    QCOMPARE(m_recorder->feeder().count(), 0);
    QCOMPARE(m_list->rows(), 1);
    QVERIFY(m_dialogs.messages.isEmpty());
}

void TestRecordsRecorder::writeFailuresNameTheFileAndKeepRecords()
{
    makeRecorder(RecordLimit);
    // The chosen folder is gone by the stop: the message names the file, "Fake" keeps the records.
    QDir().mkpath(path("gone"));
    startRecording("gone/rec.slmm");
    setLevel(61.0, "61.0");
    ticks(3);
    QDir(path("gone")).removeRecursively();
    m_recorder->stopRecording();
    QVERIFY(!m_recorder->recording());
    QCOMPARE(m_dialogs.messages.size(), 1);
    QVERIFY(m_dialogs.messages[0].text.contains(QDir::toNativeSeparators(path("gone/rec.slmm"))));
    QVERIFY(m_dialogs.messages[0].text.contains(QStringLiteral("Fake")));
    QCOMPARE(readAll(m_recorder->file().fakePath()).count("\r\n"), 1 + 2);

    // A list save over an existing file that fails leaves it as it was.
    QFile::copy(m_recorder->file().fakePath(), path("keep.slmm"));
    const QByteArray kept = readAll(path("keep.slmm"));
    m_dialogs.saveAnswers << path("nowhere/list.slmm");
    m_recorder->setSaveMode(SaveMode::List);
    m_recorder->saveOk();
    QCOMPARE(m_dialogs.messages.size(), 2);
    QVERIFY(m_dialogs.messages[1].text.contains(QStringLiteral("nowhere")));
    QCOMPARE(readAll(path("keep.slmm")), kept);

    // "Fake" cannot be written: no recording starts, and the message says which file.
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        QFile::remove(m_recorder->file().fakePath());
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), m_recorder->file().fakePath()));
        startRecording("never.slmm");
        QVERIFY(!m_recorder->recording());
        QVERIFY(!m_view->recordingLook);
        QVERIFY(m_recorder->file().filePath().isEmpty());
        QCOMPARE(m_dialogs.messages.size(), 3);
        QVERIFY(m_dialogs.messages[2].text.contains(QDir::toNativeSeparators(m_recorder->file().fakePath())));
        QVERIFY(!QFile::exists(path("never.slmm")));
    }
}

void TestRecordsRecorder::toolbarSaveAndRefresh()
{
    m_recorder->toolbarSave();
    QVERIFY(m_view->saveBox && m_view->samplingOption);
    QCOMPARE(m_recorder->saveMode(), SaveMode::Recording);
    QCOMPARE(m_dialogs.saveDialogs, 0);

    startRecording("r.slmm");
    QVERIFY(!m_view->saveBox);
    setLevel(70.0, "70.0");
    ticks(2);
    // Refresh during a recording: the list empties, the records go on numbering.
    m_recorder->refresh();
    QCOMPARE(m_list->rows(), 1);
    QCOMPARE(m_recorder->figures().maxLevel(), 0.0);
    QCOMPARE(m_graphClears, 1);
    ticks(1);
    QVERIFY(m_recorder->recording());
    QCOMPARE(m_recorder->file().recordCount(), 2);
    QCOMPARE(m_list->text(1, 0), QStringLiteral("1"));
    // OK while recording does nothing but hide the box.
    m_recorder->saveOk();
    QCOMPARE(m_dialogs.saveDialogs, 1);
    m_recorder->toolbarSave();
    QVERIFY(!m_recorder->recording());
    QVERIFY(readAll(path("r.slmm")).endsWith("2\t2026/01/17 08:30:03\t70.0\t\r\n"));
}

void TestRecordsRecorder::signalsFollowEachSample()
{
    makeRecorder(RecordLimit);
    QSignalSpy samples(m_recorder.get(), &Recorder::levelsUpdated);
    QSignalSpy refreshed(m_recorder.get(), &Recorder::listRefreshed);
    QSignalSpy recording(m_recorder.get(), &Recorder::recordingChanged);
    // Each sample is announced once its list row and its record are in place.
    QList<std::pair<int, int>> seen; // list rows and records at each announcement
    connect(m_recorder.get(), &Recorder::levelsUpdated, this, [this, &seen] {
        seen.append({m_list->recordCount(), m_recorder->file().recordCount()});
    });

    startRecording("signals.slmm");
    QCOMPARE(recording.size(), 1);
    QCOMPARE(recording[0][0].toBool(), true);
    setLevel(65.3, "65.3");
    ticks(1); // the countdown only
    QCOMPARE(samples.size(), 0);
    ticks(1);
    QCOMPARE(samples.size(), 1);
    QCOMPARE(samples[0][0].toDouble(), 65.3);
    QCOMPARE(samples[0][1].toString(), QStringLiteral("65.3"));
    QCOMPARE(samples[0][2].toString(), QStringLiteral("65.3"));
    QCOMPARE(m_recorder->figures().leqText(), QStringLiteral("65.3"));
    QCOMPARE(m_recorder->figures().selText(), QStringLiteral("65.3"));
    setLevel(70.1, "70.1");
    ticks(1);
    QCOMPARE(samples.size(), 2);
    QCOMPARE(samples[1][0].toDouble(), 70.1);
    QCOMPARE(seen, (QList<std::pair<int, int>>{{1, 1}, {2, 2}}));
    QCOMPARE(m_recorder->lastSampleTime(), QStringLiteral("2026/01/17 08:30:03"));
    QCOMPARE(m_recorder->figures().maxTime(), QStringLiteral("2026/01/17 08:30:03"));
    QCOMPARE(m_recorder->file().maxTime(), QStringLiteral("2026/01/17 08:30:03"));

    // "Refresh" announces itself once and takes no sample; the recording goes on.
    m_recorder->refresh();
    QCOMPARE(refreshed.size(), 1);
    QCOMPARE(samples.size(), 2);
    QCOMPARE(recording.size(), 1);

    m_recorder->toolbarSave();
    QCOMPARE(recording.size(), 2);
    QCOMPARE(recording[1][0].toBool(), false);
    // A stop when none runs says nothing.
    m_recorder->stopRecording();
    QCOMPARE(recording.size(), 2);
    QCOMPARE(refreshed.size(), 1);
}

void TestRecordsRecorder::linkLostEndsTheRecordingOnce()
{
    makeRecorder(RecordLimit);
    QSignalSpy recording(m_recorder.get(), &Recorder::recordingChanged);
    QSignalSpy refreshed(m_recorder.get(), &Recorder::listRefreshed);
    setLevel(72.0, "72.0");
    startRecording("lost.slmm");
    ticks(3);
    QCOMPARE(m_list->recordCount(), 2);
    // The file is written before anything is reset: the list still has its rows during the copy.
    QList<int> rowsDuringCopy;
    m_view->duringEvents = [&] { rowsDuringCopy << m_list->recordCount(); };

    m_recorder->onLinkLost();
    QCOMPARE(rowsDuringCopy, QList<int>{2});
    QCOMPARE(recording.size(), 2);
    QCOMPARE(recording[1][0].toBool(), false);
    QVERIFY(!m_recorder->recording());
    QVERIFY(!m_view->recVisible);
    QCOMPARE(m_view->fileName, QString());
    QVERIFY(m_recorder->file().filePath().isEmpty());
    const QByteArray file = readAll(path("lost.slmm"));
    QVERIFY(file.startsWith("Real Time\r\n 1 \r\nA\r\nFAST\r\n30-90\r\n72.0\r\n"));
    QVERIFY(file.endsWith("2\t2026/01/17 08:30:03\t72.0\t\r\n"));
    QCOMPARE(m_recorder->figures().maxLevel(), 0.0);
    QCOMPARE(m_recorder->file().maxText(), QStringLiteral("0"));
    QCOMPARE(m_recorder->file().recordCount(), 0);
    QCOMPARE(m_recorder->feeder().count(), 0);
    QCOMPARE(m_list->rows(), 1);
    // The graphs have a clearing of their own for a lost link.
    QCOMPARE(refreshed.size(), 0);

    // Lost again before any reading: nothing is stopped or written twice.
    QFile::remove(path("lost.slmm"));
    m_recorder->onLinkLost();
    QCOMPARE(recording.size(), 2);
    QCOMPARE(rowsDuringCopy.size(), 1);
    QVERIFY(!QFile::exists(path("lost.slmm")));
    QVERIFY(m_dialogs.messages.isEmpty());

    // Back again: the list and the records number from 1, the maxima start from the new levels.
    setLevel(55.0, "55.0");
    startRecording("again.slmm");
    ticks(1); // the countdown goes on from the last sample
    QCOMPARE(m_list->text(1, 0), QStringLiteral("1"));
    QCOMPARE(m_recorder->file().recordCount(), 1);
    QCOMPARE(m_recorder->file().maxText(), QStringLiteral("55.0"));
    QCOMPARE(m_recorder->figures().maxLevel(), 55.0);
}

void TestRecordsRecorder::cancelledChoiceStartsNothing()
{
    QSignalSpy recording(m_recorder.get(), &Recorder::recordingChanged);
    m_recorder->setSaveMode(SaveMode::Recording);
    m_recorder->saveOk(); // no answer queued: the dialog is cancelled
    QCOMPARE(m_dialogs.saveDialogs, 1);
    QVERIFY(!m_recorder->recording());
    QCOMPARE(recording.size(), 0);
    QCOMPARE(m_view->fileName, QString());
    QVERIFY(!QFile::exists(m_recorder->file().fakePath()));
    setLevel(60.0, "60.0");
    ticks(2);
    QCOMPARE(m_recorder->file().recordCount(), 0);
    QCOMPARE(m_view->rec, QString());

    // A choice cancelled elsewhere (the data list's "Save") leaves the running recording's file.
    startRecording("mine.slmm");
    QCOMPARE(m_recorder->file().filePath(), path("mine.slmm"));
    QVERIFY(!ChooseRecordFile(m_dialogs, nullptr).has_value());
    ticks(1);
    m_recorder->stopRecording();
    QVERIFY(readAll(path("mine.slmm")).endsWith("1\t2026/01/17 08:30:03\t60.0\t\r\n"));
}

QTEST_GUILESS_MAIN(TestRecordsRecorder)
#include "test_recording_recorder.moc"
