#include "shared/TextHelpers.h"

#include "shared/LevelNumber.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace slm
{

double numericValue(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const int start = i;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    bool digits = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    // An exponent only counts when digits follow it; "1e" stays 1.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        int j = i + 1;
        if (j < n && (text[j] == u'-' || text[j] == u'+'))
            ++j;
        if (j < n && text[j].isDigit()) {
            while (j < n && text[j].isDigit())
                ++j;
            i = j;
        }
    }
    return text.mid(start, i - start).toDouble();
}

double numericValue(QByteArrayView text)
{
    const char* p = text.data();
    const qsizetype n = text.size();
    auto digit = [&](qsizetype k) { return k < n && p[k] >= '0' && p[k] <= '9'; };
    qsizetype i = skipLevelBlanks(p, n);
    // The usual level ("65.3", "88.8*") read by its digits alone, with the same rounding.
    if (digit(i) || (i < n && p[i] == '.')) {
        const PlainLevelNumber number = readPlainLevelNumber(p, n, i);
        if (number.plain)
            return number.value();
    }
    // from_chars takes no plus sign; the number starts after it.
    if (i < n && p[i] == '+')
        ++i;
    const qsizetype start = i;
    if (i < n && p[i] == '-')
        ++i;
    bool digits = false;
    for (; digit(i); ++i)
        digits = true;
    if (i < n && p[i] == '.') {
        ++i;
        for (; digit(i); ++i)
            digits = true;
    }
    if (!digits)
        return 0.0;
    if (i < n && (p[i] == 'e' || p[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (p[j] == '-' || p[j] == '+'))
            ++j;
        if (digit(j)) {
            while (digit(j))
                ++j;
            i = j;
        }
    }
    double value = 0;
    const std::from_chars_result r = std::from_chars(p + start, p + i, value);
    if (r.ec == std::errc::result_out_of_range) // beyond a double: strtod's infinity or zero
        return std::strtod(std::string(p + start, size_t(i - start)).c_str(), nullptr);
    return value;
}

long long roundHalfEven(double value)
{
    // Beyond 2^53 a double holds whole numbers only; clamping there keeps the cast defined for
    // any answer a user can type (the callers clamp to their own ranges afterwards).
    constexpr double Limit = 9007199254740992.0;
    if (std::isnan(value))
        return 0;
    if (value >= Limit || value <= -Limit)
        return static_cast<long long>(value > 0 ? Limit : -Limit);
    return static_cast<long long>(std::nearbyint(value)); // the default rounding mode is half-even
}

QString formatDateTime(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString formatHeaderNumber(double value)
{
    QString digits = QString::number(value, 'g', 15);
    if (value < 0)
        return digits + u' ';
    return u' ' + digits + u' ';
}

QString percentCompleted(double percent)
{
    return QString::number(percent, 'f', 1) + QStringLiteral("% Completed");
}

} // namespace slm
