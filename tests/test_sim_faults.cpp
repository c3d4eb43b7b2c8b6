// Faults the simulated meter plays: pulled cable, vanished adapter, garbage, wrong lengths,
// damaged memory.
#include "test_sim_common.h"

#include <unistd.h>

using namespace simtest;

class TestSimFaults : public QObject
{
    Q_OBJECT
private slots:
    void silentSendsNothingAndActsOnNothing()
    {
        auto o = quietOptions();
        o.frameMs = 50;
        o.silent = true;
        Rig rig(o);
        QVERIFY(rig.ok());
        QCOMPARE(rig.ask("I", 300ms).size(), 0u);
        rig.ask("G", 10ms);
        QCOMPARE(rig.meter.status().freqWeighting, slmsim::FreqWeighting::A);
        QCOMPARE(hex(rig.meter.receivedBytes()), hex("IG")); // still logged
        rig.meter.setSilent(false);
        std::vector<Frame> frames;
        QVERIFY(splitFrames(rig.pty.readBytes(12, 500ms), frames));
        QCOMPARE(rig.ask("J", 30ms).size(), 2u);
    }

    void closedTerminalFailsReadsAndReopensBehindTheLink()
    {
        auto o = quietOptions();
        o.frameMs = 50;
        o.linkPath = QDir::temp().filePath(QString("test_sim_link_%1").arg(getpid())).toStdString();
        std::string firstPath;
        {
            Rig rig(o);
            QVERIFY(rig.ok());
            firstPath = rig.meter.ptyPath();
            QCOMPARE(QFileInfo(QString::fromStdString(o.linkPath)).symLinkTarget().toStdString(), firstPath);
            rig.meter.setLevel(80.0);
            rig.meter.closeTerminal();
            // The program's end sees the line go: a failed read, not an endless wait.
            std::optional<std::string> part = std::string();
            for (int i = 0; i < 50 && part; ++i)
                part = rig.pty.readOnce(20ms);
            QVERIFY(!part);
            QVERIFY(!slmsim::PtyClient().open(firstPath));

            QVERIFY(rig.meter.reopenTerminal());
            slmsim::PtyClient again;
            QVERIFY(again.open(o.linkPath));
            std::vector<Frame> frames;
            QVERIFY(splitFrames(again.readBytes(12, 500ms), frames));
            QCOMPARE(frames[0].word, 800); // the same meter behind a new adapter
        }
        QVERIFY(!QFileInfo::exists(QString::fromStdString(o.linkPath))); // removed on stop
    }

    void garbageFillsTheLineWithoutFrameTails()
    {
        auto o = quietOptions();
        o.pacing = true;
        o.frameMs = 100;
        Rig rig(o);
        QVERIFY(rig.ok());
        rig.meter.sendGarbage(0.5);
        std::string junk = rig.pty.readFor(500ms);
        // A real frame may sit just before the noise starts or after it ends.
        auto isFrame = [](const std::string& s) { return s.size() == 6 && s[0] == 0x02 && s[5] == 0x03; };
        while (junk.size() >= 6 && isFrame(junk.substr(junk.size() - 6)))
            junk.resize(junk.size() - 6);
        if (isFrame(junk.substr(0, 6)))
            junk.erase(0, 6);
        QVERIFY2(junk.size() > 1500 && junk.size() < 2100, std::to_string(junk.size()).c_str());
        for (std::size_t i = 5; i < junk.size(); ++i)
            QVERIFY(!(junk[i] == 0x03 && junk[i - 5] == 0x02));
        // Replies still come through; frames come back when it ends.
        rig.meter.sendGarbage(0.3);
        rig.pty.write("J");
        QTRY_VERIFY(rig.meter.receivedBytes().find('J') != std::string::npos);
        QTest::qWait(350);
        rig.pty.drain();
        std::vector<Frame> frames;
        QVERIFY(splitFrames(rig.pty.readBytes(12, 500ms), frames));
    }

    void wrongLengthRepliesAreOneByteShort()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        rig.meter.setWrongLengthReplies(true);
        QCOMPARE(rig.ask("A", 30ms).size(), 2u);
        QCOMPARE(rig.ask("L", 30ms).size(), 2u);
        QCOMPARE(rig.ask("J", 30ms).size(), 1u);
        QCOMPARE(rig.ask("I", 30ms).size(), 5u);
        rig.meter.setWrongLengthReplies(false);
        QCOMPARE(rig.ask("L", 30ms).size(), 3u);
    }

    void replacedMemoryIsWhatDownloads()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        rig.meter.setMemory({0x00, 0x55, 0xAA, 0x00, 0x12}); // a damaged set
        QCOMPARE(hex(rig.ask("A", 30ms)), hex(bytes({0x00, 0x00, 53})));
        rig.ask("L", 30ms);
        QCOMPARE(hex(rig.ask("K", 50ms)), hex(bytes({0x02, 0x00, 0x55, 0xAA, 0x00, 0x12, 0x03})));
    }
};

QTEST_GUILESS_MAIN(TestSimFaults)
#include "test_sim_faults.moc"
