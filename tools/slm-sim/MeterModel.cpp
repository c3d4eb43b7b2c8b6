#include "slm-sim/MeterModel.h"

#include "slm-sim/RoomSignal.h"

#include <algorithm>
#include <cmath>

namespace slmsim
{

namespace
{

using namespace std::chrono;
using Time = MeterModel::Time;

constexpr int RangeHigh[6] = {140, 130, 120, 110, 100, 90};
constexpr auto ByteTime = microseconds(260); // 10 bits at 38400 baud, rounded down a little

std::uint16_t tenths(double db)
{
    return static_cast<std::uint16_t>(std::clamp(std::lround(db * 10.0), 0L, 0x7fffL));
}

Time earliest(Time a, Time b)
{
    return std::min(a, b);
}

} // namespace

const char* stateName(LinkState s)
{
    switch (s) {
    case LinkState::Live:
        return "LIVE";
    case LinkState::Quiet:
        return "QUIET";
    case LinkState::Attention:
        return "ATTENTION";
    case LinkState::Ready:
        return "READY";
    case LinkState::Download:
        return "DOWNLOAD";
    }
    return "?";
}

MeterModel::MeterModel(const SimOptions& options, Time start)
    : m_opt(options), m_start(start), m_nextFrameAt(start),
      m_framePeriod(milliseconds(std::max(1, options.frameMs))), m_held(options.level), m_random(options.seed)
{
    const DateTime clock =
        options.clock ? parseDateTime(*options.clock).value_or(hostLocalNow()) : hostLocalNow();
    m_clockBase = toSeconds(clock);
    m_clockRef = start;
    const std::size_t capacity = static_cast<std::size_t>(m_opt.memoryK) * 1024 - MemoryStart;
    if (!options.sets.empty())
        m_memory = memoryOfSets(options.seed, options.sets, clock, capacity);
    else if (!options.emptyMemory)
        m_memory = demoMemory(options.seed, clock);
    m_lastLevel = levelNow(start);
}

void MeterModel::receive(std::uint8_t byte, Time now)
{
    if (m_state == LinkState::Quiet)
        m_stateUntil = now + QuietTime;
    if (m_state == LinkState::Download) {
        ++m_protocolErrors; // the meter is busy sending; it takes nothing in
        return;
    }
    if (m_pending == 'K' && m_args.size() < 2 && byte != 0) {
        // Not a key press after all: drop the "K" and read this byte as a command.
        ++m_protocolErrors;
        m_pending = 0;
    }
    if (m_pending) {
        m_args.push_back(byte);
        if (m_args.size() == m_pendingNeeds)
            finishArguments(now);
        return;
    }
    command(byte, now);
}

void MeterModel::command(std::uint8_t byte, Time now)
{
    auto awaitArguments = [&](std::size_t n) {
        m_pending = byte;
        m_pendingNeeds = n;
        m_args.clear();
        m_pendingUntil = now + ArgumentTimeout;
    };
    const auto pointer = static_cast<std::uint32_t>(MemoryStart + m_memory.size());
    switch (byte) {
    case 'A':
        reply({static_cast<std::uint8_t>(pointer >> 16), static_cast<std::uint8_t>(pointer >> 8),
               static_cast<std::uint8_t>(pointer)});
        m_state = LinkState::Attention;
        m_stateUntil = now + AttentionTime;
        m_nextAckAt = now + AckPeriod;
        return;
    case 'L':
        reply({0x00, static_cast<std::uint8_t>(m_opt.memoryK / 64), 0x00});
        m_state = LinkState::Ready;
        m_stateUntil = now + ReadyTime;
        return;
    case 'K':
        if (m_state == LinkState::Ready) {
            m_block.assign(1, 0x02);
            m_block.insert(m_block.end(), m_memory.begin(), m_memory.end());
            m_block.push_back(0x03);
            m_blockSent = 0;
            m_state = LinkState::Download;
            return;
        }
        awaitArguments(3);
        m_pendingKeyAllowed = m_state == LinkState::Attention;
        return;
    case 'C':
        awaitArguments(2);
        return;
    case 'B':
        awaitArguments(6);
        return;
    case 'G':
        m_freq = static_cast<FreqWeighting>((static_cast<int>(m_freq) + 1) % 4);
        break;
    case 'D':
        cycleTimeWeighting();
        break;
    case 'E':
        rangeUp();
        break;
    case 'F':
        rangeDown();
        break;
    case 'J':
        reply({static_cast<std::uint8_t>(m_interval >> 8), static_cast<std::uint8_t>(m_interval)});
        break;
    case 'H':
        m_memory.clear();
        m_log = LogState::Stop; // the set being logged goes with the rest
        break;
    case 'I': {
        const auto b = toBcd6(clockAt(now));
        reply(std::vector<std::uint8_t>(b.begin(), b.end()));
        break;
    }
    default:
        ++m_protocolErrors;
        return;
    }
    enterQuiet(now);
}

void MeterModel::finishArguments(Time now)
{
    const std::uint8_t cmd = m_pending;
    m_pending = 0;
    if (cmd == 'K') {
        const int code = m_args[2];
        if (!m_pendingKeyAllowed || code < 1 || code > 10) {
            ++m_protocolErrors;
            return;
        }
        pressKey(code, now);
        m_state = LinkState::Live;
        return;
    }
    if (cmd == 'C') {
        const int t = m_args[0] * 256 + m_args[1];
        if (t >= 1 && t <= 255)
            m_interval = t;
    } else if (cmd == 'B') {
        std::array<std::uint8_t, 6> b;
        std::copy_n(m_args.begin(), 6, b.begin());
        if (const auto t = fromBcd6(b)) {
            m_clockBase = toSeconds(*t);
            m_clockRef = now;
        }
    }
    enterQuiet(now);
}

void MeterModel::pressKey(int code, Time now)
{
    switch (code) {
    case 1:
        m_freq = m_freq == FreqWeighting::A ? FreqWeighting::C : FreqWeighting::A;
        break;
    case 2:
        cycleTimeWeighting();
        break;
    case 5:
        if (m_log == LogState::Run)
            m_log = LogState::Pause;
        else if (m_log == LogState::Pause)
            m_log = LogState::Run;
        break;
    case 6:
        startOrEndSet(now);
        break;
    case 9:
        rangeUp();
        break;
    case 10:
        rangeDown();
        break;
    default:
        break; // 3, 4, 7, 8 change only the meter's own display
    }
}

void MeterModel::enterQuiet(Time now)
{
    m_state = LinkState::Quiet;
    m_stateUntil = now + QuietTime;
}

void MeterModel::reply(std::vector<std::uint8_t> bytes)
{
    if (m_wrongLength && !bytes.empty())
        bytes.pop_back();
    m_replies.push_back(std::move(bytes));
}

void MeterModel::rangeUp()
{
    m_range = std::max(0, m_range - 1);
}
void MeterModel::rangeDown()
{
    m_range = std::min(5, m_range + 1);
}
void MeterModel::cycleTimeWeighting()
{
    m_time = static_cast<TimeWeighting>((static_cast<int>(m_time) + 1) % 3);
}

bool MeterModel::roomForRecords(int records) const
{
    const std::size_t capacity = static_cast<std::size_t>(m_opt.memoryK) * 1024;
    return MemoryStart + m_memory.size() + static_cast<std::size_t>(setLength(records)) <= capacity;
}

void MeterModel::startOrEndSet(Time now)
{
    if (m_log != LogState::Stop) {
        endSet(now);
        return;
    }
    if (!roomForRecords(1))
        return; // a full memory takes no new set
    m_set = LoggedSet{};
    m_set.interval = m_interval;
    m_set.status = static_cast<std::uint8_t>(static_cast<int>(m_time) | 0x04 | static_cast<int>(m_freq) << 5);
    m_set.range = static_cast<std::uint8_t>(m_range);
    m_set.start = clockAt(now);
    m_set.records.push_back(tenths(levelNow(now)));
    m_nextRecordAt = now + seconds(m_interval);
    m_log = LogState::Run;
}

void MeterModel::endSet(Time now)
{
    m_set.end = clockAt(now);
    const auto bytes = encodeSet(m_set);
    m_memory.insert(m_memory.end(), bytes.begin(), bytes.end());
    m_log = LogState::Stop;
}

void MeterModel::advance(Time now)
{
    if (m_pending && now >= m_pendingUntil) {
        ++m_protocolErrors; // a command whose arguments never came
        m_pending = 0;
    }
    while (m_log != LogState::Stop && now >= m_nextRecordAt) {
        const int n = static_cast<int>(m_set.records.size());
        if (!roomForRecords(n + 1)) {
            endSet(m_nextRecordAt);
            break;
        }
        std::uint16_t r = tenths(levelNow(m_nextRecordAt));
        if (m_log == LogState::Pause)
            r |= PausedBit;
        m_set.records.push_back(r);
        m_nextRecordAt += seconds(m_set.interval);
    }
    const bool timed =
        m_state == LinkState::Quiet || m_state == LinkState::Attention || m_state == LinkState::Ready;
    if (timed && now >= m_stateUntil)
        m_state = LinkState::Live;
}

std::optional<Outgoing> MeterModel::takeOutput(Time now, std::size_t maxChunk)
{
    std::optional<Outgoing> out;
    bool isGarbage = false;
    if (!m_replies.empty()) {
        out = Outgoing{std::move(m_replies.front()), false};
        m_replies.pop_front();
    } else if (m_state == LinkState::Download) {
        const std::size_t n = std::min(maxChunk, m_block.size() - m_blockSent);
        out = Outgoing{{m_block.begin() + static_cast<long>(m_blockSent),
                        m_block.begin() + static_cast<long>(m_blockSent + n)},
                       false};
        m_blockSent += n;
        if (m_blockSent == m_block.size()) {
            m_state = LinkState::Live;
            m_block.clear();
        }
    } else if (now < m_garbageUntil) {
        if (now >= m_nextGarbageAt) {
            const std::size_t n = std::min<std::size_t>(maxChunk, 16);
            out = Outgoing{garbage(n), true};
            isGarbage = true;
            m_nextGarbageAt =
                std::max(m_nextGarbageAt, now - milliseconds(20)) + ByteTime * static_cast<int>(n);
        }
    } else if (m_state == LinkState::Live && now >= m_nextFrameAt) {
        out = Outgoing{frame(now), true};
        m_nextFrameAt += m_framePeriod;
        if (m_nextFrameAt <= now) // fell behind (another state, a long reply): back onto the grid
            m_nextFrameAt += m_framePeriod * ((now - m_nextFrameAt) / m_framePeriod + 1);
    } else if (m_state == LinkState::Attention && now >= m_nextAckAt) {
        out = Outgoing{{0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x03}, true};
        m_nextAckAt += AckPeriod;
        if (m_nextAckAt <= now)
            m_nextAckAt += AckPeriod * ((now - m_nextAckAt) / AckPeriod + 1);
    }
    if (out && !isGarbage) // garbage keeps its own window of recent bytes
        remember(out->bytes);
    return out;
}

Time MeterModel::nextOutputAt() const
{
    if (!m_replies.empty() || m_state == LinkState::Download)
        return Time::min();
    if (m_garbageUntil > m_nextGarbageAt)
        return m_nextGarbageAt;
    if (m_state == LinkState::Live)
        return m_nextFrameAt;
    if (m_state == LinkState::Attention)
        return m_nextAckAt;
    return Time::max();
}

Time MeterModel::nextTimerAt() const
{
    Time t = Time::max();
    if (m_pending)
        t = earliest(t, m_pendingUntil);
    if (m_log != LogState::Stop)
        t = earliest(t, m_nextRecordAt);
    if (m_state == LinkState::Quiet || m_state == LinkState::Attention || m_state == LinkState::Ready)
        t = earliest(t, m_stateUntil);
    if (m_garbageUntil > m_nextGarbageAt)
        t = earliest(t, m_garbageUntil);
    return t;
}

void MeterModel::setLevel(double db)
{
    m_held = std::clamp(db, 0.0, 3276.7);
    m_opt.levels.clear();
}

void MeterModel::sendGarbage(Time until, Time now)
{
    m_garbageUntil = until;
    m_nextGarbageAt = now;
}

double MeterModel::levelNow(Time now) const
{
    if (!m_opt.levels.empty())
        return m_sentFrame ? m_lastLevel : m_opt.levels.front();
    if (m_held)
        return *m_held;
    return roomLevel(m_opt.seed, duration<double>(now - m_start).count());
}

std::vector<std::uint8_t> MeterModel::frame(Time now)
{
    double db;
    if (!m_opt.levels.empty())
        db = m_opt.levels[std::min(m_levelIndex++, m_opt.levels.size() - 1)];
    else
        db = levelNow(now);
    m_lastLevel = db;
    m_sentFrame = true;
    const std::uint16_t word = tenths(db) | (m_log == LogState::Pause ? PausedBit : 0);
    const double shown = (word & 0x7fff) / 10.0;
    const bool over = shown > RangeHigh[m_range];
    const bool under = shown < RangeHigh[m_range] - 60;
    const int run = m_log == LogState::Run, pause = m_log == LogState::Pause, stop = m_log == LogState::Stop;
    const int status = static_cast<int>(m_time) | run << 2 | pause << 3 | stop << 4 |
                       static_cast<int>(m_freq) << 5 | (under ? 0x80 : 0);
    return {0x02,
            static_cast<std::uint8_t>(m_range | (over ? 0x80 : 0)),
            static_cast<std::uint8_t>(status),
            static_cast<std::uint8_t>(word >> 8),
            static_cast<std::uint8_t>(word & 0xff),
            0x03};
}

std::vector<std::uint8_t> MeterModel::garbage(std::size_t n)
{
    std::vector<std::uint8_t> out;
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t i = 0; i < n; ++i) {
        // m_recent[0] is the byte five places back once this one is sent.
        std::uint8_t b = static_cast<std::uint8_t>(byte(m_random));
        if (b == 0x03 && m_recent[0] == 0x02)
            b = 0x04;
        out.push_back(b);
        std::copy(m_recent + 1, m_recent + 5, m_recent);
        m_recent[4] = b;
    }
    return out;
}

void MeterModel::remember(const std::vector<std::uint8_t>& sent)
{
    for (std::uint8_t b : sent) {
        std::copy(m_recent + 1, m_recent + 5, m_recent);
        m_recent[4] = b;
    }
}

DateTime MeterModel::clockAt(Time now) const
{
    return fromSeconds(m_clockBase + duration_cast<seconds>(now - m_clockRef).count());
}

MeterStatus MeterModel::status(Time now) const
{
    MeterStatus s;
    s.state = m_state;
    s.rangeIndex = m_range;
    s.timeWeighting = m_time;
    s.freqWeighting = m_freq;
    s.log = m_log;
    s.loggingInterval = m_interval;
    s.memoryPointer = static_cast<int>(MemoryStart + m_memory.size());
    s.memoryK = m_opt.memoryK;
    s.clock = clockAt(now);
    s.level = m_sentFrame ? m_lastLevel : levelNow(now);
    return s;
}

} // namespace slmsim
