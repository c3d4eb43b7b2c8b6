#include "slm-sim/LoggerMemory.h"

#include "slm-sim/RoomSignal.h"

#include <algorithm>
#include <cmath>

namespace slmsim
{

namespace
{

void putWord(std::vector<std::uint8_t>& out, std::uint16_t w)
{
    out.push_back(static_cast<std::uint8_t>(w >> 8));
    out.push_back(static_cast<std::uint8_t>(w & 0xff));
}

void putTime(std::vector<std::uint8_t>& out, const DateTime& t)
{
    for (std::uint8_t b : toBcd6(t))
        out.push_back(b);
}

std::uint16_t tenths(double db)
{
    return static_cast<std::uint16_t>(std::clamp(std::lround(db * 10.0), 0L, 0x7fffL));
}

} // namespace

std::vector<std::uint8_t> encodeSet(const LoggedSet& set)
{
    const int n = static_cast<int>(set.records.size());
    // Which records count for the summary: the running ones, or all when none ran.
    std::vector<int> counted;
    for (int i = 0; i < n; ++i)
        if (!(set.records[i] & PausedBit))
            counted.push_back(i);
    if (counted.empty())
        for (int i = 0; i < n; ++i)
            counted.push_back(i);

    auto level = [&](int i) { return (set.records[i] & 0x7fff) / 10.0; };
    int maxAt = counted.empty() ? 0 : counted.front();
    int minAt = maxAt;
    double energy = 0.0;
    for (int i : counted) {
        if (level(i) > level(maxAt))
            maxAt = i;
        if (level(i) < level(minAt))
            minAt = i;
        energy += std::pow(10.0, level(i) / 10.0);
    }
    const double leq = counted.empty() ? 0.0 : 10.0 * std::log10(energy / counted.size());
    const double seconds = static_cast<double>(counted.size()) * set.interval;
    const double sel = counted.empty() ? 0.0 : leq + 10.0 * std::log10(std::max(1.0, seconds));
    const double maxDb = n ? level(maxAt) : 0.0;
    const double minDb = n ? level(minAt) : 0.0;
    const double peakDb = n ? maxDb + 3.0 : 0.0; // the peak detector sits above the weighted max
    const std::int64_t start = toSeconds(set.start);
    const DateTime maxTime = fromSeconds(start + static_cast<std::int64_t>(maxAt) * set.interval);
    const DateTime minTime = fromSeconds(start + static_cast<std::int64_t>(minAt) * set.interval);

    std::vector<std::uint8_t> out{0x00, 0x55, 0xAA, 0x00};
    putWord(out, static_cast<std::uint16_t>(set.interval));
    out.push_back(set.status);
    out.push_back(set.range);
    for (std::uint16_t r : set.records)
        putWord(out, r);
    putTime(out, set.start);
    putTime(out, set.end);
    putTime(out, maxTime);
    putTime(out, minTime);
    putTime(out, maxTime); // the peak comes with the loudest record
    putWord(out, tenths(leq));
    putWord(out, tenths(sel));
    putWord(out, tenths(maxDb));
    putWord(out, tenths(minDb));
    putWord(out, tenths(peakDb));
    for (int i = 0; i < 5; ++i)
        putWord(out, 0);
    return out;
}

LoggedSet syntheticSet(unsigned seed, int records, int interval, const DateTime& start, std::uint8_t status,
                       std::uint8_t range)
{
    LoggedSet set;
    set.interval = interval;
    set.status = status;
    set.range = range;
    set.start = start;
    set.end = fromSeconds(toSeconds(start) + static_cast<std::int64_t>(std::max(0, records - 1)) * interval);
    // Offset in the signal by the time of day so different sets do not look alike.
    const double base = static_cast<double>(toSeconds(start) % 86400);
    for (int i = 0; i < records; ++i)
        set.records.push_back(tenths(roomLevel(seed, base + static_cast<double>(i) * interval)));
    return set;
}

std::vector<std::uint8_t> demoMemory(unsigned seed, const DateTime& clockNow)
{
    const std::int64_t now = toSeconds(clockNow);
    LoggedSet office = syntheticSet(seed, 30, 1, fromSeconds(now - 3 * 3600), 0x04, 3);
    LoggedSet street = syntheticSet(seed, 600, 2, fromSeconds(now - 2 * 3600), 0x25, 2); // SLOW, C
    for (int i = 250; i < 350; ++i)
        street.records[i] |= PausedBit;
    LoggedSet spot = syntheticSet(seed, 3, 5, fromSeconds(now - 1 * 3600), 0x44, 4); // FAST, Z
    std::vector<std::uint8_t> out;
    for (const LoggedSet* s : {&office, &street, &spot}) {
        const auto bytes = encodeSet(*s);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<std::uint8_t> memoryOfSets(unsigned seed, const std::vector<std::pair<int, int>>& sets,
                                       const DateTime& clockNow, std::size_t maxBytes)
{
    // Lay the sets out back to back, the last one ending an hour before now.
    std::int64_t total = 0;
    for (const auto& [n, interval] : sets)
        total += static_cast<std::int64_t>(n) * interval + 60;
    std::int64_t start = toSeconds(clockNow) - 3600 - total;
    std::vector<std::uint8_t> out;
    for (const auto& [n, interval] : sets) {
        if (out.size() + static_cast<std::size_t>(setLength(n)) > maxBytes)
            break;
        const auto bytes = encodeSet(syntheticSet(seed, n, interval, fromSeconds(start)));
        out.insert(out.end(), bytes.begin(), bytes.end());
        start += static_cast<std::int64_t>(n) * interval + 60;
    }
    return out;
}

} // namespace slmsim
