#pragma once

#include <QDateTime>

namespace slm
{

// The wall clock the program stamps records with. Tests set it; waits never use it (they run
// on a monotonic clock, see WaitSeconds).
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    double secondsSinceMidnight() const;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stands still until a test moves it.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0))) : m_now(start) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& when) { m_now = when; }
    void advance(int seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

} // namespace slm
