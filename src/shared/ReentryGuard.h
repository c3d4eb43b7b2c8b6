#pragma once

namespace slm
{

// Handlers that wait with the event loop running can be entered again from inside that wait
// (a timer tick, a second click). A ReentryFlag marks a handler as running; a Guard enters it
// only when it is not, and leaves it however the handler ends.
class ReentryFlag
{
public:
    bool active() const { return m_active; }

    class Guard
    {
    public:
        explicit Guard(ReentryFlag& flag) : m_flag(flag), m_entered(!flag.m_active)
        {
            m_flag.m_active = true;
        }
        ~Guard()
        {
            if (m_entered)
                m_flag.m_active = false;
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

        // False when the handler was already running: the caller returns at once.
        bool entered() const { return m_entered; }

    private:
        ReentryFlag& m_flag;
        bool m_entered;
    };

private:
    bool m_active = false;
};

} // namespace slm
