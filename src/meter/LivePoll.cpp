#include "meter/LivePoll.h"

#include "link/FrameDecoder.h"
#include "link/LinkLock.h"
#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/WaitSeconds.h"
#include "shared/Services.h"

namespace slm
{

namespace
{
constexpr int LostAfterSteps = 100; // of 0.01 s: about one second without six bytes
} // namespace

LivePoll::LivePoll(const MeterLine& line, LiveReading& live) : m_s(line), m_live(live) {}

LivePoll::Result LivePoll::tick()
{
    const ReentryFlag::Guard running(m_running);
    if (!running.entered() || m_s.linkLock.busy())
        return Result::Skipped;
    // Not a hold: clicks wait until the tick is over (its waits hold user input back), and an
    // exchange that a timer starts meanwhile goes first; the tick then gives way.
    const int usesAtStart = m_s.linkLock.uses();
    const auto linkUsedMeanwhile = [&] { return m_s.linkLock.busy() || m_s.linkLock.uses() != usesAtStart; };

    // Retries after a block that was no frame share one budget of steps with the wait, so a
    // line full of noise ends the tick (without a reading) instead of holding it for as long
    // as the noise lasts; the next tick starts afresh.
    int retrySteps = 0;
    while (retrySteps < LostAfterSteps) {
        if (!m_s.link.portOpen())
            return Result::LinkLost;
        m_s.link.flush();
        int steps = 0;
        do {
            m_s.waiter.waitSecondsHoldingInput(0.01);
            ++steps;
            if (m_s.waiter.cancelled())
                return Result::Cancelled;
            // What waits now is the other exchange's leftover, and the meter may have been
            // quiet for it: neither a reading nor a lost link.
            if (linkUsedMeanwhile())
                return Result::Skipped;
        } while (steps < LostAfterSteps && m_s.link.inBufferCount() <= 5);

        if (steps >= LostAfterSteps) {
            m_s.link.readAll();
            return Result::LinkLost;
        }
        const QByteArray block = m_s.link.readAll();
        // An acknowledgement left over from a key command is not a reading.
        if (MeterCommands::endsWithAck(block))
            return Result::Skipped;
        if (!isPlausibleLiveFrame(block.right(6))) {
            retrySteps += steps;
            continue;
        }
        decode(block.right(6));
        return Result::Decoded;
    }
    return Result::Skipped;
}

void LivePoll::decode(const QByteArray& frame)
{
    const auto byte = [&](int i) { return static_cast<unsigned char>(frame[i]); };
    DecodeRangeByte(m_live, byte(1));
    DecodeStatusByte(m_live, byte(2));
    DecodeLevelWord(m_live, byte(3), byte(4));
    ++m_decoded;
}

} // namespace slm
