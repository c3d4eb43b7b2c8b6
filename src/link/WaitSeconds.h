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
};

// The shared wait used where no other waiter was handed in.
void WaitSeconds(double seconds);

} // namespace slm
