#pragma once

#include "measurement/AssessmentEvents.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// Limits a meter's levels are judged against, and the live event rule, as the station's INI file
// and the panel's settings write them: one [limitN] section per limit, [events] for every meter
// and [events.METER] for one. Read from a plain map of "section/key" to text, so every caller
// parses them alike.

namespace slm
{

enum class LimitFigure : std::uint8_t {
    RollingLeq, // "leq": the Leq over the window ending at each sample
    PeriodLeq,  // "leq-period": the Leq of each clock-aligned period, judged at its end
    Level,      // "level": each sample's level
};
QString limitFigureText(LimitFigure figure);

// When a limit applies, on the local wall clock. Each span starts on one of its weekdays and may
// run past midnight into the next day ("fri 22:00-06:00" covers Saturday morning).
struct LimitSchedule {
    struct Span {
        std::uint8_t weekdays = 0; // bit 0 Monday .. bit 6 Sunday
        int startSecond = 0;       // of the day
        int endSecond = 86400;     // after startSecond; past 86400 when the span runs into the next day
    };
    QList<Span> spans;
    bool always = true; // no "when": the limit always applies

    bool contains(std::int64_t civilSeconds) const;
};

struct LimitConfig {
    QString section; // "limit1"
    QString name;
    QStringList meters; // empty: every meter
    LimitFigure figure = LimitFigure::RollingLeq;
    int windowSeconds = 900;
    double level = 0;
    std::optional<double> warning;
    LimitSchedule when;
    double minDurationSeconds = 0;
    double hysteresis = 1;
    double minCoveragePercent = 75;

    bool appliesTo(const QString& meter) const { return meters.isEmpty() || meters.contains(meter); }
};

// The "section/key" map of an INI text ("[limit1]" then "level=75" lines; ";" and "#" lines are
// comments). Values are kept whole, commas included.
QMap<QString, QString> iniKeys(const QString& text);

// "900", "90s", "15min", "1h", "1d": whole seconds; nothing for any other text.
std::optional<int> durationSeconds(const QString& text);
// "mon-fri 07:00-19:00", "sat 08:00-13:00, sun -"; `error` says what is wrong otherwise.
std::optional<LimitSchedule> readLimitSchedule(const QString& text, QString& error);

// The [limitN] sections in the order of their numbers; nothing, with `error` naming the section
// and the key, when one cannot be used.
std::optional<QList<LimitConfig>> readLimits(const QMap<QString, QString>& keys, QString& error);
// The live event rule of one meter: [events.METER] when there is one, else [events]; nothing
// when neither is set or, with `error` set, when one cannot be used.
std::optional<EventSettings> readLiveEvents(const QMap<QString, QString>& keys, const QString& meter,
                                            QString& error);

} // namespace slm
