#pragma once

namespace slm
{

// The link has one user at a time. An exchange holds the lock while it runs; the live frames
// leave the line alone while they find it held, since the waits of an exchange run the event
// loop and the frames' bytes would otherwise be taken in the middle of it. Taking frames never
// holds it; once the link was used (uses() changed) they drop what the exchange left on the line
// and start afresh.
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
