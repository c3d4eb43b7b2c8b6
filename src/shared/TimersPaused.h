#pragma once

#include "shared/PanelTimers.h"

namespace slm
{

// The panel's two timers are off for the lifetime of this object (an exchange with the meter or
// a long computation), and on again however it ends.
class TimersPaused
{
public:
    explicit TimersPaused(PanelTimers* timers) : m_timers(timers)
    {
        if (m_timers)
            m_timers->setTimersEnabled(false);
    }
    ~TimersPaused()
    {
        if (m_timers && !m_leaveOff)
            m_timers->setTimersEnabled(true);
    }
    TimersPaused(const TimersPaused&) = delete;
    TimersPaused& operator=(const TimersPaused&) = delete;

    // A newer piece of work took the timers over and switches them on when it ends.
    void leaveOffAtEnd() { m_leaveOff = true; }

private:
    PanelTimers* m_timers;
    bool m_leaveOff = false;
};

} // namespace slm
