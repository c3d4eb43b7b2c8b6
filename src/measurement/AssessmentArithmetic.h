#pragma once

#include "measurement/LnClasses.h"
#include "measurement/Sample.h"
#include "shared/TextHelpers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

// The small pieces every assessment shares: the energy of a parsed level, a compensated energy
// sum, a record's Ln class and the percentile rule of the Ln table. Kept here so the hourly table,
// the periods, the dose and the events weigh a level the same way the computed figures do.

namespace slm::assessment
{

// 10^(L/10) of the one-decimal levels 0.0 .. 200.0 dB, worked out once: ten days at 1 s would
// otherwise spend most of their time in pow().
inline const std::array<double, 2001>& energyTable()
{
    static const std::array<double, 2001> table = [] {
        std::array<double, 2001> t{};
        for (int i = 0; i <= 2000; ++i)
            t[size_t(i)] = std::pow(10.0, i / 100.0);
        return t;
    }();
    return table;
}

inline double energyOf(const RecordSample& s)
{
    if (s.tenths >= 0 && s.tenths <= 2000)
        return energyTable()[size_t(s.tenths)];
    return std::pow(10.0, s.level() / 10.0);
}

// Neumaier's compensated sum of energies, as the computed figures keep theirs: a long loud file
// sums past any precision a plain running sum keeps for the quiet records after it.
struct EnergySum {
    double sum = 0;
    double carry = 0;
    std::int64_t count = 0;
    void add(double x)
    {
        const double t = sum + x;
        carry += std::abs(sum) >= std::abs(x) ? (sum - t) + x : (x - t) + sum;
        sum = t;
        ++count;
    }
    void add(const EnergySum& other)
    {
        add(other.sum);
        add(other.carry);
        count += other.count - 2;
    }
    double total() const { return sum + carry; }
    // 10 lg(mean energy), nothing without a level.
    std::optional<double> leq() const
    {
        if (count <= 0)
            return std::nullopt;
        const double v = 10.0 * std::log10(total() / double(count));
        return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    }
};

// The 0.1 dB class of a record as the Ln table classes its text; -1 for a paused record, which the
// table skips. Below-range texts sit at 25.0 dB, overloads at the top class, texts without a number
// at class 0.
inline int tenthClassOf(const RecordSample& s)
{
    switch (s.kind) {
    case LevelTextKind::Paused:
        return -1;
    case LevelTextKind::BelowRange:
        return 250;
    case LevelTextKind::Over:
        return TopClassTenthDb;
    case LevelTextKind::NotLevel:
        return 0;
    case LevelTextKind::Level:
        break;
    }
    if (s.tenths >= 0)
        return std::min<int>(s.tenths, TopClassTenthDb);
    const double v = s.level();
    if (!(v < 145.0))
        return TopClassTenthDb;
    return int(std::clamp<long long>(roundHalfEven(v * 10.0), 0, TopClassTenthDb));
}

// Days since 1970-01-01 of a record's local clock seconds, the second of that day, and its weekday
// (0 Monday .. 6 Sunday; the first day of 1970 was a Thursday).
inline std::int64_t civilDayOf(std::int64_t t)
{
    return t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
}
inline std::int64_t secondOfDay(std::int64_t t)
{
    return t - civilDayOf(t) * 86400;
}
inline int weekdayOf(std::int64_t day)
{
    return int(((day + 3) % 7 + 7) % 7);
}

// Lp of class counts by the Ln table's rule: the first class whose running sum exceeds
// N x (99.5 - p) / 100, in dB; nothing when no record was classed.
template <class Counts> std::optional<double> percentileOf(const Counts& counts, std::int64_t n, int p)
{
    if (n <= 0)
        return std::nullopt;
    const int j = 100 - p;
    const double target = double(j - 1) * double(n) / 100.0 + double(n) / 200.0;
    std::int64_t sum = 0;
    for (size_t k = 0; k < counts.size(); ++k) {
        sum += counts[k];
        if (double(sum) > target)
            return double(k) / 10.0;
    }
    return std::nullopt;
}

// Lp for several p of the same counts in one walk from class `from` (none lower holds a record),
// each as percentileOf gives it: the running sum passes the targets from the highest p down.
template <size_t K, class Counts>
std::array<std::optional<double>, K> percentilesOf(const Counts& counts, std::int64_t n,
                                                   const std::array<int, K>& descendingP, size_t from = 0)
{
    std::array<std::optional<double>, K> out;
    if (n <= 0)
        return out;
    std::array<double, K> target;
    for (size_t i = 0; i < K; ++i) {
        const int j = 100 - descendingP[i];
        target[i] = double(j - 1) * double(n) / 100.0 + double(n) / 200.0;
    }
    size_t next = 0;
    std::int64_t sum = 0;
    for (size_t k = from; k < counts.size() && next < K; ++k) {
        sum += counts[k];
        while (next<K&& double(sum)> target[next])
            out[next++] = double(k) / 10.0;
    }
    return out;
}

} // namespace slm::assessment
