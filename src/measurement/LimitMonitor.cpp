#include "measurement/LimitMonitor.h"

#include <algorithm>
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

void RollingEnergy::grow()
{
    // The entries move in order to the front of a ring twice as long.
    std::vector<Entry> grown(std::max<size_t>(16, m_ring.size() * 2));
    for (size_t i = 0; i < m_count; ++i)
        grown[i] = m_ring[(m_head + i) & (m_ring.size() - 1)];
    m_ring = std::move(grown);
    m_head = 0;
}

void RollingEnergy::sumAfresh()
{
    EnergySum exact;
    for (size_t i = 0; i < m_count; ++i)
        exact.add(m_ring[(m_head + i) & (m_ring.size() - 1)].energy);
    m_sum = exact.total();
    m_removed = 0;
}

void JudgedFigure::takeLogarithm() const
{
    m_dB = 10.0 * std::log10(m_energy);
    m_known = true;
}

std::optional<double> RollingEnergy::leq() const
{
    const std::optional<double> mean = meanEnergy();
    return mean ? std::optional<double>(10.0 * std::log10(*mean)) : std::nullopt;
}

LimitMonitor::LimitMonitor(LimitConfig config, double intervalSeconds)
    : m_config(std::move(config)), m_dt(intervalSeconds),
      m_coverNeed(m_config.minCoveragePercent * double(m_config.windowSeconds) - 1e-9),
      m_rolling(m_config.windowSeconds)
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
    std::vector<LimitTransition> changes;
    add(s, changes);
    return QList<LimitTransition>(changes.begin(), changes.end());
}

// Always inlined into the step over each record (and that into the walk over all records): a
// call per record would cost more than the judging.
[[gnu::always_inline]] inline void LimitMonitor::judgeLast(std::int64_t time,
                                                           std::vector<LimitTransition>& out)
{
    const bool reentry = m_state == LimitState::Inactive;
    const JudgedFigure& f = m_figure;
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
    if (next != m_state)
        stepTo(next, time, out);
}

void LimitMonitor::judgePeriod(std::int64_t end, std::vector<LimitTransition>& out)
{
    // Judged at its end, by the schedule of its last second.
    const bool judged = covered(m_period.count);
    const std::optional<double> leq = judged ? m_period.leq() : std::nullopt;
    const bool inSchedule = m_config.when.contains(end - 1);
    if (leq && inSchedule) {
        ++m_periodsJudged;
        m_periodsExceeded += *leq >= m_config.level ? 1 : 0;
        judge(end, JudgedFigure::ofLevel(*leq), out);
    } else {
        judgeWithout(end, inSchedule, out);
    }
    m_period = EnergySum{};
}

[[gnu::always_inline]] inline void LimitMonitor::step(const RecordSample& s,
                                                      std::vector<LimitTransition>& out)
{
    if (!s.hasTime())
        return;
    const bool active = inSchedule(s.time);
    bool judged = false; // a figure to judge: m_figure
    switch (m_config.figure) {
    case LimitFigure::RollingLeq:
        m_rolling.add(s);
        if (active && covered(m_rolling.levels())) {
            if (const std::optional<double> energy = m_rolling.meanEnergy()) {
                m_figure = JudgedFigure::ofMeanEnergy(*energy);
                judged = true;
            }
        }
        break;
    case LimitFigure::Level:
        if (active && s.isLevel()) {
            m_figure = JudgedFigure::ofLevel(s.level());
            judged = true;
        }
        break;
    case LimitFigure::PeriodLeq:
        if (m_periodStart == RecordSample::NoTime || s.time < m_periodStart || s.time >= m_periodEnd) {
            const std::int64_t p = m_config.windowSeconds;
            const std::int64_t start = s.time - (((s.time % p) + p) % p);
            if (m_periodStart != RecordSample::NoTime)
                judgePeriod(m_periodStart + p, out); // the period before has ended
            m_periodStart = start;
            m_periodEnd = start + p;
        }
        if (s.isLevel())
            m_period.add(energyOf(s));
        // Steps in or out of the schedule at once, not at the period's end.
        break;
    }
    if (judged) {
        m_hasFigure = true;
        judgeLast(s.time, out);
    } else if (!active || m_state == LimitState::Inactive) {
        judgeWithout(s.time, active, out); // in the schedule and not inactive, nothing changes
    }
}

void LimitMonitor::add(const RecordSample& s, std::vector<LimitTransition>& out)
{
    step(s, out);
}

void LimitMonitor::add(std::span<const RecordSample> samples, std::vector<LimitTransition>& out,
                       std::vector<size_t>& records)
{
    for (size_t i = 0; i < samples.size(); ++i) {
        step(samples[i], out);
        if (records.size() != out.size())
            records.resize(out.size(), i);
    }
}

void LimitMonitor::change(LimitState to, std::int64_t time, std::optional<double> threshold,
                          std::int64_t since, std::vector<LimitTransition>& out, const QString& reason)
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
    out.push_back(std::move(t));
}

void LimitMonitor::lookUpSchedule(std::int64_t t)
{
    m_scheduleFrom = (t >= 0 ? t / 60 : -((-t + 59) / 60)) * 60;
    m_scheduleKnown = true;
    m_scheduled = m_config.when.contains(t);
}

bool LimitMonitor::below(const JudgedFigure& f, LimitState state) const
{
    // Below the state's level less the hysteresis: only then does the state step down.
    if (state == LimitState::Alarm)
        return !f.atLeast(m_config.level - m_config.hysteresis, m_levelDownEnergy);
    return !f.atLeast(*m_config.warning - m_config.hysteresis, m_warningDownEnergy);
}

void LimitMonitor::judgeWithout(std::int64_t time, bool active, std::vector<LimitTransition>& out)
{
    if (!active) {
        m_aboveSince.reset();
        if (m_state != LimitState::Inactive)
            change(LimitState::Inactive, time, thresholdOf(m_state), time, out,
                   m_state == LimitState::Alarm ? QStringLiteral("schedule") : QString());
        return;
    }
    if (m_state == LimitState::Inactive)
        change(LimitState::Clear, time, std::nullopt, time, out);
}

void LimitMonitor::stepTo(LimitState next, std::int64_t time, std::vector<LimitTransition>& out)
{
    const std::int64_t since = next == LimitState::Alarm ? *m_aboveSince : time;
    if (next == LimitState::Clear)
        change(next, time, thresholdOf(m_state), since, out);
    else
        change(next, time, thresholdOf(next), since, out);
}

} // namespace slm
