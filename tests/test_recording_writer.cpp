// The one writer of growing record files: a disk that refuses writes for a while and recovers,
// a file another living process owns, and completion that never leaves a second copy.
#include "app/RecoveryOffer.h"
#include "measurement/GrowingRecordFile.h"
#include "measurement/RecordFileFormat.h"
#include "recording/RecordingNote.h"
#include "recording/RecordingRecovery.h"
#include "shared/TextHelpers.h"
#include "station/StationRecording.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace slm;

namespace
{

const QDateTime Start(QDate(2026, 12, 8), QTime(16, 0, 0));

// The real file behind a switch: while `full` is set every write is refused, as by a full disk.
class FailingDevice final : public AppendDevice
{
public:
    explicit FailingDevice(const bool& full) : m_full(full), m_real(makeFileAppendDevice()) {}
    bool open(const QString& path) override { return !m_full && m_real->open(path); }
    bool append(const QByteArray& bytes) override { return !m_full && m_real->append(bytes); }
    bool close() override { return m_real->close(); }
    bool isOpen() const override { return m_real->isOpen(); }
    QString errorString() const override
    {
        return m_full ? QStringLiteral("No space left on device") : m_real->errorString();
    }

private:
    const bool& m_full;
    std::unique_ptr<AppendDevice> m_real;
};

QString levelOf(int i)
{
    return QStringLiteral("%1.0").arg(50 + i % 30);
}

// The record lines after the header: numbers 1, 2, ... and the levels in order.
QStringList recordLevels(const QByteArray& bytes, int headerLines)
{
    QStringList levels;
    const QByteArrayList lines = completeLinesOf(bytes).mid(headerLines + 1);
    for (int i = 0; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split('\t');
        if (fields.value(0) != QByteArray::number(i + 1))
            return {QStringLiteral("<record %1 misnumbered>").arg(i + 1)};
        levels << QString::fromLatin1(fields.value(2));
    }
    return levels;
}

QStringList header()
{
    Sample settings;
    return headerLines(realTimeHeaderOf(settings));
}

// A lock in the owner lock's format naming `pid`.
void writeLock(const QString& path, qint64 pid, const QString& program)
{
    QFile lock(path);
    QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.write(QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' +
               QSysInfo::machineHostName().toUtf8() + '\n');
}

void writePart(const QString& path, int records)
{
    QFile part(path);
    QVERIFY(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QString& line : header() + QStringList{titleLine()})
        part.write(encodeLine(line));
    for (int i = 1; i <= records; ++i)
        part.write(encodeLine(recordLine(QString::number(i), formatDateTime(Start.addSecs(i)), levelOf(i))));
}

} // namespace

class TestRecordingWriter : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    // Records 0..count-1, the disk full for those in [fullFrom, fullTo); the buffer keeps `limit`.
    void diskFullForAWhile_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("fullFrom");
        QTest::addColumn<int>("fullTo");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("lost");
        QTest::newRow("a short gap") << 20 << 5 << 10 << 100 << 0;
        QTest::newRow("full from the start") << 12 << 0 << 4 << 100 << 0;
        QTest::newRow("longer than the buffer") << 20 << 5 << 15 << 3 << 7;
        QTest::newRow("space returns at the stop") << 10 << 4 << 99 << 100 << 0;
    }
    void diskFullForAWhile()
    {
        QFETCH(int, count);
        QFETCH(int, fullFrom);
        QFETCH(int, fullTo);
        QFETCH(int, limit);
        QFETCH(int, lost);
        const QString part = path(QStringLiteral("%1.slmm.part").arg(QTest::currentDataTag()));
        bool full = fullFrom == 0;
        GrowingRecordFile file(part, header() + QStringList{titleLine()}, 9);
        file.setDevice(std::make_unique<FailingDevice>(full));
        file.setBufferLimit(limit);
        QList<RecordingGap> started, ended;
        connect(&file, &GrowingRecordFile::gapStarted, [&](const RecordingGap& g) { started << g; });
        connect(&file, &GrowingRecordFile::gapEnded, [&](const RecordingGap& g) { ended << g; });
        QVERIFY(file.claim());
        QCOMPARE(file.open(Start), !full);
        QStringList expected;
        for (int i = 0; i < count; ++i) {
            full = i >= fullFrom && i < fullTo;
            if (file.add(formatDateTime(Start.addSecs(i)), levelOf(i), Start.addSecs(i)) != 0)
                expected << levelOf(i);
        }
        full = false;
        const QString finalPath = part.chopped(5);
        QCOMPARE(file.completeAs(finalPath, header()), QString());
        QVERIFY(!QFile::exists(part));
        QVERIFY(!QFile::exists(GrowingRecordFile::lockPathOf(part)));
        QCOMPARE(recordLevels(readAll(finalPath), 9), expected);
        QCOMPARE(expected.size(), count - lost);
        QCOMPARE(started.size(), 1);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(started[0].start, Start.addSecs(fullFrom));
        QVERIFY(started[0].error.contains(QStringLiteral("No space left on device")));
        QCOMPARE(ended[0].lost, lost);
        QCOMPARE(ended[0].kept, std::min(fullTo, count) - fullFrom - lost);
        if (fullTo < count)
            QCOMPARE(ended[0].seconds(), qint64(fullTo - fullFrom));
    }

    // The same on a real file system that fills up: a small tmpfs the test mounts (root only).
    void realFullFileSystem()
    {
#ifdef Q_OS_UNIX
        const QString mountPoint = path(QStringLiteral("small-disk"));
        QDir().mkpath(mountPoint);
        if (::geteuid() != 0 ||
            ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("mounting a small tmpfs needs root; the failing device above covers the rule");
        const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(mountPoint).constData()); });
        const QString part = mountPoint + QStringLiteral("/m-20261208-16.slmm.part");
        GrowingRecordFile file(part, header() + QStringList{titleLine()}, 9);
        QVERIFY(file.claim());
        QVERIFY(file.open(Start));
        QFile filler(mountPoint + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size())
            ;
        filler.close();
        QStringList expected;
        for (int i = 0; i < 30; ++i) {
            if (i == 20)
                QFile::remove(filler.fileName());
            if (file.add(formatDateTime(Start.addSecs(i)), levelOf(i), Start.addSecs(i)) != 0)
                expected << levelOf(i);
        }
        QVERIFY(!file.gap());
        QCOMPARE(expected.size(), 30);
        QCOMPARE(file.completeAs(part.chopped(5), header()), QString());
        QCOMPARE(recordLevels(readAll(part.chopped(5)), 9), expected);
#else
        QSKIP("no tmpfs here");
#endif
    }

    // A station whose output disk is full at its start: one file for the period, no litter.
    void stationStartingOnAFullDisk()
    {
        const QString folder = path(QStringLiteral("station-full"));
        bool full = true;
        {
            station::StationRecording recording(QStringLiteral("m"), folder, station::Rotation::Day, 1);
            recording.setDeviceFactory([&] { return std::make_unique<FailingDevice>(full); });
            for (int i = 0; i < 10; ++i) {
                full = i < 6;
                Sample s;
                s.time = Start.addSecs(i);
                s.tenths = 600 + i;
                QVERIFY(recording.add(s));
            }
            QCOMPARE(recording.gaps().size(), 1);
            QCOMPARE(recording.gaps()[0].kept, 6);
        }
        const QStringList files = QDir(folder).entryList(QDir::Files);
        QCOMPARE(files, QStringList{QStringLiteral("m-20261208.slmm")});
        QCOMPARE(recordLevels(readAll(QDir(folder).filePath(files[0])), 9).size(), 10);
    }

    // A growing file whose lock names a living process is left alone; once that process is gone
    // the lock is stale and the file is saved.
    void ownerOfTheLock_data()
    {
        QTest::addColumn<bool>("ownerLives");
        QTest::newRow("living owner") << true;
        QTest::newRow("owner gone") << false;
    }
    void ownerOfTheLock()
    {
        QFETCH(bool, ownerLives);
        const QString folder = path(QStringLiteral("lock-%1").arg(ownerLives));
        QDir().mkpath(folder);
        const QString part = folder + QStringLiteral("/m-20261208-16.slmm.part");
        writePart(part, 5);
        QProcess owner;
        owner.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(owner.waitForStarted());
        const qint64 pid = owner.processId();
        writeLock(GrowingRecordFile::lockPathOf(part), pid, QStringLiteral("sleep"));
        if (!ownerLives) {
            owner.kill();
            owner.waitForFinished();
        }
        if (ownerLives) {
            QVERIFY(!GrowingRecordFile(part, {}, 0).claim());
        } else {
            // Taken over, with a notice naming the gone process (on a copy: the original is the station's).
            QVERIFY(QFile::copy(GrowingRecordFile::lockPathOf(part), folder + QStringLiteral("/copy.lock")));
            OwnerLock stale(folder + QStringLiteral("/copy.lock"));
            QCOMPARE(stale.take(), OwnerLock::Result::TakenOverStale);
            QVERIFY(stale.notice().contains(QStringLiteral("process %1, which no longer runs").arg(pid)));
        }
        station::StationRecording::recoverInterrupted(QStringLiteral("m"), folder);
        QCOMPARE(OwnerLock::livingOwner(GrowingRecordFile::lockPathOf(part)), ownerLives ? pid : 0);
        QCOMPARE(QFile::exists(part), ownerLives);
        QCOMPARE(QFile::exists(part.chopped(5)), !ownerLives);
        QCOMPARE(QFile::exists(GrowingRecordFile::lockPathOf(part)), ownerLives);

        // The panel's recovery offer leaves a living owner's recording too.
        writeFile(recordingNotePath(folder), "any note");
        QFile::copy(GrowingRecordFile::lockPathOf(part), recordingLockPath(folder));
        QCOMPARE(findInterruptedRecording(folder).state == InterruptedRecording::State::StillRunning,
                 ownerLives);
        owner.kill();
        owner.waitForFinished();
    }

    // What a crash between completing a file and removing its growing file leaves: saved once.
    void recoveryMakesNoSecondCopy_data()
    {
        QTest::addColumn<QByteArray>("finalFile"); // "" none, "same", "other"
        QTest::addColumn<int>("records");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("finished file holds its records")
            << QByteArray("same") << 4 << QStringList{QStringLiteral("m-20261208-16.slmm")};
        QTest::newRow("another file of that name")
            << QByteArray("other") << 4
            << QStringList{QStringLiteral("m-20261208-16-2.slmm"), QStringLiteral("m-20261208-16.slmm")};
        QTest::newRow("no records") << QByteArray() << 0 << QStringList{};
    }
    void recoveryMakesNoSecondCopy()
    {
        QFETCH(QByteArray, finalFile);
        QFETCH(int, records);
        QFETCH(QStringList, files);
        const QString folder = path(QStringLiteral("copy-%1").arg(QTest::currentDataTag()));
        QDir().mkpath(folder);
        const QString part = folder + QStringLiteral("/m-20261208-16.slmm.part");
        writePart(part, records);
        if (finalFile == "same")
            QVERIFY(QFile::copy(part, part.chopped(5)));
        else if (finalFile == "other")
            writeFile(part.chopped(5), "somebody else's file");
        station::StationRecording::recoverInterrupted(QStringLiteral("m"), folder);
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), files);
    }

    // The panel's stop wrote the chosen file and was cut off before its note went: the next start
    // offers nothing and forgets the note.
    void panelStopCutBeforeTheNoteWent()
    {
        const QString folder = path(QStringLiteral("panel"));
        QDir().mkpath(folder);
        const QString target = path(QStringLiteral("panel.slmm"));
        QByteArray records = encodeLine(titleLine());
        for (int i = 1; i <= 3; ++i)
            records +=
                encodeLine(recordLine(QString::number(i), formatDateTime(Start.addSecs(i)), levelOf(i)));
        writeFile(folder + QStringLiteral("/Fake"), records);
        QByteArray finished;
        for (const QString& line : header())
            finished += encodeLine(line);
        writeFile(target, finished + records);
        RecordingNote note;
        note.recordFilePath = target;
        note.startTime = formatDateTime(Start);
        QCOMPARE(writeRecordingNote(recordingNotePath(folder), note), QString());
        QCOMPARE(findInterruptedRecording(folder).state, InterruptedRecording::State::AlreadySaved);
        ScriptedDialogs dialogs;
        offerInterruptedRecording(dialogs, folder);
        QVERIFY(dialogs.choices.isEmpty());
        QVERIFY(!QFile::exists(recordingNotePath(folder)));
        QCOMPARE(readAll(target), finished + records);
    }

private:
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

QTEST_GUILESS_MAIN(TestRecordingWriter)
#include "test_recording_writer.moc"
