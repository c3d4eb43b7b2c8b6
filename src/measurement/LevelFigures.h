#pragma once

#include "measurement/LnClasses.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <map>
#include <optional>

// The level arithmetic of every list: which record texts are levels, the energy mean (Leq), the
// exposure level (SEL), the extremes and the percentile levels, and the interval they rest on.
// Plain values and counters without windows, shared by the panel, the list windows and the report
// program, so the same list gives the same figures wherever it is shown.

namespace slm
{

class Measurement;
struct RecordSample;

// What a record's level text is. Only `Level` enters Leq, SEL, Lmax and Lmin.
enum class LevelTextKind : std::uint8_t {
    Level,      // starts with a number and carries none of the marks below
    Paused,     // "*": taken while the meter was paused
    BelowRange, // "-": the meter showed "- - -" or a negative text
    Over,       // "L": overload, "OL"
    NotLevel,   // anything else without a leading number ("XXX", "")
};

struct LevelText {
    LevelTextKind kind = LevelTextKind::NotLevel;
    double value = 0; // the leading number, for `Level`
    // The value in whole tenths when the text has at most one decimal (the usual "65.3"), else -1.
    int tenths = -1;
};
// The marks are tested in this order: "*", "-", "L"; then the leading number (blanks before it
// skipped; a number may start with "." as in ".5").
LevelText readLevelText(QByteArrayView utf8);
LevelText readLevelText(QStringView text);

// 10^(L/10), the relative energy of a level.
double levelEnergy(const LevelText& level);

// Everything computed of one list.
struct LevelFigures {
    std::int64_t records = 0; // every record
    std::int64_t levels = 0;  // records that are levels
    std::int64_t paused = 0;  // left out for their "*"
    std::int64_t other = 0;   // left out otherwise (below range, over, no number)
    // Seconds between records: the file's interval, or the most common step of the record times.
    std::optional<double> interval;
    std::optional<double> leq;
    std::optional<double> sel;      // needs the interval
    std::optional<double> lmax;     // highest level
    std::optional<double> lmin;     // lowest level
    std::optional<double> duration; // levels x interval, seconds: the time the Leq stands for
    // The Ln table of the same list, by the histogram view's classes and rule.
    LnResult ln;

    // Lp as the table shows it; "" when no record was classed.
    QString percentile(int p) const { return p >= 0 && p < 100 ? ln.values[size_t(p)] : QString(); }
};

// Counts a list one level text at a time. Energies are summed in double precision with a
// compensated sum: 348000 records at 140 dB add up to 3.5e19 (past any 64-bit integer), and a
// plain running sum that large would drop the contribution of the quiet records after it.
class LevelFigureCounter
{
public:
    void add(QByteArrayView utf8LevelText);
    void add(QStringView levelText);
    // A record parsed before (parseRecordSample). False, and nothing counted, when the sample
    // does not settle the record (a level of more than one decimal, a text without a number):
    // its text is to be added instead.
    bool add(const RecordSample& sample);
    // The figures with the given interval (nothing or not above 0: SEL and duration unknown).
    LevelFigures finish(std::optional<double> interval,
                        LnResolution resolution = LnResolution::TenthDb) const;

private:
    void count(const LevelText& level);

    LnClassCounter m_ln;
    std::int64_t m_records = 0;
    std::int64_t m_levels = 0;
    std::int64_t m_paused = 0;
    std::int64_t m_other = 0;
    double m_energy = 0;
    double m_carry = 0; // what the running sum could not hold
    double m_max = 0;
    double m_min = 0;
};

// Seconds of a "yyyy/mm/dd hh:nn:ss" text counted on the calendar (no time zone), or nothing when
// the text is not one. Steps between two such texts are wall-clock steps.
std::optional<std::int64_t> civilSeconds(QByteArrayView dateTime);

// The interval of a list without a header: the most common step between consecutive record times
// (the smaller one on a tie). Times that cannot be read and steps that are not forward are passed
// over; nothing when no step is left.
class StepCounter
{
public:
    void add(QByteArrayView dateTime);
    // A time already read (civilSeconds), nothing for one that could not be.
    void add(std::optional<std::int64_t> time);
    std::optional<double> mostCommonStep() const;

private:
    std::optional<std::int64_t> m_previous;
    std::map<std::int64_t, std::int64_t> m_steps;
};

// The interval that header line 1 of a record file gives, when it is a number above 0.
std::optional<double> headerInterval(const QString& line);

// The panel's Leq and SEL over the samples since the last clearing. Each sample stands for the PC
// sampling time in force when it was taken, so a change of interval weighs the samples by time.
class RunningLevels
{
public:
    void add(QStringView levelText, double seconds);
    // A sample's level as read from its text; only a `Level` counts.
    void add(const LevelText& level, double seconds);
    void clear() { *this = RunningLevels(); }
    bool hasLevel() const { return m_seconds > 0; }
    // Nothing until the first level sample.
    std::optional<double> leq() const;
    std::optional<double> sel() const;
    // One decimal, "XXX" until the first level sample.
    QString leqText() const;
    QString selText() const;

private:
    double m_energySeconds = 0;
    double m_carry = 0;
    double m_seconds = 0;
};

// Texts of the figures: one decimal, or "unknown".
QString figureText(std::optional<double> value);
// "00:59:50", "2 d 03:00:00", or "unknown".
QString durationText(std::optional<double> seconds);
// How the figures were computed: "from 3590 readings every 1 s; 8 paused and 2 other texts left
// out".
QString figuresBasisText(const LevelFigures& figures);

} // namespace slm
