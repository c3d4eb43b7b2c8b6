#include "link/ExchangeScope.h"

#include "link/WaitSeconds.h"
#include "shared/Services.h"
#include "shared/StatusNotices.h"

namespace slm
{

ExchangeScope::ExchangeScope(const MeterLine& line, PanelTimers* timers, Refusal refusal)
    : m_waiter(line.waiter)
{
    if (refusal == Refusal::Report ? refuseWhileBusy(line) : line.linkLock.busy())
        return;
    m_timers.emplace(timers);
    m_hold.emplace(line.linkLock);
}

// The link is released before the timers run again, so the first tick finds it free.
ExchangeScope::~ExchangeScope()
{
    m_hold.reset();
    // A closing program has stopped its timers for good.
    if (m_timers && m_waiter.cancelled())
        m_timers->leaveOffAtEnd();
    m_timers.reset();
}

QString ExchangeScope::busyText()
{
    return QStringLiteral("The meter is busy; command not sent");
}

bool ExchangeScope::refuseWhileBusy(const MeterLine& line)
{
    if (!line.linkLock.busy())
        return false;
    line.notices.post(busyText());
    return true;
}

} // namespace slm
