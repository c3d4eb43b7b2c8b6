#pragma once

#include "measurement/AssessmentArithmetic.h"
#include "measurement/LimitConfig.h"
#include "measurement/Sample.h"

#include <QList>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Judges one meter's records against one limit. The figure is a rolling Leq over (t - window, t],
// the Leq of each clock-aligned period (judged once, at its end) or each sample's level; only
// levels enter it (paused readings and readings over or below the range are left out). The state
// steps up as soon as the figure says so (an alarm once the figure has stayed at or above the level
// for the minimum duration) and down only once the figure is below the state's level minus the
// hysteresis. Outside its schedule the limit is inactive.

namespace slm
{

enum class LimitState : std::uint8_t { Clear, Warning, Alarm, Inactive };
// "clear", "warning", "alarm", "inactive".
QString limitStateText(LimitState state);

struct LimitTransition {
    QString limit;
    LimitState state = LimitState::Clear;
    LimitState previous = LimitState::Clear;
    std::int64_t time = 0;           // local clock seconds, as records count them
    std::optional<double> figure;    // the figure judged (the last one, when the schedule ended it)
    std::optional<double> threshold; // the level of the state entered, or of the one left
    std::int64_t since = 0;          // when the state began: an alarm's first sample at the level
    int windowSeconds = 0;
    QString reason; // "schedule" when leaving the schedule ended it
};

// The energy of the levels among the records of the last `window` seconds, O(1) per record. The
// levels sit in a ring that grows only while the window holds more of them than ever before.
class RollingEnergy
{
public:
    explicit RollingEnergy(int windowSeconds) : m_window(windowSeconds) {}
    // Moves the window's end to `time`; a level enters it.
    void add(const RecordSample& s)
    {
        if (m_count > 0 && s.time < back().time) {
            // The clock went back: what was counted does not lie before the new time.
            m_count = 0;
            m_sum = 0;
        }
        const std::int64_t leaving = s.time - m_window;
        while (m_count > 0 && front().time <= leaving) {
            m_sum -= front().energy;
            m_head = (m_head + 1) & (m_ring.size() - 1);
            --m_count;
            ++m_removed;
        }
        if (s.isLevel()) {
            const double energy = assessment::energyOf(s);
            pushBack(s.time, energy);
            m_sum += energy;
        }
        if (m_removed >= m_count)
            sumAfresh();
    }
    std::optional<double> leq() const;
    // The mean energy of the levels in the window; nothing when leq() has none.
    std::optional<double> meanEnergy() const
    {
        if (m_count == 0 || !(m_sum > 0))
            return std::nullopt;
        return m_sum / double(m_count);
    }
    std::int64_t levels() const { return std::int64_t(m_count); }

private:
    struct Entry {
        std::int64_t time;
        double energy;
    };
    const Entry& front() const { return m_ring[m_head]; }
    const Entry& back() const { return m_ring[(m_head + m_count - 1) & (m_ring.size() - 1)]; }
    void pushBack(std::int64_t time, double energy)
    {
        if (m_count == m_ring.size())
            grow();
        Entry& e = m_ring[(m_head + m_count) & (m_ring.size() - 1)];
        e.time = time;
        e.energy = energy;
        ++m_count;
    }
    void grow();
    void sumAfresh();

    int m_window;
    std::vector<Entry> m_ring; // a power of two long; m_count entries from m_head on, wrapping
    size_t m_head = 0;
    size_t m_count = 0;
    double m_sum = 0;
    // The sum is worked out afresh once per window's worth of removals: no drift, still O(1).
    size_t m_removed = 0;
};

// A judged figure in dB, or its mean energy with the logarithm taken only when the value is needed:
// most records are judged far from every threshold, where the energy alone decides.
class JudgedFigure
{
public:
    static JudgedFigure ofLevel(double dB)
    {
        JudgedFigure f;
        f.m_dB = dB;
        f.m_known = true;
        return f;
    }
    static JudgedFigure ofMeanEnergy(double energy)
    {
        JudgedFigure f;
        f.m_energy = energy;
        return f;
    }
    double dB() const
    {
        if (!m_known)
            takeLogarithm();
        return m_dB;
    }
    // dB() >= level, decided by the energy when it is clearly apart from `levelEnergy` (10^(level/10)).
    bool atLeast(double level, double levelEnergy) const
    {
        // A relative step of 1e-12 in energy is 4e-12 dB, far beyond the logarithm's last digit: on
        // either side of that band the energy gives the same answer as the level would.
        if (!m_known && m_energy > levelEnergy * (1 + 1e-12))
            return true;
        if (!m_known && m_energy < levelEnergy * (1 - 1e-12))
            return false;
        return dB() >= level;
    }

private:
    void takeLogarithm() const;

    double m_energy = 0;
    mutable double m_dB = 0;
    mutable bool m_known = false;
};

class LimitMonitor
{
public:
    LimitMonitor(LimitConfig config, double intervalSeconds);

    // What the record changes, in order (at most two: a period judged at its end, then the schedule).
    QList<LimitTransition> add(const RecordSample& s);
    // The same, appended to `out`: a replay over millions of records keeps one list.
    void add(const RecordSample& s, std::vector<LimitTransition>& out);
    // Every record in turn, with the index of the record that brought each transition appended
    // to `records`, which holds one entry per transition of `out` before and after.
    void add(std::span<const RecordSample> samples, std::vector<LimitTransition>& out,
             std::vector<size_t>& records);

    const LimitConfig& config() const { return m_config; }
    LimitState state() const { return m_state; }
    std::int64_t stateSince() const { return m_since; }
    // The figure last judged; nothing before the first or while the coverage is too low.
    std::optional<double> figure() const
    {
        return m_hasFigure ? std::optional<double>(m_figure.dB()) : std::nullopt;
    }
    int windowSeconds() const;
    // leq-period only: the periods whose Leq was judged (covered, in the schedule) and those at or
    // above the level.
    std::int64_t periodsJudged() const { return m_periodsJudged; }
    std::int64_t periodsExceeded() const { return m_periodsExceeded; }

private:
    void step(const RecordSample& s, std::vector<LimitTransition>& out);
    // A figure judged in the schedule (it becomes the last one judged); then the record without a
    // figure, or outside the schedule.
    void judge(std::int64_t time, const JudgedFigure& figure, std::vector<LimitTransition>& out)
    {
        m_figure = figure;
        m_hasFigure = true;
        judgeLast(time, out);
    }
    void judgeLast(std::int64_t time, std::vector<LimitTransition>& out);
    void judgeWithout(std::int64_t time, bool active, std::vector<LimitTransition>& out);
    void stepTo(LimitState next, std::int64_t time, std::vector<LimitTransition>& out);
    void judgePeriod(std::int64_t end, std::vector<LimitTransition>& out);
    void change(LimitState to, std::int64_t time, std::optional<double> threshold, std::int64_t since,
                std::vector<LimitTransition>& out, const QString& reason = {});
    std::optional<double> thresholdOf(LimitState state) const;
    bool below(const JudgedFigure& f, LimitState state) const;
    // Schedules start and end on whole minutes: one look per minute of records.
    bool inSchedule(std::int64_t t)
    {
        if (m_config.when.always)
            return true;
        if (!m_scheduleKnown || t < m_scheduleFrom || t >= m_scheduleFrom + 60)
            lookUpSchedule(t);
        return m_scheduled;
    }
    void lookUpSchedule(std::int64_t t);
    // levels x interval >= min_coverage % of the window, with room for the float's last digit.
    bool covered(std::int64_t levels) const { return double(levels) * m_dt * 100.0 >= m_coverNeed; }

    LimitConfig m_config;
    double m_dt;
    double m_coverNeed; // min_coverage % of the window, less the room
    LimitState m_state = LimitState::Clear;
    std::int64_t m_since = 0;
    JudgedFigure m_figure;
    bool m_hasFigure = false;
    // 10^(L/10) of the level, the warning, and each less the hysteresis.
    double m_levelEnergy = 0;
    double m_warningEnergy = 0;
    double m_levelDownEnergy = 0;
    double m_warningDownEnergy = 0;
    std::optional<std::int64_t> m_aboveSince; // the first of the judged samples at or above the level
    std::optional<std::int64_t> m_lastTime;
    // The minute [from, from + 60) the schedule was last looked up for; none yet.
    std::int64_t m_scheduleFrom = 0;
    bool m_scheduleKnown = false;
    bool m_scheduled = true;
    RollingEnergy m_rolling;
    std::int64_t m_periodStart = RecordSample::NoTime;
    std::int64_t m_periodEnd = RecordSample::NoTime;
    assessment::EnergySum m_period;
    std::int64_t m_periodsJudged = 0;
    std::int64_t m_periodsExceeded = 0;
};

} // namespace slm
