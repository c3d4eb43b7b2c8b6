#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace slm
{

struct Services;

// Reads the meter's clock: flush, "I", wait 0.02 s, read; again until at least six bytes came.
// Gives up (nothing returned) after boundSeconds, or as soon as stop() says so.
std::optional<QByteArray> readMeterClock(Services& services, double boundSeconds,
                                         const std::function<bool()>& stop = {});

// Sets the meter's clock to the given time and pauses 0.02 s; nothing is read back.
void setMeterClock(Services& services, const QDateTime& when);

// "20yy/mm/dd hh:nn:ss" from the first six bytes of a clock reply (second first). A byte that
// is not valid BCD shows its hex digits as they are. Needs at least six bytes.
QString meterClockText(const QByteArray& reply);

// The PC's clock as the window shows it, "yyyy/mm/dd hh:nn:ss".
QString pcClockText(const QDateTime& when);

} // namespace slm
