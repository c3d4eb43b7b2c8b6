#include "link/ExchangeScope.h"

#include "link/WaitSeconds.h"
#include "shared/Services.h"
#include "shared/StatusNotices.h"

namespace slm
{

ExchangeScope::ExchangeScope(Services& services, PanelTimers* timers, Refusal refusal)
    : m_waiter(services.waiter)
{
    if (refusal == Refusal::Report ? refuseWhileBusy(services) : services.linkLock.busy())
        return;
    m_timers.emplace(timers);
    m_hold.emplace(services.linkLock);
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

bool ExchangeScope::refuseWhileBusy(Services& services)
{
    if (!services.linkLock.busy())
        return false;
    services.notices.post(busyText());
    return true;
}

} // namespace slm
