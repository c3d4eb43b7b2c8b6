#pragma once

#include <QDate>
#include <QString>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

// Texts of numbers and dates that long tables write by the thousand, the same as Qt's but without
// its formatting machinery: digits written straight into a small buffer.

namespace slm
{

// QString::number(value, 'f', 1). Both are correctly rounded; Qt takes an exact half (a value
// ending in .25 or .75) away from zero where the standard library takes it to the even digit, so
// those are written here. Very large values, zero and the rest go to Qt.
inline QString oneDecimalText(double value)
{
    if (!(std::fabs(value) < 1e15) || value == 0)
        return QString::number(value, 'f', 1);
    char buffer[32];
    char* end = buffer;
    const double quarters = value * 4; // exact: a power of two
    if (quarters == std::floor(quarters) && std::fmod(quarters, 2) != 0) {
        const long long m = std::llabs(static_cast<long long>(quarters));
        const long long tenths = (5 * m + 1) / 2; // 2.5 m, the half up
        if (value < 0)
            *end++ = '-';
        end = std::to_chars(end, buffer + sizeof buffer, tenths / 10).ptr;
        *end++ = '.';
        *end++ = char('0' + tenths % 10);
    } else {
        end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1).ptr;
    }
    return QString::fromLatin1(buffer, end - buffer);
}

// The proleptic Gregorian date of days since 1970-01-01.
struct CivilDate {
    std::int64_t year = 1970;
    int month = 1;
    int day = 1;
};
inline CivilDate civilDateOf(std::int64_t days)
{
    const std::int64_t z = days + 719468; // from 0000-03-01
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    CivilDate d;
    d.day = int(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    d.month = int(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    d.year = yearOfEra + era * 400 + (d.month <= 2 ? 1 : 0);
    return d;
}

// Writes `value` (0 or more) with at least `width` digits, zeros before; returns the end.
inline char* writeDigits(char* out, std::int64_t value, int width)
{
    char digits[20];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n; i < width; ++i)
        *out++ = '0';
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

// "yyyy-MM-dd" of a date in the years 1-9999 (the years QDate's ISO text writes); nullptr, having
// written nothing, for any other.
inline char* writeIsoDate(char* out, std::int64_t days)
{
    const CivilDate d = civilDateOf(days);
    if (d.year < 1 || d.year > 9999)
        return nullptr;
    out = writeDigits(out, d.year, 4);
    *out++ = '-';
    out = writeDigits(out, d.month, 2);
    *out++ = '-';
    return writeDigits(out, d.day, 2);
}

// QDate(1970, 1, 1).addDays(days).toString(Qt::ISODate).
inline QString isoDateText(std::int64_t days)
{
    char buffer[16];
    if (char* end = writeIsoDate(buffer, days))
        return QString::fromLatin1(buffer, end - buffer);
    return QDate(1970, 1, 1).addDays(days).toString(Qt::ISODate);
}

} // namespace slm
