#pragma once

#include "measurement/LevelFigures.h"
#include "measurement/Sample.h"
#include "station/StationMeter.h"

#include <QByteArray>
#include <QDateTime>
#include <optional>

namespace slm::station
{

// The JSON texts the station publishes. Levels are numbers (one decimal) or null; times are
// ISO 8601 in UTC ("2026-12-08T16:04:28Z").

// "paused", "below-range", "over", "not-level", or nothing for a plain level.
std::optional<QString> sampleFlag(const Sample& sample, RangeFlags flags);

// {"time", "level", "flag", "weighting", "time_weighting", "range", "interval_s"}
QByteArray levelPayload(const Sample& sample, RangeFlags flags, int intervalSeconds);

// The figures of one whole minute (or of the configured period) of one meter.
struct MinuteFigures {
    QDateTime start; // the period's first second
    int periodSeconds = 60;
    LevelFigures figures;
    Sample last; // the settings in force at its last sample
    int intervalSeconds = 1;
};
// {"time", "period_s", "leq", "lmax", "lmin", "l10", "l90", "levels", "paused", "other",
//  "weighting", "time_weighting", "range", "interval_s"}
QByteArray minutePayload(const MinuteFigures& minute);

// {"state": "online", "link": "up" | "down", "port"}; the last will is {"state": "offline"}.
QByteArray statePayload(bool online, bool linkUp, const QString& port);

// Collects a meter's samples by period of the UTC clock; a sample of a later period closes the
// one before and hands its figures out. Only plain levels enter the energy and the percentiles:
// paused readings and readings over or below the range are counted apart, as the list figures do.
class MinuteCollector
{
public:
    MinuteCollector(int periodSeconds, int intervalSeconds);
    std::optional<MinuteFigures> add(const Sample& sample, RangeFlags flags);

private:
    int m_period;
    int m_interval;
    qint64 m_periodStart = -1;
    LevelFigureCounter m_counter;
    Sample m_last;
};

} // namespace slm::station
