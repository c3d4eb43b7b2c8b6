#pragma once

#include "measurement/AssessmentExclusions.h"
#include "measurement/LimitConfig.h"

#include <QJsonObject>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The standards' inputs an assessment keeps in its file beside the exclusions, under "standards":
//
//   {"intervals_s": 900, "background_s": 900, "ambient": 52.0,
//    "residual": {"start": "2026-03-02T11:00:00", "end": "2026-03-02T12:00:00"},
//    "rating": true, "tr_s": 3600, "tonal": {"db": 2, "reason": "..."}, "background_level": 40.0,
//    "abc": [61.0, 55.0, 45.0], "rbl": true, "cnel": true, "n_above": [60, 65], "limits": "[limit1]..."}
//
// Spans are on the records' own clock, as the tables show it. Keys this program does not know are
// kept.

namespace slm
{

// A level the assessment points at: a number in dB, or the Leq of a span of its own records.
struct ChosenLevel {
    enum class Kind { None, Number, Span };
    Kind kind = Kind::None;
    double number = 0;
    ClockSpan span; // [start, end) on the records' clock

    bool present() const { return kind != Kind::None; }
    bool operator==(const ChosenLevel&) const = default;
};

// A character correction as entered: a value from its list, and why.
struct ChosenCorrection {
    int db = 0;
    QString reason;
    QJsonObject unknownKeys;

    bool operator==(const ChosenCorrection&) const = default;
};

struct StandardsChoice {
    std::optional<std::int64_t> intervalSeconds;   // 300, 900, 1800 or 3600
    std::optional<std::int64_t> backgroundSeconds; // 900 or 3600
    ChosenLevel ambient;
    ChosenLevel residual;
    bool rating = false;
    ChosenLevel specific; // none: the residual correction's
    std::optional<std::int64_t> referenceSeconds;
    std::optional<std::int64_t> onTimeSeconds;
    ChosenCorrection tonal;
    ChosenCorrection impulsive;
    ChosenCorrection other;
    ChosenCorrection intermittency;
    std::optional<double> backgroundLevel;           // none: the background table's median
    std::optional<std::array<double, 3>> abcAmbient; // day, evening and weekend, night
    bool rbl = false;
    bool cnel = false;
    std::vector<double> nAbove; // thresholds; empty: not asked
    QString limits;             // [limitN] sections as the live limits write them
    QJsonObject unknownKeys;

    // Whether any table is asked for.
    bool any() const;
    bool operator==(const StandardsChoice&) const = default;
};

// The "standards" object; empty when nothing is set.
QJsonObject standardsJson(const StandardsChoice& choice);
// `error` names the key that cannot be used ("" when all could).
StandardsChoice standardsOfJson(const QJsonObject& object, QString& error);

// How the tab writes and reads its fields. A level: "52.5", or "2026-03-02 10:00/2026-03-02 11:00"
// (a "T" may stand for the space, seconds may be given); "" for none.
QString chosenLevelText(const ChosenLevel& level);
// Nothing, with `error` saying what is expected, for a text that is neither.
std::optional<ChosenLevel> chosenLevelOf(const QString& text, QString& error);
// "2026-03-02T10:00" or "2026-03-02 10:00:30" as seconds of the records' clock; nothing for
// anything else.
std::optional<std::int64_t> clockOfText(const QString& text);
// "1h", "15min", "90s".
QString durationInputText(std::int64_t seconds);
// "60, 65, 70"; levels from 0 to 200 dB separated by commas. Nothing for anything else.
QString levelListText(std::span<const double> levels);
std::optional<std::vector<double>> levelListOf(const QString& text);
// The [limitN] sections of the text; nothing, with `error` naming the section, when one cannot be used.
std::optional<QList<LimitConfig>> limitsOfText(const QString& text, QString& error);

} // namespace slm
