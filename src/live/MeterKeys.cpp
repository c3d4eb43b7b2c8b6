#include "live/MeterKeys.h"

#include "link/LinkLock.h"
#include "link/MeterAttention.h"
#include "link/MeterLink.h"
#include "shared/Services.h"

MeterKeys::MeterKeys(Services& services, StatusReport status)
    : m_services(services), m_status(std::move(status))
{
}

QString MeterKeys::givenUpText()
{
    return QStringLiteral("The meter did not answer; key not sent");
}

QString MeterKeys::busyText()
{
    return QStringLiteral("The meter is busy; key not sent");
}

bool MeterKeys::press(MeterCommands::Key key)
{
    // A click that arrives while another exchange waits would flush that exchange's reply
    // away; drop it instead of nesting a second attention request inside the first.
    if (refuseWhileBusy(m_services.linkLock, m_status, busyText()))
        return false;
    // Hold the link from the attention until the key is out, so no poll runs in between.
    LinkLock::Hold hold(m_services.linkLock);
    const bool acknowledged = MeterAttention(m_services, AttentionBoundSeconds);
    if (acknowledged)
        m_services.link.output(MeterCommands::KeyPress(key));
    if (!acknowledged && m_status)
        m_status(givenUpText());
    return acknowledged;
}
