#include "settings/MeterClock.h"

#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/WaitSeconds.h"
#include "shared/Services.h"
#include "shared/TextHelpers.h"

#include <QElapsedTimer>

namespace slm
{

std::optional<QByteArray> readMeterClock(Services& s, double boundSeconds, const std::function<bool()>& stop)
{
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 boundNs = static_cast<qint64>(boundSeconds * 1e9);
    while (true) {
        s.link.flush();
        s.link.output(MeterCommands::ReadClock());
        s.waiter.waitSeconds(0.02);
        const QByteArray reply = s.link.readAll();
        if (reply.size() >= 6)
            return reply;
        if (elapsed.nsecsElapsed() >= boundNs || s.waiter.cancelled() || (stop && stop()))
            return std::nullopt;
    }
}

void setMeterClock(Services& s, const QDateTime& when)
{
    s.link.output(MeterCommands::SetClock(when));
    s.waiter.waitSeconds(0.02);
}

QString meterClockText(const QByteArray& reply)
{
    const auto field = [&](int i) { return MeterCommands::bcdText(static_cast<unsigned char>(reply.at(i))); };
    return QStringLiteral("20%1/%2/%3 %4:%5:%6")
        .arg(field(5), field(4), field(3), field(2), field(1), field(0));
}

QString pcClockText(const QDateTime& when)
{
    return formatDateTime(when);
}

} // namespace slm
