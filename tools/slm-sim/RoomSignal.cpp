#include "slm-sim/RoomSignal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace slmsim
{

namespace
{

// A stateless hash so the level at any moment is known without replaying the past.
std::uint32_t mix(std::uint32_t a, std::uint32_t b)
{
    std::uint64_t x = (static_cast<std::uint64_t>(a) << 32 | b) + 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(x ^ (x >> 31));
}

double unit(std::uint32_t h)
{
    return h / 4294967296.0;
}

double eventRise(double seconds)
{
    if (seconds < EventOffsetSeconds)
        return 0.0;
    const double in = std::fmod(seconds - EventOffsetSeconds, EventPeriodSeconds);
    if (in >= EventLengthSeconds)
        return 0.0;
    const double ramp = 0.5; // a passing truck, not a step
    const double shape = std::min({1.0, in / ramp, (EventLengthSeconds - in) / ramp});
    return EventRiseDb * shape;
}

} // namespace

double roomLevel(unsigned seed, double seconds)
{
    const double twoPi = 6.283185307179586;
    const double phase1 = unit(mix(seed, 1)) * twoPi;
    const double phase2 = unit(mix(seed, 2)) * twoPi;
    const double drift = 52.5 + 4.5 * std::sin(twoPi * seconds / 97.0 + phase1) +
                         1.5 * std::sin(twoPi * seconds / 23.0 + phase2);
    const auto tick = static_cast<std::uint32_t>(std::max(0.0, seconds) * 10.0);
    const double noise = (unit(mix(seed ^ 0x5A5A5A5Au, tick)) - 0.5) * 2.0;
    const double quiet = std::clamp(drift + noise, 45.0, 60.0);
    return quiet + eventRise(seconds);
}

} // namespace slmsim
