#include "live/MeterKeys.h"

#include "link/ExchangeScope.h"
#include "link/MeterAttention.h"
#include "link/MeterLink.h"
#include "shared/Services.h"
#include "shared/StatusNotices.h"

namespace slm
{

MeterKeys::MeterKeys(const MeterLine& line) : m_line(line) {}

QString MeterKeys::givenUpText()
{
    return QStringLiteral("The meter did not answer; key not sent");
}

bool MeterKeys::press(MeterCommands::Key key)
{
    // Keys leave the panel's timers running; the held link keeps the live frames away from the
    // attention until the key is out. A click inside another exchange's wait is dropped rather
    // than nesting a second attention request inside the first.
    ExchangeScope exchange(m_line, nullptr);
    if (!exchange.entered())
        return false;
    const bool acknowledged = MeterAttention(m_line, AttentionBoundSeconds);
    if (acknowledged)
        m_line.link.output(MeterCommands::KeyPress(key));
    else
        m_line.notices.post(givenUpText());
    return acknowledged;
}

} // namespace slm
