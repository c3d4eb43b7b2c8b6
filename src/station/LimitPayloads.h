#pragma once

#include "measurement/AssessmentEvents.h"
#include "measurement/LimitMonitor.h"
#include "station/StationConfig.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace slm::station
{

// The JSON texts of a meter's limits and live events, beside the levels and minutes. Times are
// ISO 8601 in UTC like every station payload; levels are numbers or null.

// ISO 8601 in UTC of a record's local clock seconds ("2026-12-08T16:04:28Z").
QString isoUtcOfClock(std::int64_t civilSeconds);

// The `alert` message of a transition: {"limit", "state", "figure", "threshold", "previous",
// "time", "since", "window_s", "reason"}; reason is "schedule" when the schedule ended an alarm.
QByteArray alertPayload(const LimitTransition& transition);
// The retained `alert/NAME`: the limit's state now and its last figure, {"limit", "state",
// "figure", "since", "level", "warning", "figure_kind", "window_s"}.
QByteArray alertStatePayload(const LimitMonitor& monitor);
// The topic below the meter's of a limit's current state: "alert/NAME".
QString alertStateTopic(const QString& limit);

enum class EventPhase { Start, End };
// The `event` message: {"phase", then the keys of the assessment report's event list: "number",
// "start", "end", "duration_s", "max_time", "lmax", "leq", "sel", "over_range"}; at the start the
// end is null and the figures are those so far. Figures to 0.01 like the report's.
QByteArray eventPayload(EventPhase phase, const NoiseEvent& event, double intervalSeconds);

// Home Assistant discovery of a meter's limits: a binary_sensor per limit (device class problem,
// on while in alarm) and a sensor for each rolling or period figure.
QList<std::pair<QByteArray, QByteArray>> limitDiscovery(const StationConfig& config, const MeterConfig& meter,
                                                        const QList<LimitConfig>& limits);

} // namespace slm::station
