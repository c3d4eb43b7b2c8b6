#include "measurement/AssessmentDose.h"

#include "measurement/AssessmentArithmetic.h"

#include <QStringList>
#include <vector>

namespace slm
{

namespace
{

constexpr double EightHours = 8 * 3600;
constexpr double ActionLevel = 85; // the OSHA action level, as a TWA

// Whether a level reaches a limit as the report shows it (one decimal): a LEX,8h of 84.99 is shown
// as 85.0 and judged as 85.0, so the figure and the verdict beside it never disagree.
bool reaches(double level, double limit)
{
    return std::round(level * 10.0) >= limit * 10.0;
}

} // namespace

double DoseCriterion::k() const
{
    if (exchange == 5)
        return 16.61;
    if (exchange == 3)
        return 10;
    return exchange / std::log10(2.0);
}

std::optional<DoseCriterion> doseCriterionOf(const QString& text)
{
    if (text == u"osha-pel")
        return DoseCriterion{text, 90, 5, 90, false};
    if (text == u"osha-hc")
        return DoseCriterion{text, 90, 5, 80, false};
    if (text == u"niosh")
        return DoseCriterion{text, 85, 3, 80, false};
    if (text == u"iso")
        return DoseCriterion{text, 0, 0, 0, true};
    const QStringList parts = text.split(u',');
    if (parts.size() != 3)
        return std::nullopt;
    double v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return std::nullopt;
    }
    const auto within = [](double x, double low, double high) { return x >= low && x <= high; };
    if (!within(v[0], CustomDoseLevelMin, CustomDoseLevelMax) ||
        !within(v[1], CustomDoseExchangeMin, CustomDoseExchangeMax) ||
        !within(v[2], CustomDoseLevelMin, CustomDoseLevelMax))
        return std::nullopt;
    return DoseCriterion{QStringLiteral("custom"), v[0], v[1], v[2], false};
}

DoseResult noiseDose(std::span<const RecordSample> samples, std::optional<double> interval,
                     const ExclusionMask& mask, const DoseCriterion& c, std::optional<bool> aWeighted)
{
    DoseCounter counter(c);
    counter.add(samples, mask);
    return counter.finish(interval, aWeighted);
}

DoseCounter::DoseCounter(const DoseCriterion& c) : m_criterion(c)
{
    if (!c.iso) {
        m_rate.resize(2001);
        for (int t = 0; t <= 2000; ++t)
            m_rate[size_t(t)] =
                t / 10.0 >= c.threshold ? std::exp2((t / 10.0 - c.criterion) / c.exchange) : 0.0;
    }
}

// The rule for a record, inlined into both adds: a loop over a whole measurement keeps its sums in
// registers.
Q_ALWAYS_INLINE void DoseCounter::count(const RecordSample& s, bool excluded)
{
    using namespace assessment;
    if (!s.isLevel() || excluded)
        return;
    const DoseCriterion& c = m_criterion;
    const double level = s.level();
    m_max = m_energy.count == 0 ? level : std::max(m_max, level);
    if (c.iso) {
        m_energy.add(energyOf(s));
        return;
    }
    ++m_energy.count;
    if (s.tenths >= 0 && s.tenths <= 2000) {
        const double x = m_rate[size_t(s.tenths)];
        m_sum += x;
        m_above += x > 0;
    } else if (level >= c.threshold) {
        m_sum += std::exp2((level - c.criterion) / c.exchange);
        ++m_above;
    }
}

void DoseCounter::add(const RecordSample& sample, bool excluded)
{
    count(sample, excluded);
}

void DoseCounter::add(std::span<const RecordSample> samples, const ExclusionMask& mask)
{
    // Counted in a copy of its own: nothing the loop reads can alias its sums.
    DoseCounter local = std::move(*this);
    for (size_t i = 0; i < samples.size(); ++i)
        local.count(samples[i], mask.excluded(i));
    *this = std::move(local);
}

DoseResult DoseCounter::finish(std::optional<double> interval, std::optional<bool> aWeighted) const
{
    const DoseCriterion& c = m_criterion;
    DoseResult r;
    r.criterion = c;
    r.aWeighted = aWeighted;
    if (m_energy.count > 0)
        r.lmax = m_max;
    if (c.iso)
        r.leq = m_energy.leq();
    if (!interval || !(*interval > 0))
        return r;
    const double dt = *interval;
    const double tm = double(m_energy.count) * dt;
    r.measuredSeconds = tm;
    if (c.iso) {
        if (r.leq && tm > 0) {
            r.lex8h = *r.leq + 10.0 * std::log10(tm / EightHours);
            r.lowerActionReached = reaches(*r.lex8h, 80);
            r.upperActionReached = reaches(*r.lex8h, 85);
            r.limitReached = reaches(*r.lex8h, 87);
        }
        return r;
    }
    r.aboveThresholdSeconds = double(m_above) * dt;
    // Each level contributes dt / T(L), T(L) = 8 h / 2^((L - Lc) / q).
    const double dose = 100.0 * m_sum * dt / EightHours;
    r.dose = dose;
    const double k = c.k();
    if (dose > 0) {
        r.twa = c.criterion + k * std::log10(dose / 100.0);
        r.actionLevelReached = reaches(*r.twa, ActionLevel);
    } else {
        r.actionLevelReached = false;
    }
    if (tm > 0) {
        r.projectedDose = dose * EightHours / tm;
        if (dose > 0)
            r.lavg = c.criterion + k * std::log10(dose / 100.0 * EightHours / tm);
    }
    return r;
}

} // namespace slm
