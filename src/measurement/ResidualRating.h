#pragma once

#include <QString>
#include <optional>

// The correction of a measured level for the residual sound, and the rating level of a specific
// sound against the background. Plain arithmetic over levels in dB; the inputs come from numbers
// the user gives or from the Leq and L90 of records.

namespace slm
{

enum class ResidualCase {
    Negligible, // the margin is above 10 dB: the measured level stands for the specific sound
    Corrected,  // 3 < margin <= 10 dB: the residual's energy is taken away
    Bounded,    // margin <= 3 dB: no correction is possible, the specific level is at most La
};

struct ResidualCorrection {
    double ambient = 0;  // La
    double residual = 0; // Lr
    double margin = 0;   // d = La - Lr
    double specific = 0; // Ls (an upper bound in the bounded case)
    ResidualCase kind = ResidualCase::Negligible;
};

// The margin is judged to 0.01 dB, so that 55.1 - 45.1 counts as 10 dB and not as a binary residue
// below it.
ResidualCorrection correctForResidual(double ambient, double residual);
// "no correction (residual negligible)", "corrected", "no correction possible (Ls <= La)".
QString residualCaseText(ResidualCase kind);
// Ls as the tables show it: "49.8", or "<= 50.0" when bounded.
QString specificLevelText(const ResidualCorrection& c);

// The character corrections a user enters, each from its own list.
struct CharacterCorrections {
    int tonal = 0;         // 0, 2, 4 or 6 dB
    int impulsive = 0;     // 0, 3, 6 or 9 dB
    int other = 0;         // 0 or 3 dB
    int intermittency = 0; // 0 or 3 dB
    int total() const { return tonal + impulsive + other + intermittency; }
    // "" when every value is in its list, else which one is not and what it may be.
    QString fault() const;
};

struct RatingInput {
    double specific = 0;                 // Ls, dB
    double referenceSeconds = 3600;      // Tr: 1 h by day, 15 min at night
    std::optional<double> onTimeSeconds; // t_on, Tr when not given
    CharacterCorrections corrections;
    double background = 0; // LA90, dB
    // "" when Tr and t_on are usable (0 < t_on <= Tr) and the corrections are in their lists.
    QString fault() const;
};

struct RatingResult {
    double onTimeAdjustment = 0; // 10 lg(t_on / Tr), <= 0
    double rating = 0;           // LAr = Ls + the on-time adjustment + the corrections
    double excess = 0;           // LAr - LA90
    int ratingRounded = 0;       // as the method quotes them: whole decibels, a half up
    int backgroundRounded = 0;
    int excessRounded = 0;
    QString indication; // what the method indicates for the excess
};

RatingResult ratingLevel(const RatingInput& input);
// The method's reading of an excess: about +10 dB or more a likely significant adverse impact,
// about +5 dB a likely adverse impact, at or below 0 a low impact; each depending on the context.
QString ratingIndication(double excess);

// Whole decibels, a half up (49.5 is 50, -0.5 is 0).
int roundedDb(double level);

} // namespace slm
