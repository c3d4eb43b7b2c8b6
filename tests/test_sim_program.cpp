// The slm-sim program: first line is the pty path, options reach the meter, the link is made
// and removed, and a stop signal ends it.
#include "test_sim_common.h"

#include <QProcess>

using namespace simtest;

class TestSimProgram : public QObject
{
    Q_OBJECT
private slots:
    void servesOnItsPtyUntilStopped()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("meter");
        QProcess sim;
        sim.start(QCoreApplication::applicationDirPath() + "/slm-sim",
                  {"--no-pacing", "--clock", "2031-01-01 00:00:00", "--sets", "3@5", "--memory-k", "128",
                   "--frame-ms", "50", "--level", "72.5", "--link", link});
        QVERIFY(sim.waitForStarted());
        QVERIFY(sim.waitForReadyRead(3000));
        const QString path = QString::fromUtf8(sim.readLine()).trimmed();
        QVERIFY2(path.startsWith("/dev/pts/"), qPrintable(path));
        QCOMPARE(QFileInfo(link).symLinkTarget(), path);

        slmsim::PtyClient pty;
        QVERIFY(pty.open(link.toStdString()));
        pty.drain();
        std::vector<Frame> frames;
        QVERIFY(splitFrames(pty.readBytes(12, 1s), frames));
        QCOMPARE(frames[0].word, 725);
        QTest::qWait(60);
        pty.drain();
        pty.write("L");
        QCOMPARE(hex(pty.readBytes(3, 500ms)), hex(bytes({0x00, 0x02, 0x00})));
        pty.write("I");
        const std::string clock = pty.readBytes(6, 500ms);
        QCOMPARE(hex(clock.substr(1)), hex(bytes({0x00, 0x00, 0x01, 0x01, 0x31})));
        pty.write("A");
        QCOMPARE(hex(pty.readBytes(3, 500ms)), hex(bytes({0x00, 0x00, 48 + 64})));

        sim.terminate();
        QVERIFY(sim.waitForFinished(3000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(link));
    }

    void badOptionsEndWithUsage()
    {
        QProcess sim;
        sim.start(QCoreApplication::applicationDirPath() + "/slm-sim", {"--memory-k", "65"});
        QVERIFY(sim.waitForFinished(3000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardError().contains("usage: slm-sim"));
        QCOMPARE(sim.readAllStandardOutput(), QByteArray());
    }

    void helpPrintsUsage()
    {
        QProcess sim;
        sim.start(QCoreApplication::applicationDirPath() + "/slm-sim", {"--help"});
        QVERIFY(sim.waitForFinished(3000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(sim.readAllStandardOutput().startsWith("usage: slm-sim"));
        QCOMPARE(sim.readAllStandardError(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestSimProgram)
#include "test_sim_program.moc"
