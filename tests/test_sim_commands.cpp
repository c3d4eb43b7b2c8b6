// Commands, replies and state changes of the simulated meter, over the pty.
#include "test_sim_common.h"

using namespace simtest;
using slmsim::LinkState;

namespace
{
const std::string Ack = bytes({0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x03});
}

class TestSimCommands : public QObject
{
    Q_OBJECT
private slots:
    void attentionRepliesPointerThenAcksForTwoSeconds()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        const std::string reply = rig.ask("A", 30ms);
        QCOMPARE(hex(reply), hex(bytes({0x00, 0x05, 0xD0}))); // 48 + 1440 demo bytes
        QCOMPARE(rig.meter.state(), LinkState::Attention);
        // Then one AckFrame every 100 ms (the first 100 ms after the "A"), nothing else.
        const std::string acks = rig.pty.readFor(1000ms);
        QVERIFY2(acks.size() >= 8 * 6 && acks.size() <= 10 * 6, hex(acks).c_str());
        for (std::size_t i = 0; i < acks.size(); i += 6)
            QCOMPARE(hex(acks.substr(i, 6)), hex(Ack));
        QTRY_COMPARE_WITH_TIMEOUT(rig.meter.state(), LinkState::Live, 1500);
    }

    void attentionEndsInLiveFrames()
    {
        auto o = quietOptions();
        o.frameMs = 100;
        Rig rig(o);
        QVERIFY(rig.ok());
        rig.ask("A", 10ms);
        const auto sentAt = std::chrono::steady_clock::now();
        QTRY_COMPARE_WITH_TIMEOUT(rig.meter.state(), LinkState::Live, 3000);
        const double after = std::chrono::duration<double>(std::chrono::steady_clock::now() - sentAt).count();
        QVERIFY2(after > 1.9 && after < 2.3, std::to_string(after).c_str());
        rig.pty.readFor(50ms);
        std::vector<Frame> frames;
        QVERIFY(splitFrames(rig.pty.readFor(250ms), frames) && frames.size() >= 2);
    }

    void readyAnswersSizeAndSendsNothing()
    {
        auto o = quietOptions();
        o.frameMs = 100;
        o.memoryK = 128;
        Rig rig(o);
        QVERIFY(rig.ok());
        QCOMPARE(hex(rig.ask("L", 30ms)), hex(bytes({0x00, 0x02, 0x00})));
        QCOMPARE(rig.meter.state(), LinkState::Ready);
        QCOMPARE(rig.pty.readFor(1700ms).size(), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(rig.meter.state(), LinkState::Live, 800);
        // Another command leaves READY at once.
        rig.ask("L", 10ms);
        rig.ask("G", 10ms);
        QCOMPARE(rig.meter.state(), LinkState::Quiet);
    }

    void otherCommandsKeepQuietFor200msAfterTheLastByte()
    {
        auto o = quietOptions();
        o.frameMs = 20;
        Rig rig(o);
        QVERIFY(rig.ok());
        rig.pty.write("G");
        QVERIFY(rig.meter.waitForReceived(1, 500ms));
        rig.pty.drain();
        QCOMPARE(rig.meter.state(), LinkState::Quiet);
        QCOMPARE(rig.pty.readFor(120ms).size(), 0u);
        rig.pty.write("G"); // extends the quiet
        QCOMPARE(rig.pty.readFor(150ms).size(), 0u);
        std::vector<Frame> frames;
        QVERIFY(splitFrames(rig.pty.readFor(150ms), frames) && !frames.empty());
        QCOMPARE(frames.back().status >> 5 & 3, 2); // A -> C -> Z
    }

    void weightingsAndRangesCycle()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        QList<int> freq, time, range;
        for (int i = 0; i < 4; ++i) {
            rig.ask("G", 5ms);
            freq << int(rig.meter.status().freqWeighting);
            rig.ask("D", 5ms);
            time << int(rig.meter.status().timeWeighting);
        }
        for (const char* c : {"E", "E", "E", "E", "F", "F", "F", "F", "F", "F", "F"}) {
            rig.ask(c, 5ms);
            range << rig.meter.status().rangeIndex;
        }
        QCOMPARE(freq, (QList<int>{1, 2, 3, 0}));
        QCOMPARE(time, (QList<int>{1, 2, 0, 1}));
        QCOMPARE(range, (QList<int>{2, 1, 0, 0, 1, 2, 3, 4, 5, 5, 5}));
        QCOMPARE(rig.meter.protocolErrors(), 0);
    }

    void loggingIntervalIsReadAndSetWithinOneTo255()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        QCOMPARE(hex(rig.ask("J", 30ms)), hex(bytes({0x00, 0x01})));
        rig.ask(bytes({'C', 0x00, 0x3C}), 10ms);
        QCOMPARE(hex(rig.ask("J", 30ms)), hex(bytes({0x00, 0x3C})));
        rig.ask(bytes({'C', 0x00, 0x00}), 10ms);
        rig.ask(bytes({'C', 0x01, 0x00}), 10ms);
        QCOMPARE(rig.meter.status().loggingInterval, 60);
        rig.ask(bytes({'C', 0x00, 0xFF}), 10ms);
        QCOMPARE(hex(rig.ask("J", 30ms)), hex(bytes({0x00, 0xFF})));
        QCOMPARE(rig.meter.protocolErrors(), 0);
    }

    void clockReadsAndSetsInBcd()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        const std::string now = rig.ask("I", 30ms);
        QVERIFY2(now == bytes({0x00, 0x00, 0x08, 0x04, 0x03, 0x26}) ||
                     now == bytes({0x01, 0x00, 0x08, 0x04, 0x03, 0x26}),
                 hex(now).c_str());
        rig.ask(bytes({'B', 0x59, 0x59, 0x23, 0x31, 0x12, 0x09}), 10ms);
        QCOMPARE(rig.meter.status().clock, (slmsim::DateTime{2009, 12, 31, 23, 59, 59}));
        // Not BCD, 30 February, hour 24: all ignored.
        rig.ask(bytes({'B', 0x1A, 0x00, 0x08, 0x04, 0x03, 0x26}), 10ms);
        rig.ask(bytes({'B', 0x00, 0x00, 0x08, 0x30, 0x02, 0x26}), 10ms);
        rig.ask(bytes({'B', 0x00, 0x00, 0x24, 0x01, 0x01, 0x26}), 10ms);
        QCOMPARE(rig.meter.status().clock.year, 2009);
        // It runs on: a second later it is New Year.
        QTest::qWait(1100);
        QCOMPARE(hex(rig.ask("I", 30ms).substr(3)), hex(bytes({0x01, 0x01, 0x10})));
        rig.ask(bytes({'B', 0x00, 0x00, 0x00, 0x29, 0x02, 0x28}), 10ms); // a leap day exists
        QCOMPARE(rig.meter.status().clock.day, 29);
    }

    void keysNeedAttentionAndChangeTheMeter()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        auto key = [&](int code) {
            rig.ask("A", 10ms);
            rig.ask(bytes({'K', 0, 0, code}), 10ms);
        };
        key(1);
        QCOMPARE(rig.meter.status().freqWeighting, slmsim::FreqWeighting::C);
        QCOMPARE(rig.meter.state(), LinkState::Live);
        key(1);
        QCOMPARE(rig.meter.status().freqWeighting, slmsim::FreqWeighting::A);
        rig.ask("GG", 10ms); // Z
        key(1);
        QCOMPARE(rig.meter.status().freqWeighting, slmsim::FreqWeighting::A);
        key(2);
        QCOMPARE(rig.meter.status().timeWeighting, slmsim::TimeWeighting::Slow);
        key(9);
        QCOMPARE(rig.meter.status().rangeIndex, 2);
        key(10);
        key(10);
        QCOMPARE(rig.meter.status().rangeIndex, 4);
        for (int code : {3, 4, 7, 8})
            key(code);
        key(5); // Run/Pause does nothing while stopped
        QCOMPARE(rig.meter.status().log, slmsim::LogState::Stop);
        QCOMPARE(rig.meter.protocolErrors(), 0);

        // A key without attention, a code outside 1..10, a lone "K" and an unknown byte.
        rig.ask(bytes({'K', 0, 0, 9}), 10ms);
        QCOMPARE(rig.meter.status().rangeIndex, 4);
        QCOMPARE(rig.meter.protocolErrors(), 1);
        rig.ask("A", 10ms);
        rig.ask(bytes({'K', 0, 0, 11}), 10ms);
        QCOMPARE(rig.meter.protocolErrors(), 2);
        rig.ask("K", 200ms);
        QCOMPARE(rig.meter.protocolErrors(), 3);
        rig.ask(bytes({'Z', 0x00}), 10ms);
        QCOMPARE(rig.meter.protocolErrors(), 5);
        // A broken key press does not swallow the command after it.
        rig.ask("A", 10ms);
        QCOMPARE(hex(rig.ask(bytes({'K', 0, 'J'}), 30ms)), hex(bytes({0x00, 0x01})));
        QCOMPARE(rig.meter.protocolErrors(), 6);
    }

    void receivedLogHasEveryByteWithItsTime()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        rig.pty.write("G");
        QTest::qWait(30);
        rig.pty.write(bytes({'C', 0, 5}));
        QVERIFY(rig.meter.waitForReceived(4, 500ms));
        QCOMPARE(hex(rig.meter.receivedBytes()), hex(bytes({'G', 'C', 0, 5})));
        const auto log = rig.meter.received();
        QVERIFY(log[1].at - log[0].at >= 25ms);
        rig.meter.clearLog();
        QCOMPARE(rig.meter.receivedBytes(), std::string());
    }
};

QTEST_GUILESS_MAIN(TestSimCommands)
#include "test_sim_commands.moc"
