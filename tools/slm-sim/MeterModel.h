#pragma once

#include "slm-sim/CivilTime.h"
#include "slm-sim/LoggerMemory.h"
#include "slm-sim/SimOptions.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <vector>

namespace slmsim
{

enum class LinkState { Live, Quiet, Attention, Ready, Download };
enum class TimeWeighting { Fast = 0, Slow = 1, Imp = 2 };
enum class FreqWeighting { A = 0, C = 1, Z = 2, AA = 3 };
enum class LogState { Stop, Run, Pause };

const char* stateName(LinkState s);

// What the meter is doing, for tests to assert on.
struct MeterStatus {
    LinkState state = LinkState::Live;
    int rangeIndex = 3; // 0: 80-140 ... 5: 30-90
    TimeWeighting timeWeighting = TimeWeighting::Fast;
    FreqWeighting freqWeighting = FreqWeighting::A;
    LogState log = LogState::Stop;
    int loggingInterval = 1; // seconds
    int memoryPointer = MemoryStart;
    int memoryK = 64;
    DateTime clock;
    double level = 0.0; // the level of the newest frame (or of now when none was sent)
};

// One piece of output: written in one write, never split on purpose.
struct Outgoing {
    std::vector<std::uint8_t> bytes;
    bool droppable = false; // frames, acknowledgements and garbage are lost when nobody reads
};

// The meter without any I/O: bytes in with their time, output taken when the line is free,
// timers advanced by the caller. Not thread-safe; SimMeter guards it.
class MeterModel
{
public:
    using Time = std::chrono::steady_clock::time_point;

    MeterModel(const SimOptions& options, Time start);

    void receive(std::uint8_t byte, Time now);
    // State ends, unfinished commands, logger records.
    void advance(Time now);
    // The next thing to send at now, if any; downloads and garbage come in pieces of maxChunk.
    std::optional<Outgoing> takeOutput(Time now, std::size_t maxChunk);
    // When takeOutput will next have something; when advance has a timer to run.
    Time nextOutputAt() const;
    Time nextTimerAt() const;

    void setLevel(double db);
    void setWrongLengthReplies(bool on) { m_wrongLength = on; }
    void setMemory(std::vector<std::uint8_t> logged) { m_memory = std::move(logged); }
    void sendGarbage(Time until, Time now);
    int protocolErrors() const { return m_protocolErrors; }
    const std::vector<std::uint8_t>& memory() const { return m_memory; }
    MeterStatus status(Time now) const;

    static constexpr auto QuietTime = std::chrono::milliseconds(200);
    static constexpr auto AttentionTime = std::chrono::seconds(2);
    static constexpr auto AckPeriod = std::chrono::milliseconds(100);
    static constexpr auto ReadyTime = std::chrono::seconds(2);
    // A command is written in one write; arguments later than this are a broken command.
    static constexpr auto ArgumentTimeout = std::chrono::milliseconds(100);

private:
    void command(std::uint8_t byte, Time now);
    void finishArguments(Time now);
    void pressKey(int code, Time now);
    void enterQuiet(Time now);
    void reply(std::vector<std::uint8_t> bytes);
    void rangeUp();
    void rangeDown();
    void cycleTimeWeighting();
    void startOrEndSet(Time now);
    void endSet(Time now);
    bool roomForRecords(int records) const;
    double levelNow(Time now) const;
    std::vector<std::uint8_t> frame(Time now);
    std::vector<std::uint8_t> garbage(std::size_t n);
    void remember(const std::vector<std::uint8_t>& sent);
    DateTime clockAt(Time now) const;

    SimOptions m_opt;
    Time m_start;
    LinkState m_state = LinkState::Live;
    Time m_stateUntil{}; // end of QUIET, ATTENTION or READY
    Time m_nextFrameAt{};
    Time m_nextAckAt{};
    std::chrono::microseconds m_framePeriod;

    // A command waiting for its argument bytes.
    std::uint8_t m_pending = 0;
    std::size_t m_pendingNeeds = 0;
    bool m_pendingKeyAllowed = false;
    std::vector<std::uint8_t> m_args;
    Time m_pendingUntil{};

    std::deque<std::vector<std::uint8_t>> m_replies;
    std::vector<std::uint8_t> m_block; // the download block being sent
    std::size_t m_blockSent = 0;

    int m_range = 3;
    TimeWeighting m_time = TimeWeighting::Fast;
    FreqWeighting m_freq = FreqWeighting::A;
    int m_interval = 1;
    std::optional<double> m_held;
    std::size_t m_levelIndex = 0;
    double m_lastLevel = 0.0;
    bool m_sentFrame = false;

    std::vector<std::uint8_t> m_memory; // the logged bytes, from address 48
    LogState m_log = LogState::Stop;
    LoggedSet m_set; // the set being logged, not yet part of memory
    Time m_nextRecordAt{};

    std::int64_t m_clockBase = 0; // meter clock at m_clockRef, in calendar seconds
    Time m_clockRef{};

    bool m_wrongLength = false;
    int m_protocolErrors = 0;
    Time m_garbageUntil{};
    Time m_nextGarbageAt{};
    std::mt19937 m_random;
    std::uint8_t m_recent[5] = {}; // last bytes sent, so garbage never ends in a frame tail
};

} // namespace slmsim
