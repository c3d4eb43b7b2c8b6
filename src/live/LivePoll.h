#pragma once

#include <QByteArray>
#include <QTimer>
#include <functional>

struct Services;
struct PanelState;

// The 200 ms live poll and the link recovery that takes over when the meter falls silent.
class LivePoll
{
public:
    // What the recovery clears or switches beyond the link itself, in the order it runs them.
    // The panel wires each to the subsystem that owns it.
    struct Hooks {
        std::function<void()> linkLost;            // the recorder's part: its file written, its counts reset
        std::function<void(bool)> setSamplingTick; // the 1 s tick off while the meter is lost
        std::function<void(const QString&)> showComLabel;
        std::function<void()> clearLevelDisplay;
        std::function<void()> clearGraphs;
        std::function<void()> updateDisplay; // after a decoded frame
    };

    enum class Result { Decoded, Skipped, LinkLost, Cancelled };

    LivePoll(Services& services, PanelState& state, Hooks hooks);

    // One tick. Skipped when an earlier tick, the recovery or another exchange holds the link.
    Result tick();
    bool running() const { return m_running; }
    // The meter is lost and the recovery waits for its frames.
    bool recovering() const { return m_recoverTimer.isActive(); }
    int decodedFrames() const { return m_decoded; }

private:
    void recoverLink();
    void recoverStep();
    void decode(const QByteArray& frame);

    Services& m_s;
    PanelState& m_state;
    Hooks m_hooks;
    bool m_running = false;
    int m_decoded = 0;
    // The recovery's wait runs on its own timer, in 0.02 s steps, so the event loop is never
    // held inside an endless wait: everything else keeps running while the meter is away.
    QTimer m_recoverTimer;
    int m_recoverSteps = 0;
};
