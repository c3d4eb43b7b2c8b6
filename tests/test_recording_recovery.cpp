// A recording that never stopped: the note beside "Fake", what the next start finds, and the
// file it saves. The crashes are real: a recording in a child process killed with SIGKILL.
#include "app/RecoveryOffer.h"
#include "measurement/RecordListModel.h"
#include "recording/Recorder.h"
#include "recording/RecordingNote.h"
#include "recording/RecordingRecovery.h"
#include "shared/Clock.h"
#include "support/QuietRecorderView.h"
#include "support/RecordingSeries.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm;

namespace
{

using State = InterruptedRecording::State;

QString childProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/slm-recording-child");
}

// The file a normal stop writes after this many records of the series.
QByteArray stoppedRecording(int records)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("stopped.slmm"));
    QProcess child;
    child.start(childProgram(), {dir.path(), target, QString::number(records), QStringLiteral("stop")});
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return "<the stopped recording failed>";
    return readAll(target);
}

void appendTo(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    f.write(bytes);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

RecordingNote noteFor(const QString& target, const QString& started = QStringLiteral("2026/03/14 23:59:57"))
{
    RecordingNote note;
    note.recordFilePath = target;
    note.samplingInterval = 1;
    note.freqWeighting = QStringLiteral("A");
    note.timeWeighting = QStringLiteral("FAST");
    note.levelRange = QStringLiteral("30-90");
    note.startTime = started;
    return note;
}

} // namespace

class TestRecordingRecovery : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder; // "Fake", its note and its lock
    QString m_target; // the file chosen at the start
    std::unique_ptr<QProcess> m_child;

    // A recording of this many records in a child process that waits to be killed.
    bool recordInChild(int records)
    {
        m_child = std::make_unique<QProcess>();
        m_child->start(childProgram(),
                       {m_folder, m_target, QString::number(records), QStringLiteral("wait")});
        if (!m_child->waitForStarted(10000))
            return false;
        while (!m_child->canReadLine())
            if (!m_child->waitForReadyRead(30000))
                return false;
        return m_child->readLine() == "ready\n";
    }

    void killChild()
    {
        m_child->kill(); // SIGKILL: no stop, no clean-up
        m_child->waitForFinished(10000);
    }

    QString fake() const { return QDir(m_folder).filePath(QStringLiteral("Fake")); }
    QString note() const { return recordingNotePath(m_folder); }

private slots:
    void init()
    {
        m_folder = m_dir.filePath(QStringLiteral("work-%1").arg(QTest::currentTestFunction()));
        QDir().mkpath(m_folder);
        m_target = m_dir.filePath(QStringLiteral("%1.slmm").arg(QTest::currentTestFunction()));
    }

    void cleanup()
    {
        if (m_child && m_child->state() != QProcess::NotRunning)
            killChild();
        m_child.reset();
    }

    void killedRecordingIsSavedAsTheStopWouldHaveSavedIt()
    {
        const QByteArray expected = stoppedRecording(10);
        QVERIFY(expected.startsWith("Real Time\r\n"));
        QVERIFY(recordInChild(10));

        // While the recording runs, a second start sees it and offers nothing.
        QCOMPARE(findInterruptedRecording(m_folder).state, State::StillRunning);
        killChild();
        QVERIFY(QFile::exists(note()));
        QVERIFY(!QFile::exists(m_target));

        ScriptedDialogs dialogs;
        dialogs.chooseAnswers << 0;
        offerInterruptedRecording(dialogs, m_folder);
        QCOMPARE(dialogs.choices.size(), 1);
        QCOMPARE(dialogs.choices[0].buttons, (QStringList{"Save", "Discard", "Later"}));
        QVERIFY2(dialogs.choices[0].text.startsWith(
                     QStringLiteral("An interrupted recording of 10 records (started at 2026/03/14 23:59:57, "
                                    "to %1) was found.")
                         .arg(QDir::toNativeSeparators(m_target))),
                 qPrintable(dialogs.choices[0].text));
        QCOMPARE(readAll(m_target), expected);
        QCOMPARE(dialogs.saveDialogs, 0);
        QVERIFY(!QFile::exists(note()));
        QVERIFY(QFile::exists(fake())); // "Fake" stays, as after every recording

        // Saved once: the next start finds nothing.
        offerInterruptedRecording(dialogs, m_folder);
        QCOMPARE(dialogs.choices.size(), 1);
    }

    void lineCutShortByTheCrashIsLeftOut()
    {
        const QByteArray expected = stoppedRecording(5);
        QVERIFY(recordInChild(5));
        killChild();
        appendTo(fake(), "6\t2026/03/15 00:0");

        const InterruptedRecording found = findInterruptedRecording(m_folder);
        QCOMPARE(found.state, State::Recoverable);
        QCOMPARE(found.records.lines.size(), 5);
        QVERIFY(found.records.lastLineCut);
        QVERIFY(recoveryMessage(found).contains(QStringLiteral("cut short")));
        QCOMPARE(writeRecoveredRecording(m_target, found), QString());
        QCOMPARE(readAll(m_target), expected);
    }

    void damagedTailKeepsTheRecordsBeforeIt()
    {
        // Blocks of zeros where the last writes never reached the disk, and a line out of turn.
        QByteArray fakeBytes = "No.s\tDate Time\tdB\t\r\n1\t2026/03/14 23:59:59\t55.2\t\r\n";
        FakeRecords zeros = readFakeRecords(fakeBytes + QByteArray(4096, '\0'));
        QCOMPARE(zeros.lines.size(), 1);
        QVERIFY(zeros.damagedBytes > 0);
        QVERIFY(!zeros.lastLineCut);
        FakeRecords outOfTurn = readFakeRecords(fakeBytes + "3\t2026/03/15 00:00:01\t61.0\t\r\n");
        QCOMPARE(outOfTurn.lines.size(), 1);
        QVERIFY(outOfTurn.damagedBytes > 0);
        FakeRecords whole = readFakeRecords(fakeBytes + "2\t2026/03/15 00:00:00\t61.0*\t\r\n");
        QCOMPARE(whole.lines.size(), 2);
        QCOMPARE(whole.damagedBytes, 0);
        QCOMPARE(whole.firstTime, QStringLiteral("2026/03/14 23:59:59"));
    }

    void maximumIsTheFirstOfTheHighestRecords()
    {
        const RecordsMaximum max =
            maximumOfRecords({"1\t2026/01/01 00:00:01\t- - -\t", "2\t2026/01/01 00:00:02\t61.0*\t",
                              "3\t2026/01/01 00:00:03\t61\t", "4\t2026/01/01 00:00:04\t60.9\t"});
        QCOMPARE(max.level, QStringLiteral("61.0*"));
        QCOMPARE(max.time, QStringLiteral("2026/01/01 00:00:02"));
        const RecordsMaximum none = maximumOfRecords({});
        QCOMPARE(none.level, QStringLiteral("0"));
        QCOMPARE(none.time, QString());
    }

    void staleNoteWithoutFakeOffersOnlyToDiscard()
    {
        QCOMPARE(writeRecordingNote(note(), noteFor(m_target)), QString());
        ScriptedDialogs dialogs;
        dialogs.chooseAnswers << 0;
        offerInterruptedRecording(dialogs, m_folder);
        QCOMPARE(dialogs.choices.size(), 1);
        QCOMPARE(dialogs.choices[0].buttons, (QStringList{"Discard", "Later"}));
        QVERIFY(dialogs.choices[0].text.contains(QStringLiteral("missing")));
        QVERIFY(!QFile::exists(note()));
        QVERIFY(!QFile::exists(m_target));
    }

    void damagedNoteSavesOnlyTheRecords()
    {
        QVERIFY(recordInChild(4));
        killChild();
        QByteArray noteBytes = readAll(note());
        noteBytes[noteBytes.indexOf("interval=") + 9] = '7'; // altered: the checksum no longer fits
        writeFile(note(), noteBytes);

        ScriptedDialogs dialogs;
        dialogs.chooseAnswers << 0;
        const QString listFile = m_dir.filePath(QStringLiteral("records-only.slmm"));
        dialogs.saveAnswers << listFile;
        offerInterruptedRecording(dialogs, m_folder);
        QCOMPARE(dialogs.choices[0].buttons, (QStringList{"Save Records Only", "Discard", "Later"}));
        QVERIFY(dialogs.choices[0].text.contains(QStringLiteral("note is damaged")));
        QVERIFY(!QFile::exists(m_target)); // the header is unknown: no real-time file anywhere
        const QByteArray saved = readAll(listFile);
        QVERIFY(saved.startsWith("No.s\tDate Time\tdB\t\r\n1\t2026/03/14 23:59:59\t55.2\t\r\n"));
        QCOMPARE(saved.count("\r\n"), 5);
        QVERIFY(!QFile::exists(note()));

        // A note cut in half is damaged too.
        QVERIFY(!decodeRecordingNote(encodeRecordingNote(noteFor(m_target)).left(40)));
    }

    void fakeOfAnotherRecordingIsNeverSaved()
    {
        QVERIFY(recordInChild(3));
        killChild();
        // The note says the recording started after the records in "Fake" were taken.
        QCOMPARE(writeRecordingNote(note(), noteFor(m_target, QStringLiteral("2026/03/15 08:00:00"))),
                 QString());

        ScriptedDialogs dialogs;
        dialogs.chooseAnswers << 1; // Later
        offerInterruptedRecording(dialogs, m_folder);
        QCOMPARE(dialogs.choices[0].buttons, (QStringList{"Discard", "Later"}));
        QVERIFY(dialogs.choices[0].text.contains(QStringLiteral("another recording")));
        QVERIFY(!QFile::exists(m_target));
        QVERIFY(QFile::exists(note())); // Later keeps it for the next start
        QVERIFY(!writeRecoveredRecording(m_target, findInterruptedRecording(m_folder)).isEmpty());
        QVERIFY(!QFile::exists(m_target));
    }

    void existingTargetIsNeverReplaced()
    {
        const QByteArray expected = stoppedRecording(3);
        QVERIFY(recordInChild(3));
        killChild();
        writeFile(m_target, "somebody else's file");
        const QString taken = m_dir.filePath(QStringLiteral("taken.slmm"));
        writeFile(taken, "also taken");
        const QString other = m_dir.filePath(QStringLiteral("other.slmm"));

        ScriptedDialogs dialogs;
        dialogs.chooseAnswers << 0;
        dialogs.saveAnswers << taken << other;
        offerInterruptedRecording(dialogs, m_folder);
        QVERIFY(dialogs.choices[0].text.contains(QStringLiteral("exists by now")));
        QCOMPARE(dialogs.saveDialogs, 2);
        QCOMPARE(readAll(m_target), QByteArray("somebody else's file"));
        QCOMPARE(readAll(taken), QByteArray("also taken"));
        QCOMPARE(readAll(other), expected);
        QVERIFY(!QFile::exists(note()));
    }

    void unwritableTargetAsksForAnother()
    {
        const QByteArray expected = stoppedRecording(3);
        m_target = m_dir.filePath(QStringLiteral("unplugged-disk/recording.slmm"));
        QVERIFY(recordInChild(3));
        killChild();
        const QString other = m_dir.filePath(QStringLiteral("instead.slmm"));
        ScriptedDialogs dialogs;
        dialogs.chooseAnswers << 0;
        dialogs.saveAnswers << other;
        offerInterruptedRecording(dialogs, m_folder);
        QCOMPARE(dialogs.messages.size(), 2);
        QVERIFY(dialogs.messages[0].text.contains(QStringLiteral("could not be written")));
        QCOMPARE(dialogs.messages[0].icon, Dialogs::Icon::Critical);
        QVERIFY(dialogs.messages[1].text.contains(QStringLiteral("saved to")));
        QCOMPARE(readAll(other), expected);
        QVERIFY(!QFile::exists(note()));
    }

    void cancelledSaveKeepsTheNote()
    {
        QVERIFY(recordInChild(2));
        killChild();
        writeFile(m_target, "exists");
        ScriptedDialogs dialogs;
        dialogs.chooseAnswers << 0; // Save, then the save dialog is cancelled
        offerInterruptedRecording(dialogs, m_folder);
        QVERIFY(QFile::exists(note()));
        offerInterruptedRecording(dialogs, m_folder); // closed without a choice
        QVERIFY(QFile::exists(note()));
        QCOMPARE(dialogs.choices.size(), 2);
    }

    // Closing the panel ends the program at once, a running recording included: the next start
    // offers it like a crash's.
    void recordingEndedWithTheProgramIsOffered()
    {
        RecordListModel list;
        FixedClock clock(recordingSeriesStart());
        ScriptedDialogs dialogs;
        dialogs.saveAnswers << m_target;
        QuietRecorderView view;
        Sampling sampling;
        sampling.setReading(testReading(0, QString()));
        {
            Recorder recorder(sampling, list, clock, dialogs, view, m_folder);
            recorder.setSaveMode(SaveMode::Recording);
            recorder.saveOk();
            for (int i = 0; i < 4; ++i) {
                setRecordingSeriesLevel(sampling, i);
                clock.advance(1);
                sampling.tick(clock.now());
            }
            QCOMPARE(findInterruptedRecording(m_folder).state, State::StillRunning);
        }
        const InterruptedRecording found = findInterruptedRecording(m_folder);
        QCOMPARE(found.state, State::Recoverable);
        QCOMPARE(found.records.lines.size(), 3);
    }

    void noteRoundTripsAnyPath()
    {
        RecordingNote in = noteFor(QStringLiteral("/tmp/odd=name\nwith a break%20.slmm"));
        in.levelRange = QStringLiteral("80-140");
        const std::optional<RecordingNote> out = decodeRecordingNote(encodeRecordingNote(in));
        QVERIFY(out);
        QCOMPARE(out->recordFilePath, in.recordFilePath);
        QCOMPARE(out->levelRange, in.levelRange);
        QCOMPARE(out->startTime, in.startTime);
        QVERIFY(!decodeRecordingNote(QByteArray()));
    }

    // In process: the note is there exactly while a recording runs and follows its header.
    void recorderKeepsTheNoteWhileRecording()
    {
        RecordListModel list;
        FixedClock clock(recordingSeriesStart());
        ScriptedDialogs dialogs;
        dialogs.saveAnswers << m_target;
        QuietRecorderView view;
        Sampling sampling;
        sampling.setReading(testReading(0, QString()));
        Recorder recorder(sampling, list, clock, dialogs, view, m_folder);
        recorder.setSaveMode(SaveMode::Recording);
        recorder.saveOk();
        QVERIFY(recorder.recording());
        std::optional<RecordingNote> written = decodeRecordingNote(readAll(note()));
        QVERIFY(written);
        QCOMPARE(written->recordFilePath, m_target);
        QCOMPARE(written->startTime, QStringLiteral("2026/03/14 23:59:57"));

        // A second program in the same folder may not record over it.
        ScriptedDialogs otherDialogs;
        otherDialogs.saveAnswers << m_dir.filePath(QStringLiteral("second.slmm"));
        Sampling otherSampling;
        Recorder second(otherSampling, list, clock, otherDialogs, view, m_folder);
        second.setSaveMode(SaveMode::Recording);
        second.saveOk();
        QVERIFY(!second.recording());
        QCOMPARE(otherDialogs.messages.size(), 1);
        QVERIFY(otherDialogs.messages[0].text.contains(QStringLiteral("Another running copy")));

        sampling.setInterval(1);
        for (int i = 0; i < 3; ++i) {
            setRecordingSeriesLevel(sampling, i);
            clock.advance(1);
            sampling.tick(clock.now());
        }
        sampling.setInterval(2); // the stop would write 2: so does the note from the next record
        for (int i = 0; i < 3; ++i) {
            clock.advance(1);
            sampling.tick(clock.now());
        }
        written = decodeRecordingNote(readAll(note()));
        QVERIFY(written);
        QCOMPARE(written->samplingInterval, 2);
        QCOMPARE(written->startTime, QStringLiteral("2026/03/14 23:59:57"));

        recorder.stopRecording();
        QVERIFY(!QFile::exists(note()));
        QVERIFY(readAll(m_target).startsWith("Real Time\r\n 2 \r\n"));
        QCOMPARE(findInterruptedRecording(m_folder).state, State::None);
    }
};

QTEST_GUILESS_MAIN(TestRecordingRecovery)
#include "test_recording_recovery.moc"
