#pragma once

namespace slm
{

// The link has one user at a time. An exchange holds the lock while it runs; the live poll
// skips its tick when it finds the lock held, since the waits of an exchange run the event
// loop and a timer tick could otherwise start in the middle of it.
// The poll itself does not hold it (its short waits hold clicks back); an exchange that a timer
// starts meanwhile gets the link, and the poll, finding that the link was used (uses()
// changed), drops its tick.
class LinkLock
{
public:
    bool busy() const { return m_holders > 0; }
    int uses() const { return m_uses; }

    class Hold
    {
    public:
        explicit Hold(LinkLock& lock) : m_lock(lock)
        {
            ++m_lock.m_holders;
            ++m_lock.m_uses;
        }
        ~Hold() { --m_lock.m_holders; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        LinkLock& m_lock;
    };

private:
    int m_holders = 0;
    int m_uses = 0;
};

} // namespace slm
