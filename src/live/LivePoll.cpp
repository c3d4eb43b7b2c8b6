#include "live/LivePoll.h"

#include "link/FrameDecoder.h"
#include "link/LinkLock.h"
#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/WaitSeconds.h"
#include "shared/PanelState.h"
#include "shared/Services.h"

namespace
{
constexpr int LostAfterSteps = 100;  // of 0.01 s: about one second without six bytes
constexpr int ReopenEverySteps = 25; // of 0.02 s while recovering a port that went away

struct RunningFlag {
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    bool& m_flag;
};
} // namespace

LivePoll::LivePoll(Services& services, PanelState& state, Hooks hooks)
    : m_s(services), m_state(state), m_hooks(std::move(hooks))
{
    m_recoverTimer.setInterval(20);
    m_recoverTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_recoverTimer, &QTimer::timeout, [this] { recoverStep(); });
}

LivePoll::Result LivePoll::tick()
{
    if (m_running || recovering() || m_s.linkLock.busy())
        return Result::Skipped;
    RunningFlag running(m_running);
    // Not a hold: clicks wait until the tick is over (its waits hold user input back), and an
    // exchange that a timer starts meanwhile goes first; the tick then gives way.
    const int usesAtStart = m_s.linkLock.uses();
    const auto linkUsedMeanwhile = [&] { return m_s.linkLock.busy() || m_s.linkLock.uses() != usesAtStart; };

    // Retries after a block that was no frame share one budget of steps with the wait, so a
    // line full of noise ends the tick (without a reading) instead of holding it for as long
    // as the noise lasts; the next tick starts afresh.
    int retrySteps = 0;
    while (retrySteps < LostAfterSteps) {
        if (!m_s.link.portOpen()) {
            recoverLink();
            return Result::LinkLost;
        }
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
            recoverLink();
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
        if (m_hooks.updateDisplay)
            m_hooks.updateDisplay();
        return Result::Decoded;
    }
    return Result::Skipped;
}

void LivePoll::decode(const QByteArray& frame)
{
    const auto byte = [&](int i) { return static_cast<unsigned char>(frame[i]); };
    DecodeRangeByte(m_state.Live, byte(1));
    DecodeStatusByte(m_state.Live, byte(2));
    DecodeLevelWord(m_state.Live, byte(3), byte(4));
    ++m_decoded;
}

void LivePoll::recoverLink()
{
    if (m_hooks.linkLost)
        m_hooks.linkLost();
    if (m_hooks.setSamplingTick)
        m_hooks.setSamplingTick(false);
    if (m_hooks.showComLabel)
        m_hooks.showComLabel(QStringLiteral("No COM"));
    if (m_hooks.clearLevelDisplay)
        m_hooks.clearLevelDisplay();
    if (m_hooks.clearGraphs)
        m_hooks.clearGraphs();

    // Wait for the meter: flush, then every 0.02 s look for six bytes; read them; done when
    // they end in a frame, else flush and wait again. No time limit.
    m_s.link.flush();
    m_recoverSteps = 0;
    m_recoverTimer.start();
}

void LivePoll::recoverStep()
{
    if (m_s.waiter.cancelled()) {
        m_recoverTimer.stop();
        return;
    }
    // A key press or a window's exchange has the link: leave its bytes alone.
    if (m_s.linkLock.busy())
        return;
    // A port that went away (an unplugged USB adapter) is opened again every half second.
    if (++m_recoverSteps % ReopenEverySteps == 0 && !m_s.link.portOpen() && m_s.link.setPortOpen(true))
        m_s.link.flush();
    if (m_s.link.inBufferCount() < 6)
        return;
    if (!isPlausibleLiveFrame(m_s.link.readAll().right(6))) {
        m_s.link.flush();
        return;
    }
    m_recoverTimer.stop();
    if (m_hooks.showComLabel)
        m_hooks.showComLabel(m_state.PortLabel);
    if (m_hooks.setSamplingTick)
        m_hooks.setSamplingTick(true);
}
