// The simulated meter's logger memory: download block, set layout, logging by key, pacing.
#include "test_sim_common.h"

using namespace simtest;
using slmsim::LinkState;

namespace
{

struct ParsedSet {
    int interval = 0, status = 0, range = 0;
    std::vector<int> records;
    std::string trailer; // 5 date-times and 10 words
};

int word(const std::string& s, std::size_t at)
{
    return static_cast<unsigned char>(s[at]) << 8 | static_cast<unsigned char>(s[at + 1]);
}

// Cuts logged bytes into sets by their markers, as the program will.
bool parseSets(const std::string& mem, std::vector<ParsedSet>& out)
{
    const std::string marker = bytes({0x00, 0x55, 0xAA, 0x00});
    std::size_t at = 0;
    while (at < mem.size()) {
        if (mem.compare(at, 4, marker) != 0)
            return false;
        std::size_t next = mem.find(marker, at + 60);
        while (next != std::string::npos && (next - at - 58) % 2 != 0)
            next = mem.find(marker, next + 1);
        if (next == std::string::npos)
            next = mem.size();
        ParsedSet s;
        s.interval = word(mem, at + 4);
        s.status = static_cast<unsigned char>(mem[at + 6]);
        s.range = static_cast<unsigned char>(mem[at + 7]);
        const std::size_t n = (next - at - 58) / 2;
        for (std::size_t i = 0; i < n; ++i)
            s.records.push_back(word(mem, at + 8 + 2 * i));
        s.trailer = mem.substr(at + 8 + 2 * n, 50);
        out.push_back(s);
        at = next;
    }
    return true;
}

// "A", "L", "K" as the program's download sends them; returns the block.
std::string download(Rig& rig, int& pointer, std::chrono::milliseconds time = 2s)
{
    const std::string p = rig.ask("A", 30ms).substr(0, 3);
    pointer = static_cast<unsigned char>(p[0]) << 16 | word(p, 1);
    rig.ask("L", 30ms);
    rig.pty.write("K");
    return rig.pty.readBytes(static_cast<std::size_t>(pointer - 46), time);
}

std::string bcdTime(const slmsim::DateTime& t)
{
    const auto b = slmsim::toBcd6(t);
    return std::string(b.begin(), b.end());
}

} // namespace

class TestSimLogger : public QObject
{
    Q_OBJECT
private slots:
    void demoMemoryDownloadsAsThreeSets()
    {
        Rig rig(quietOptions());
        QVERIFY(rig.ok());
        int pointer = 0;
        const std::string block = download(rig, pointer);
        QCOMPARE(pointer, 48 + 118 + 1258 + 64);
        QVERIFY2(int(block.size()) == pointer - 46, hex(block.substr(block.size() - 20)).c_str());
        QCOMPARE(block.front(), '\x02');
        QCOMPARE(block.back(), '\x03');
        const std::string mem = block.substr(1, block.size() - 2);
        const auto logged = rig.meter.loggedBytes();
        QCOMPARE(hex(mem), hex(std::string(logged.begin(), logged.end())));
        QCOMPARE(rig.pty.readFor(30ms).size(), 0u); // nothing after the block but frames later
        QCOMPARE(rig.meter.state(), LinkState::Live);

        std::vector<ParsedSet> sets;
        QVERIFY(parseSets(mem, sets));
        QCOMPARE(sets.size(), 3u);
        QCOMPARE(sets[0].records.size(), 30u);
        QCOMPARE(sets[0].interval, 1);
        QCOMPARE(sets[1].records.size(), 600u);
        QCOMPARE(sets[1].interval, 2);
        QCOMPARE(sets[2].records.size(), 3u);
        QCOMPARE(sets[2].interval, 5);
        // The paused stretch sits inside the second set only, with bit 15 on its records.
        int paused = 0, firstPaused = -1;
        for (int i = 0; i < 600; ++i)
            if (sets[1].records[i] & 0x8000) {
                ++paused;
                firstPaused = firstPaused < 0 ? i : firstPaused;
            }
        QVERIFY(paused > 0 && firstPaused > 100 && firstPaused + paused < 500);
        for (int r : sets[0].records)
            QVERIFY(r >= 450 && r <= 800 && !(r & 0x8000));
        // Trailer: start three hours before the clock, then Leq, SEL, max, min, peak, zeros.
        QCOMPARE(hex(sets[0].trailer.substr(0, 6)), hex(bcdTime({2026, 3, 4, 5, 0, 0})));
        QCOMPARE(hex(sets[0].trailer.substr(6, 6)), hex(bcdTime({2026, 3, 4, 5, 0, 29})));
        const int maxRecord = *std::max_element(sets[0].records.begin(), sets[0].records.end());
        const int minRecord = *std::min_element(sets[0].records.begin(), sets[0].records.end());
        QCOMPARE(word(sets[0].trailer, 34), maxRecord);
        QCOMPARE(word(sets[0].trailer, 36), minRecord);
        QVERIFY(word(sets[0].trailer, 30) >= minRecord && word(sets[0].trailer, 30) <= maxRecord); // Leq
        QVERIFY(word(sets[0].trailer, 38) > maxRecord);                                            // peak
        QCOMPARE(hex(sets[0].trailer.substr(40)), hex(std::string(10, '\0')));
        for (const ParsedSet& s : sets)
            for (int i = 0; i < 5; ++i) {
                std::array<std::uint8_t, 6> t;
                std::copy_n(s.trailer.begin() + 6 * i, 6, t.begin());
                QVERIFY(slmsim::fromBcd6(t));
            }
    }

    void setsOptionAndEmptyMemory()
    {
        auto o = quietOptions();
        std::string error;
        o.sets = slmsim::parseSimArgs({"--sets", "5@10,1@255"}, error)->sets;
        Rig rig(o);
        QVERIFY(rig.ok());
        int pointer = 0;
        const std::string block = download(rig, pointer);
        QCOMPARE(pointer, 48 + 68 + 60);
        std::vector<ParsedSet> sets;
        QVERIFY(parseSets(block.substr(1, block.size() - 2), sets));
        QCOMPARE(sets.size(), 2u);
        QCOMPARE(int(sets[0].records.size()) * 1000 + sets[0].interval, 5010);
        QCOMPARE(int(sets[1].records.size()) * 1000 + sets[1].interval, 1255);

        auto e = quietOptions();
        e.emptyMemory = true;
        Rig empty(e);
        QVERIFY(empty.ok());
        QCOMPARE(hex(download(empty, pointer)), hex(bytes({0x02, 0x03})));
        QCOMPARE(pointer, 48);
        QVERIFY(!slmsim::parseSimArgs({"--sets", "0@5"}, error));
        QVERIFY(!slmsim::parseSimArgs({"--memory-k", "100"}, error));
    }

    void keySixLogsASetThatJoinsMemoryWhenItEnds()
    {
        auto o = quietOptions();
        o.level = 70.0;
        o.emptyMemory = true;
        Rig rig(o);
        QVERIFY(rig.ok());
        auto key = [&](int code) {
            rig.ask("A", 10ms);
            rig.ask(bytes({'K', 0, 0, code}), 10ms);
        };
        rig.ask("D", 10ms); // SLOW, logged in the set's status byte
        key(6);
        QCOMPARE(rig.meter.status().log, slmsim::LogState::Run);
        QTest::qWait(1500);                             // records at 0 s and 1 s
        QCOMPARE(rig.meter.status().memoryPointer, 48); // not part of memory yet
        key(5);
        QCOMPARE(rig.meter.status().log, slmsim::LogState::Pause);
        rig.meter.setLevel(60.0);
        QTest::qWait(1000); // a paused record at 2 s
        key(6);
        QCOMPARE(rig.meter.status().log, slmsim::LogState::Stop);
        const auto mem = rig.meter.loggedBytes();
        std::vector<ParsedSet> sets;
        QVERIFY(parseSets(std::string(mem.begin(), mem.end()), sets));
        QCOMPARE(sets.size(), 1u);
        QCOMPARE(sets[0].interval, 1);
        QCOMPARE(sets[0].status, 0x05); // SLOW, RUN, A
        QCOMPARE(sets[0].range, 3);
        QCOMPARE(QList<int>(sets[0].records.begin(), sets[0].records.end()),
                 (QList<int>{700, 700, 0x8000 | 600}));
        QCOMPARE(word(sets[0].trailer, 34), 700); // the paused record is not the minimum
        QCOMPARE(word(sets[0].trailer, 36), 700);

        // "H" erases the memory and stops a running log.
        key(6);
        rig.ask("H", 10ms);
        QCOMPARE(rig.meter.status().memoryPointer, 48);
        QCOMPARE(rig.meter.status().log, slmsim::LogState::Stop);
    }

    void fullMemoryEndsTheSetAndTakesNoNewOne()
    {
        // 64 K holds 65536 - 48 logged bytes; leave room for one set of two records.
        auto o = quietOptions();
        o.sets = {{(65536 - 48 - 62 - 58) / 2, 1}};
        Rig rig(o);
        QVERIFY(rig.ok());
        QCOMPARE(rig.meter.status().memoryPointer, 65536 - 62);
        rig.ask("A", 10ms);
        rig.ask(bytes({'K', 0, 0, 6}), 10ms);
        QTRY_COMPARE_WITH_TIMEOUT(rig.meter.status().log, slmsim::LogState::Stop, 4000);
        QCOMPARE(rig.meter.status().memoryPointer, 65536);
        rig.ask("A", 10ms);
        rig.ask(bytes({'K', 0, 0, 6}), 10ms);
        QCOMPARE(rig.meter.status().log, slmsim::LogState::Stop);
        // Sets that do not fit the size are left out whole.
        auto big = quietOptions();
        big.sets = {{100, 1}, {40000, 1}};
        slmsim::SimMeter meter(big);
        QCOMPARE(meter.status().memoryPointer, 48 + 258);
    }

    void downloadIsPacedAt3840BytesPerSecond()
    {
        for (bool pacing : {true, false}) {
            auto o = quietOptions();
            o.pacing = pacing;
            o.sets = {{2000, 1}}; // 4058 logged bytes, about 1.06 s on the line
            Rig rig(o);
            QVERIFY(rig.ok());
            rig.ask("L", 30ms);
            rig.pty.write("K");
            std::string block = rig.pty.readBytes(1, 1s);
            const auto first = std::chrono::steady_clock::now();
            block += rig.pty.readBytes(4060 - block.size(), 3s);
            const double took =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - first).count();
            QCOMPARE(block.size(), 4060u);
            if (pacing) {
                const double rate = (block.size() - 32) / took; // the first piece was already there
                QVERIFY2(rate > 3840 * 0.9 && rate < 3840 * 1.1, std::to_string(rate).c_str());
            } else {
                QVERIFY2(took < 0.3, std::to_string(took).c_str());
            }
            QCOMPARE(rig.meter.protocolErrors(), 0);
        }
    }

    void bytesDuringDownloadAreProtocolErrors()
    {
        auto o = quietOptions();
        o.pacing = true;
        Rig rig(o);
        QVERIFY(rig.ok());
        rig.ask("L", 30ms);
        rig.pty.write("K");
        QTest::qWait(50);
        QCOMPARE(rig.meter.state(), LinkState::Download);
        rig.pty.write("G");
        QTRY_COMPARE(rig.meter.state(), LinkState::Live);
        QCOMPARE(rig.meter.protocolErrors(), 1);
        QCOMPARE(rig.meter.status().freqWeighting, slmsim::FreqWeighting::A);
    }
};

QTEST_GUILESS_MAIN(TestSimLogger)
#include "test_sim_logger.moc"
