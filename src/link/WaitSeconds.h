#pragma once

// The timed wait of every exchange. It lets user-interface events run while it waits and
// measures the time on a monotonic clock, so a wait across midnight lasts its full time.
class Waiter {
public:
    virtual ~Waiter() = default;
    virtual void waitSeconds(double seconds) = 0;
};

// Sleeps in the event loop (no busy wait): a nested QEventLoop woken by a timer.
class EventLoopWaiter : public Waiter {
public:
    void waitSeconds(double seconds) override;
};

// The shared wait used where no other waiter was handed in.
void WaitSeconds(double seconds);
