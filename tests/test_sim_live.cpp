// Live frames of the simulated meter: period, layout, flags, level sources.
#include "test_sim_common.h"

#include "slm-sim/RoomSignal.h"

#include <fstream>

using namespace simtest;

class TestSimLive : public QObject
{
    Q_OBJECT
private slots:
    void framesComeEveryPeriodAndWhole()
    {
        for (int period : {100, 50}) {
            slmsim::SimOptions o; // paced, as the program meets it
            o.frameMs = period;
            o.level = 55.0;
            Rig rig(o);
            QVERIFY(rig.ok());
            rig.pty.readFor(150ms);
            // Every read holds whole frames: a frame is never split over two writes.
            std::string all;
            const auto end = std::chrono::steady_clock::now() + 1s;
            while (std::chrono::steady_clock::now() < end) {
                const auto part = rig.pty.readOnce(50ms);
                QVERIFY(part);
                QCOMPARE(part->size() % 6, 0u);
                all += *part;
            }
            std::vector<Frame> frames;
            QVERIFY2(splitFrames(all, frames), hex(all).c_str());
            const int expected = 1000 / period;
            QVERIFY2(std::abs(int(frames.size()) - expected) <= 2, std::to_string(frames.size()).c_str());
        }
    }

    void defaultFrameCarriesRangeStatusAndLevel()
    {
        auto o = quietOptions();
        o.frameMs = 100;
        o.level = 65.5;
        Rig rig(o);
        QVERIFY(rig.ok());
        // Range index 3, STOP, FAST, A; 655 tenths.
        QCOMPARE(hex(rig.pty.readBytes(6, 500ms)), hex(bytes({0x02, 0x03, 0x10, 0x02, 0x8f, 0x03})));
    }

    void overAndUnderFollowTheRange_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<QByteArray>("ranges"); // "E"/"F" sent first
        QTest::addColumn<int>("rangeByte");
        QTest::addColumn<int>("statusByte");
        QTest::newRow("top of 50-110 is not over") << 110.0 << QByteArray() << 0x03 << 0x10;
        QTest::newRow("above 50-110") << 110.1 << QByteArray() << 0x83 << 0x10;
        QTest::newRow("below 50-110") << 49.9 << QByteArray() << 0x03 << 0x90;
        QTest::newRow("up twice: 70-130") << 120.0 << QByteArray("EE") << 0x01 << 0x10;
        QTest::newRow("up stops at 80-140") << 79.0 << QByteArray("EEEEEE") << 0x00 << 0x90;
        QTest::newRow("down stops at 30-90") << 95.0 << QByteArray("FFFF") << 0x85 << 0x10;
    }
    void overAndUnderFollowTheRange()
    {
        QFETCH(double, level);
        QFETCH(QByteArray, ranges);
        QFETCH(int, rangeByte);
        QFETCH(int, statusByte);
        slmsim::SimOptions o;
        o.pacing = false;
        o.frameMs = 20;
        Rig rig(o);
        QVERIFY(rig.ok());
        rig.meter.setLevel(level);
        rig.pty.write(ranges.toStdString());
        QTRY_VERIFY(rig.meter.state() == slmsim::LinkState::Live);
        rig.pty.drain();
        std::vector<Frame> frames;
        QVERIFY(splitFrames(rig.pty.readBytes(6, 500ms), frames));
        QCOMPARE(frames[0].range, rangeByte);
        QCOMPARE(frames[0].status, statusByte);
        QCOMPARE(frames[0].word, int(std::lround(level * 10)));
    }

    void levelsFilePlaysOnePerFrameThenHolds()
    {
        const QString path = QDir::temp().filePath("test_sim_levels.txt");
        std::ofstream(path.toStdString()) << "50\n61.2\r\n70.5\n";
        std::string error;
        auto o =
            slmsim::parseSimArgs({"--levels", path.toStdString(), "--no-pacing", "--frame-ms", "20"}, error);
        QVERIFY2(o, error.c_str());
        Rig rig(*o);
        QVERIFY(rig.ok());
        std::vector<Frame> frames;
        QVERIFY(splitFrames(rig.pty.readBytes(24, 1s), frames));
        QCOMPARE(frames.size(), 4u);
        QList<int> words;
        for (const Frame& f : frames)
            words << f.word;
        QCOMPARE(words, (QList<int>{612, 705, 705, 705}));
        QFile::remove(path);
    }

    void roomSignalIsRepeatableWithQuietRoomAndEvents()
    {
        double lo = 1e9, hi = -1e9;
        for (double t = 0; t < 30; t += 0.1) {
            const double l = slmsim::roomLevel(7, t);
            QCOMPARE(l, slmsim::roomLevel(7, t)); // the same seed gives the same signal
            lo = std::min(lo, l);
            hi = std::max(hi, l);
        }
        QVERIFY(lo >= 45.0 && hi <= 60.0 && hi - lo > 5.0); // a room that drifts, within 45-60
        QVERIFY(slmsim::roomLevel(7, 12.3) != slmsim::roomLevel(8, 12.3));
        // The loud event: +20 dB a second into each one, every 45 s, gone after it.
        for (double start : {30.0, 75.0, 120.0}) {
            QVERIFY(slmsim::roomLevel(7, start + 1.5) >= 65.0);
            QVERIFY(slmsim::roomLevel(7, start + 5.0) <= 60.0);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimLive)
#include "test_sim_live.moc"
