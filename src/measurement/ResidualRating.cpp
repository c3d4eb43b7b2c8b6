#include "measurement/ResidualRating.h"

#include <cmath>

namespace slm
{

namespace
{

double toHundredths(double v)
{
    return std::round(v * 100.0) / 100.0;
}

bool inList(int v, std::initializer_list<int> list)
{
    for (int x : list)
        if (v == x)
            return true;
    return false;
}

} // namespace

ResidualCorrection correctForResidual(double ambient, double residual)
{
    ResidualCorrection c;
    c.ambient = ambient;
    c.residual = residual;
    c.margin = ambient - residual;
    const double d = toHundredths(c.margin);
    if (d > 10) {
        c.kind = ResidualCase::Negligible;
        c.specific = ambient;
    } else if (d > 3) {
        c.kind = ResidualCase::Corrected;
        c.specific = 10.0 * std::log10(std::pow(10.0, ambient / 10.0) - std::pow(10.0, residual / 10.0));
    } else {
        c.kind = ResidualCase::Bounded;
        c.specific = ambient;
    }
    return c;
}

QString residualCaseText(ResidualCase kind)
{
    switch (kind) {
    case ResidualCase::Negligible:
        return QStringLiteral("no correction (residual negligible)");
    case ResidualCase::Corrected:
        return QStringLiteral("corrected");
    case ResidualCase::Bounded:
        break;
    }
    return QStringLiteral("no correction possible (Ls <= La)");
}

QString specificLevelText(const ResidualCorrection& c)
{
    const QString level = QString::number(c.specific, 'f', 1);
    return c.kind == ResidualCase::Bounded ? QStringLiteral("<= ") + level : level;
}

QString CharacterCorrections::fault() const
{
    if (!inList(tonal, {0, 2, 4, 6}))
        return QStringLiteral("the tonal correction must be 0, 2, 4 or 6 dB.");
    if (!inList(impulsive, {0, 3, 6, 9}))
        return QStringLiteral("the impulsive correction must be 0, 3, 6 or 9 dB.");
    if (!inList(other, {0, 3}))
        return QStringLiteral("the correction for other characteristics must be 0 or 3 dB.");
    if (!inList(intermittency, {0, 3}))
        return QStringLiteral("the intermittency correction must be 0 or 3 dB.");
    return {};
}

QString RatingInput::fault() const
{
    if (!(referenceSeconds > 0) || !std::isfinite(referenceSeconds))
        return QStringLiteral("the reference interval must be longer than 0 s.");
    const double onTime = onTimeSeconds.value_or(referenceSeconds);
    if (!(onTime > 0) || onTime > referenceSeconds)
        return QStringLiteral("the on-time must be longer than 0 s and at most the reference interval.");
    if (!std::isfinite(specific) || !std::isfinite(background))
        return QStringLiteral("the specific and background levels must be numbers.");
    return corrections.fault();
}

int roundedDb(double level)
{
    return int(std::floor(level + 0.5));
}

QString ratingIndication(double excess)
{
    const double d = toHundredths(excess);
    if (d >= 10)
        return QStringLiteral("a likely significant adverse impact, depending on the context");
    if (d >= 5)
        return QStringLiteral("a likely adverse impact, depending on the context");
    if (d > 0)
        return QStringLiteral("less likely an adverse impact than at +5 dB, depending on the context");
    return QStringLiteral("a low impact, depending on the context");
}

RatingResult ratingLevel(const RatingInput& input)
{
    RatingResult r;
    const double onTime = input.onTimeSeconds.value_or(input.referenceSeconds);
    r.onTimeAdjustment = 10.0 * std::log10(onTime / input.referenceSeconds);
    r.rating = input.specific + r.onTimeAdjustment + input.corrections.total();
    r.excess = r.rating - input.background;
    r.ratingRounded = roundedDb(r.rating);
    r.backgroundRounded = roundedDb(input.background);
    r.excessRounded = r.ratingRounded - r.backgroundRounded;
    r.indication = ratingIndication(r.excess);
    return r;
}

} // namespace slm
