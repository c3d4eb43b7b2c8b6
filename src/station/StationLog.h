#pragma once

#include <QString>

namespace slm::station
{

// One event, one line on standard error ("north: the meter fell silent"), written at once so the
// journal keeps the order of events of every meter. Nothing else in the station writes there.
void logEvent(const QString& who, const QString& what);

} // namespace slm::station
