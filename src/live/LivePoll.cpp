#include "live/LivePoll.h"

#include "link/LinkLock.h"
#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/WaitSeconds.h"
#include "live/FrameDecoder.h"
#include "shared/PanelState.h"
#include "shared/Services.h"

namespace {
constexpr int LostAfterSteps = 100;  // of 0.01 s: about one second without six bytes
constexpr int ReopenEverySteps = 25;  // of 0.02 s while recovering a port that went away

struct RunningFlag {
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    bool& m_flag;
};
}  // namespace

LivePoll::LivePoll(Services& services, PanelState& state, Hooks hooks)
    : m_s(services), m_state(state), m_hooks(std::move(hooks))
{
}

LivePoll::Result LivePoll::tick()
{
    if (m_running || m_s.linkLock.busy())
        return Result::Skipped;
    RunningFlag running(m_running);
    LinkLock::Hold hold(m_s.linkLock);

    while (true) {
        if (!m_s.link.portOpen()) {
            recoverLink();
            return Result::LinkLost;
        }
        m_s.link.flush();
        int steps = 0;
        do {
            m_s.waiter.waitSeconds(0.01);
            ++steps;
            if (m_s.waiter.cancelled())
                return Result::Cancelled;
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
        if (!isPlausibleLiveFrame(block.right(6)))
            continue;
        decode(block.right(6));
        if (m_hooks.updateDisplay)
            m_hooks.updateDisplay();
        return Result::Decoded;
    }
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
    if (m_state.Recording && m_hooks.stopRecording)
        m_hooks.stopRecording();
    m_state.OverallMax = 0;
    m_state.RecordingMax = QStringLiteral("0");
    m_state.RecordCount = 0;
    m_state.ListCount = 0;
    if (m_hooks.setSamplingTick)
        m_hooks.setSamplingTick(false);
    if (m_hooks.showComLabel)
        m_hooks.showComLabel(QStringLiteral("No COM"));
    if (m_hooks.clearLevelDisplay)
        m_hooks.clearLevelDisplay();
    if (m_hooks.clearListAndGraphs)
        m_hooks.clearListAndGraphs();

    if (!waitForFrames())
        return;  // the program is closing
    if (m_hooks.showComLabel)
        m_hooks.showComLabel(m_state.PortLabel);
    if (m_hooks.setSamplingTick)
        m_hooks.setSamplingTick(true);
}

bool LivePoll::waitForFrames()
{
    // No time limit: the panel waits for the meter for as long as it is open. A port that went
    // away (an unplugged USB adapter) is opened again every half second until it is back.
    while (true) {
        m_s.link.flush();
        int steps = 0;
        while (m_s.link.inBufferCount() < 6) {
            m_s.waiter.waitSeconds(0.02);
            if (m_s.waiter.cancelled())
                return false;
            if (++steps % ReopenEverySteps == 0 && !m_s.link.portOpen())
                m_s.link.setPortOpen(true);
        }
        if (isPlausibleLiveFrame(m_s.link.readAll().right(6)))
            return true;
    }
}
