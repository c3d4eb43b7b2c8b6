#pragma once

#include "measurement/AssessmentArithmetic.h"
#include "measurement/AssessmentExclusions.h"

#include <QString>
#include <optional>
#include <span>
#include <vector>

// Noise dose: the share of the allowed daily exposure the levels add up to, by a criterion level
// Lc, an exchange rate q and a threshold Lt, or the daily exposure level LEX,8h of the European
// rules. Levels are those of the records not excluded; each stands for the interval dt.

namespace slm
{

struct DoseCriterion {
    QString preset;        // "osha-pel", "osha-hc", "niosh", "iso" or "custom"
    double criterion = 90; // Lc, dB
    double exchange = 5;   // q, dB
    double threshold = 90; // Lt, dB
    bool iso = false;      // LEX,8h instead of a dose

    // The k of TWA and Lavg: the agencies' published 16.61 for q = 5 and 10 for q = 3, q / lg 2
    // for any other rate.
    double k() const;
};

// The bounds of a criterion of one's own: beyond them the arithmetic runs out of range or the
// figures mean nothing.
constexpr double CustomDoseLevelMin = 0; // Lc and Lt, dB
constexpr double CustomDoseLevelMax = 200;
constexpr double CustomDoseExchangeMin = 1; // q, dB
constexpr double CustomDoseExchangeMax = 10;

// "osha-pel" (90, 5, 90), "osha-hc" (90, 5, 80), "niosh" (85, 3, 80), "iso", or a custom
// "LC,Q,LT" within the bounds above; nothing for anything else.
std::optional<DoseCriterion> doseCriterionOf(const QString& text);

struct DoseResult {
    DoseCriterion criterion;
    // Every figure is computed whatever the weighting; false (or unknown, for a file that does not
    // say) makes them indicative only.
    std::optional<bool> aWeighted;
    std::optional<double> measuredSeconds;       // Tm = levels x dt
    std::optional<double> aboveThresholdSeconds; // levels at or above Lt, x dt
    std::optional<double> lmax;
    // Dose figures (not for iso).
    std::optional<double> dose;             // %
    std::optional<double> projectedDose;    // D x 8 h / Tm, %
    std::optional<double> twa;              // Lc + k lg(D / 100 %); unknown at a dose of 0
    std::optional<double> lavg;             // Lc + k lg(D / 100 % x 8 h / Tm)
    std::optional<bool> actionLevelReached; // TWA (to one decimal) at or above 85 dB
    // iso figures.
    std::optional<double> leq;
    std::optional<double> lex8h;            // Leq + 10 lg(Tm / 8 h)
    std::optional<bool> lowerActionReached; // LEX,8h (to one decimal) >= 80
    std::optional<bool> upperActionReached; // >= 85
    std::optional<bool> limitReached;       // >= 87
};

// The dose a record at a time.
class DoseCounter
{
public:
    explicit DoseCounter(const DoseCriterion& criterion);
    void add(const RecordSample& sample, bool excluded);
    // Every record of a measurement held whole.
    void add(std::span<const RecordSample> samples, const ExclusionMask& mask);
    // Without an interval nothing is known but the weighting, Lmax and (for iso) the Leq.
    DoseResult finish(std::optional<double> interval, std::optional<bool> aWeighted) const;

private:
    void count(const RecordSample& sample, bool excluded);

    DoseCriterion m_criterion;
    // 2^((L - Lc) / q) of the one-decimal levels, worked out once per criterion.
    std::vector<double> m_rate;
    assessment::EnergySum m_energy;
    double m_sum = 0; // sum of 2^((L - Lc) / q) over the levels at or above Lt
    std::int64_t m_above = 0;
    double m_max = 0;
};

// The same over records held whole.
DoseResult noiseDose(std::span<const RecordSample> samples, std::optional<double> interval,
                     const ExclusionMask& mask, const DoseCriterion& criterion,
                     std::optional<bool> aWeighted);

} // namespace slm
