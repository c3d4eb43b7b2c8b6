#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace slmsim
{

// A wall-clock date-time as the meter keeps it: no time zone, no daylight saving, just the
// calendar. Arithmetic goes through whole seconds since 1970-01-01 00:00:00 of this calendar.
struct DateTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    bool operator==(const DateTime&) const = default;
};

bool isValid(const DateTime& t);
std::int64_t toSeconds(const DateTime& t);
DateTime fromSeconds(std::int64_t seconds);
DateTime hostLocalNow();
// "yyyy-mm-dd hh:nn:ss"; nullopt when the text or the date is not valid.
std::optional<DateTime> parseDateTime(const std::string& text);
std::string formatDateTime(const DateTime& t);

// Packed BCD: 59 -> 0x59.
std::uint8_t toBcd(int value);
// nullopt when a nibble is above 9.
std::optional<int> fromBcd(std::uint8_t byte);
// Six BCD bytes, second first, year modulo 100: the meter's clock and trailer layout.
std::array<std::uint8_t, 6> toBcd6(const DateTime& t);
// The date-time of six BCD bytes in that order (century 20); nullopt when a byte is not BCD
// or the date does not exist.
std::optional<DateTime> fromBcd6(const std::array<std::uint8_t, 6>& bytes);

} // namespace slmsim
