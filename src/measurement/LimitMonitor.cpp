#include "measurement/LimitMonitor.h"

#include <cmath>

namespace slm
{

using namespace assessment;

QString limitStateText(LimitState state)
{
    switch (state) {
    case LimitState::Clear:
        return QStringLiteral("clear");
    case LimitState::Warning:
        return QStringLiteral("warning");
    case LimitState::Alarm:
        return QStringLiteral("alarm");
    case LimitState::Inactive:
        return QStringLiteral("inactive");
    }
    return {};
}

void RollingEnergy::add(const RecordSample& s)
{
    if (!m_ring.empty() && s.time < m_ring.back().time) {
        // The clock went back: what was counted does not lie before the new time.
        m_ring.clear();
        m_sum = 0;
    }
    while (!m_ring.empty() && m_ring.front().time <= s.time - m_window) {
        m_sum -= m_ring.front().energy;
        m_ring.pop_front();
        ++m_removed;
    }
    if (s.isLevel()) {
        m_ring.push_back({s.time, energyOf(s)});
        m_sum += m_ring.back().energy;
    }
    if (m_removed >= m_ring.size()) {
        EnergySum exact;
        for (const Entry& e : m_ring)
            exact.add(e.energy);
        m_sum = exact.total();
        m_removed = 0;
    }
}

std::optional<double> RollingEnergy::meanEnergy() const
{
    if (m_ring.empty() || !(m_sum > 0))
        return std::nullopt;
    return m_sum / double(m_ring.size());
}

JudgedFigure JudgedFigure::ofLevel(double dB)
{
    JudgedFigure f;
    f.m_dB = dB;
    return f;
}

JudgedFigure JudgedFigure::ofMeanEnergy(double energy)
{
    JudgedFigure f;
    f.m_energy = energy;
    return f;
}

double JudgedFigure::dB() const
{
    if (!m_dB)
        m_dB = 10.0 * std::log10(m_energy);
    return *m_dB;
}

bool JudgedFigure::atLeast(double level, double levelEnergy) const
{
    // A relative step of 1e-12 in energy is 4e-12 dB, far beyond the logarithm's last digit: on
    // either side of that band the energy gives the same answer as the level would.
    if (!m_dB && m_energy > levelEnergy * (1 + 1e-12))
        return true;
    if (!m_dB && m_energy < levelEnergy * (1 - 1e-12))
        return false;
    return dB() >= level;
}

std::optional<double> RollingEnergy::leq() const
{
    if (m_ring.empty() || !(m_sum > 0))
        return std::nullopt;
    return 10.0 * std::log10(m_sum / double(m_ring.size()));
}

LimitMonitor::LimitMonitor(LimitConfig config, double intervalSeconds)
    : m_config(std::move(config)), m_dt(intervalSeconds), m_rolling(m_config.windowSeconds)
{
    const auto energy = [](double level) { return std::pow(10.0, level / 10.0); };
    m_levelEnergy = energy(m_config.level);
    m_levelDownEnergy = energy(m_config.level - m_config.hysteresis);
    if (m_config.warning) {
        m_warningEnergy = energy(*m_config.warning);
        m_warningDownEnergy = energy(*m_config.warning - m_config.hysteresis);
    }
}

int LimitMonitor::windowSeconds() const
{
    return m_config.figure == LimitFigure::Level ? int(std::lround(m_dt)) : m_config.windowSeconds;
}

bool LimitMonitor::covered(std::int64_t levels, int seconds) const
{
    // levels x interval >= min_coverage % of the window, with room for the float's last digit
    return double(levels) * m_dt * 100.0 >= m_config.minCoveragePercent * double(seconds) - 1e-9;
}

std::optional<double> LimitMonitor::thresholdOf(LimitState state) const
{
    switch (state) {
    case LimitState::Alarm:
        return m_config.level;
    case LimitState::Warning:
        return m_config.warning;
    case LimitState::Clear:
    case LimitState::Inactive:
        break;
    }
    return std::nullopt;
}

QList<LimitTransition> LimitMonitor::add(const RecordSample& s)
{
    QList<LimitTransition> out;
    if (!s.hasTime())
        return out;
    const bool active = inSchedule(s.time);
    switch (m_config.figure) {
    case LimitFigure::RollingLeq: {
        m_rolling.add(s);
        const std::optional<double> energy =
            covered(m_rolling.levels(), m_config.windowSeconds) ? m_rolling.meanEnergy() : std::nullopt;
        judge(s.time, energy ? std::optional(JudgedFigure::ofMeanEnergy(*energy)) : std::nullopt, active,
              out);
        break;
    }
    case LimitFigure::Level:
        judge(s.time, s.isLevel() ? std::optional(JudgedFigure::ofLevel(s.level())) : std::nullopt, active,
              out);
        break;
    case LimitFigure::PeriodLeq: {
        const std::int64_t p = m_config.windowSeconds;
        const std::int64_t start = s.time - (((s.time % p) + p) % p);
        if (m_periodStart != RecordSample::NoTime && start != m_periodStart) {
            // The period before has ended: judged at its end, by the schedule of its last second.
            const std::int64_t end = m_periodStart + p;
            const bool judged = covered(m_period.count, int(p));
            const std::optional<double> leq = judged ? m_period.leq() : std::nullopt;
            const bool inSchedule = m_config.when.contains(end - 1);
            if (leq && inSchedule) {
                ++m_periodsJudged;
                m_periodsExceeded += *leq >= m_config.level ? 1 : 0;
            }
            judge(end, leq ? std::optional(JudgedFigure::ofLevel(*leq)) : std::nullopt, inSchedule, out);
            m_period = EnergySum{};
        }
        m_periodStart = start;
        if (s.isLevel())
            m_period.add(energyOf(s));
        // Steps in or out of the schedule at once, not at the period's end.
        judge(s.time, std::nullopt, active, out);
        break;
    }
    }
    return out;
}

void LimitMonitor::change(LimitState to, std::int64_t time, std::optional<double> threshold,
                          std::int64_t since, QList<LimitTransition>& out, const QString& reason)
{
    LimitTransition t;
    t.limit = m_config.name;
    t.state = to;
    t.previous = m_state;
    t.time = time;
    t.figure = figure();
    t.threshold = threshold;
    t.since = since;
    t.windowSeconds = windowSeconds();
    t.reason = reason;
    m_state = to;
    m_since = since;
    out.append(t);
}

bool LimitMonitor::inSchedule(std::int64_t t)
{
    if (m_config.when.always)
        return true;
    // Schedules start and end on whole minutes: one look per minute of records.
    const std::int64_t minute = t >= 0 ? t / 60 : -((-t + 59) / 60);
    if (minute != m_scheduleMinute) {
        m_scheduleMinute = minute;
        m_scheduled = m_config.when.contains(t);
    }
    return m_scheduled;
}

bool LimitMonitor::below(const JudgedFigure& f, LimitState state) const
{
    // Below the state's level less the hysteresis: only then does the state step down.
    if (state == LimitState::Alarm)
        return !f.atLeast(m_config.level - m_config.hysteresis, m_levelDownEnergy);
    return !f.atLeast(*m_config.warning - m_config.hysteresis, m_warningDownEnergy);
}

void LimitMonitor::judge(std::int64_t time, const std::optional<JudgedFigure>& figure, bool active,
                         QList<LimitTransition>& out)
{
    if (!active) {
        m_aboveSince.reset();
        if (m_state != LimitState::Inactive)
            change(LimitState::Inactive, time, thresholdOf(m_state), time, out,
                   m_state == LimitState::Alarm ? QStringLiteral("schedule") : QString());
        return;
    }
    const bool reentry = m_state == LimitState::Inactive;
    if (!figure) {
        if (reentry)
            change(LimitState::Clear, time, std::nullopt, time, out);
        return;
    }
    m_figure = figure;
    const JudgedFigure& f = *m_figure;
    if (f.atLeast(m_config.level, m_levelEnergy)) {
        if (!m_aboveSince)
            m_aboveSince = time;
    } else {
        m_aboveSince.reset();
    }
    const bool alarm = m_aboveSince && double(time - *m_aboveSince) >= m_config.minDurationSeconds;
    const LimitState given = alarm ? LimitState::Alarm
                             : m_config.warning && f.atLeast(*m_config.warning, m_warningEnergy)
                                 ? LimitState::Warning
                                 : LimitState::Clear;
    LimitState next = m_state;
    if (reentry || int(given) > int(m_state))
        next = given;
    else if (int(given) < int(m_state) && below(f, m_state))
        next = given;
    if (next == m_state)
        return;
    const std::int64_t since = next == LimitState::Alarm ? *m_aboveSince : time;
    if (next == LimitState::Clear)
        change(next, time, thresholdOf(m_state), since, out);
    else
        change(next, time, thresholdOf(next), since, out);
}

} // namespace slm
