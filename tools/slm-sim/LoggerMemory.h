#pragma once

#include "slm-sim/CivilTime.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace slmsim
{

// Addresses of the logger memory: logged data starts at 48, so the pointer of an empty
// memory is 48 and a set of N records takes 2N + 58 bytes.
inline constexpr int MemoryStart = 48;
inline constexpr int SetOverhead = 58;
inline constexpr std::uint16_t PausedBit = 0x8000;

// One logging run before it is laid out in memory.
struct LoggedSet {
    int interval = 1;           // seconds
    std::uint8_t status = 0x04; // status byte at the start (weightings, RUN)
    std::uint8_t range = 3;     // range byte at the start
    DateTime start;
    DateTime end;
    std::vector<std::uint16_t> records; // tenths of a dB, PausedBit on paused records
};

inline int setLength(int records)
{
    return 2 * records + SetOverhead;
}

// The set in the logger layout: marker 00 55 AA 00, interval, status, range, records, then
// the trailer (start, end, maximum, minimum, peak date-times, second first, BCD; Leq, SEL,
// maximum, minimum, peak level words; five zero words). Summary values leave paused records
// out unless every record is paused.
std::vector<std::uint8_t> encodeSet(const LoggedSet& set);

// A set of n records at the given interval starting at start, levels from the room signal.
LoggedSet syntheticSet(unsigned seed, int records, int interval, const DateTime& start,
                       std::uint8_t status = 0x04, std::uint8_t range = 3);

// The three demo sets a new user finds (30 records at 1 s, 600 at 2 s with a paused stretch
// in the middle, 3 at 5 s), logged during the hours before clockNow.
std::vector<std::uint8_t> demoMemory(unsigned seed, const DateTime& clockNow);

// Sets of N records at interval I (pairs N, I), one after the other before clockNow; a set
// that would take the logged bytes past maxBytes is left out, and so are those after it.
std::vector<std::uint8_t> memoryOfSets(unsigned seed, const std::vector<std::pair<int, int>>& sets,
                                       const DateTime& clockNow, std::size_t maxBytes);

} // namespace slmsim
