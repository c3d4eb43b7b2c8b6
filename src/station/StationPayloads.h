#pragma once

#include "station/MinuteCollector.h"

#include <QByteArray>
#include <optional>

namespace slm::station
{

// The JSON texts the station publishes. Levels are numbers (one decimal, as every list and the
// report program write them) or null; times are ISO 8601 in UTC ("2026-12-08T16:04:28Z").

// "paused", "below-range", "over", "not-level", or nothing for a plain level.
std::optional<QString> sampleFlag(const Sample& sample);

// {"time", "level", "flag", "weighting", "time_weighting", "range", "interval_s"}
QByteArray levelPayload(const Sample& sample);

// {"time", "period_s", "leq", "lmax", "lmin", "l10", "l50", "l90", "l95", "levels", "paused",
//  "other", "below_range", "over_range", "coverage", "partial", "weighting", "time_weighting",
//  "range", "interval_s"}
QByteArray minutePayload(const MinuteFigures& minute);

// {"state": "online", "link": "up" | "down", "port"}; the last will is {"state": "offline"}.
QByteArray statePayload(bool online, bool linkUp, const QString& port);

} // namespace slm::station
