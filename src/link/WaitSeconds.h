#pragma once

namespace slm
{

// The timed wait of every exchange. It lets user-interface events run while it waits and
// measures the time on a monotonic clock, so a wait across midnight lasts its full time.
class Waiter
{
public:
    virtual ~Waiter() = default;
    virtual void waitSeconds(double seconds) = 0;
    // The same wait, but clicks and keys stay queued until it is over. The live poll waits so:
    // a user's command then never starts inside a poll tick, where the poll holds the link.
    virtual void waitSecondsHoldingInput(double seconds) { waitSeconds(seconds); }
    // Set when the program is closing: loops that wait for the meter end at their next step.
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }

private:
    bool m_cancelled = false;
};

// Sleeps in the event loop (no busy wait): a nested QEventLoop woken by a timer.
class EventLoopWaiter : public Waiter
{
public:
    void waitSeconds(double seconds) override;
    void waitSecondsHoldingInput(double seconds) override;

private:
    void wait(double seconds, bool allowInput);
};

// The shared wait used where no other waiter was handed in.
void WaitSeconds(double seconds);

} // namespace slm
