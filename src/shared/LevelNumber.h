#pragma once

#include <QtGlobal>

namespace slm
{

// The leading number of a level text, read in place as UTF-16 or as UTF-8 bytes: a full list is
// 348000 texts, and the general number reader copies each one twice. The usual numbers ("65.3",
// "88.8dB") are plain digits with at most one point; up to 15 digits both the digits and the power
// of ten are exact, so the one division rounds exactly as the general reader does.
struct PlainLevelNumber {
    long long mantissa = 0; // the digits without the point
    int decimals = 0;       // digits after the point
    bool plain = false;     // false: a sign, an exponent or a long digit run; read it in general
    double value() const
    {
        // Static: a local table would be laid out again on the stack for each of the 348000 texts.
        static constexpr double PowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        return double(mantissa) / PowersOfTen[decimals];
    }
};

template <class Ch> qsizetype skipLevelBlanks(const Ch* p, qsizetype n)
{
    qsizetype i = 0;
    while (i < n && (p[i] == ' ' || p[i] == '\t'))
        ++i;
    return i;
}

// The digits from `i` on (blanks already skipped). Nothing to read gives a plain 0.
template <class Ch> PlainLevelNumber readPlainLevelNumber(const Ch* p, qsizetype n, qsizetype i)
{
    PlainLevelNumber r;
    int digits = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (p[i] >= '0' && p[i] <= '9') {
            if (digits == 15)
                return r;
            r.mantissa = r.mantissa * 10 + (p[i] - '0');
            ++digits;
            if (point)
                ++r.decimals;
        } else if (p[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    r.plain = !(i < n && (p[i] == '+' || p[i] == 'e' || p[i] == 'E'));
    return r;
}

} // namespace slm
