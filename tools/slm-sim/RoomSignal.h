#pragma once

namespace slmsim
{

// The level of a quiet room, repeatable from a seed: about 45-60 dB with slow drift and noise,
// and a loud event of about +20 dB for four seconds every 45 s (the first 30 s after start).
// seconds counts from the start of the simulation; the noise changes every 100 ms.
double roomLevel(unsigned seed, double seconds);

// When the loud events happen, for tests that want to look at one.
inline constexpr double EventPeriodSeconds = 45.0;
inline constexpr double EventOffsetSeconds = 30.0;
inline constexpr double EventLengthSeconds = 4.0;
inline constexpr double EventRiseDb = 20.0;

} // namespace slmsim
