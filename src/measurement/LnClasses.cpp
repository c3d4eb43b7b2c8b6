#include "measurement/LnClasses.h"

#include "measurement/Measurement.h"
#include "measurement/RecordListModel.h"
#include "shared/LevelNumber.h"
#include "shared/TextHelpers.h"

#include <algorithm>
#include <cmath>

namespace slm
{

namespace
{

constexpr int DashClassTenth = 250; // texts with a "-": levels below the range, counted at 25 dB
constexpr int DashClassWhole = 25;

// The top of the count axis: the highest count rounded up to a whole step of 1, 2 or 5 times a
// power of ten, chosen so the axis has about five steps. Counts are whole, so steps are too.
double countAxisTop(std::int64_t highest)
{
    if (highest <= 0)
        return 1;
    const double rough = double(highest) / 5.0;
    double step = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (step * factor >= rough) {
            step *= factor;
            break;
        }
    }
    step = std::max(step, 1.0);
    return std::ceil(double(highest) / step) * step;
}

// The class of a level text, read in place as UTF-16 or as the list's UTF-8 bytes. The marks "*",
// "-" and "L" are found in one scan, then the leading number; anything but plain digits (a sign,
// an exponent, long digit runs) goes to the general reader through `asText`.
template <class Ch, class AsText> LnClasses classifyChars(const Ch* p, qsizetype n, AsText asText)
{
    LnClasses c;
    bool dash = false;
    bool overload = false;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '*') {
            c.skipped = true;
            return c;
        }
        dash = dash || p[i] == '-';
        overload = overload || p[i] == 'L';
    }
    if (dash) {
        c.tenthDb = DashClassTenth;
        c.wholeDb = DashClassWhole;
        return c;
    }
    double v = 0;
    if (!overload) {
        const PlainLevelNumber number = readPlainLevelNumber(p, n, skipLevelBlanks(p, n));
        v = number.plain ? number.value() : numericValue(asText());
    }
    if (overload || !(v < 145.0)) {
        c.tenthDb = TopClassTenthDb;
        c.wholeDb = TopClassWholeDb;
        return c;
    }
    // Without a "-" the value is at least 0, and below 145 it stays inside the table.
    c.tenthDb = int(std::clamp<long long>(roundHalfEven(v * 10.0), 0, TopClassTenthDb));
    c.wholeDb = int(std::clamp<double>(std::floor(v), 0, TopClassWholeDb));
    return c;
}

} // namespace

LnClasses classifyLevelText(QStringView text)
{
    return classifyChars(text.utf16(), text.size(), [text] { return text.toString(); });
}

LnClasses classifyLevelText(QByteArrayView utf8)
{
    return classifyChars(utf8.data(), utf8.size(), [utf8] { return QString::fromUtf8(utf8); });
}

QString lnNothingToDrawMessage()
{
    return QStringLiteral("No levels to count: the histogram is left as it was.");
}

LnClassCounter::LnClassCounter() : m_tenth(TopClassTenthDb + 1, 0), m_whole(TopClassWholeDb + 1, 0) {}

void LnClassCounter::add(QStringView levelText)
{
    count(classifyLevelText(levelText));
}

void LnClassCounter::add(QByteArrayView utf8LevelText)
{
    count(classifyLevelText(utf8LevelText));
}

void LnClassCounter::count(const LnClasses& c)
{
    if (c.skipped) {
        ++m_skipped;
        return;
    }
    ++m_tenth[size_t(c.tenthDb)];
    ++m_whole[size_t(c.wholeDb)];
    ++m_classed;
}

LnResult LnClassCounter::finish(LnResolution resolution) const
{
    LnResult r;
    r.resolution = resolution;
    r.counts = resolution == LnResolution::TenthDb ? m_tenth : m_whole;
    r.classedRecords = m_classed;
    r.skippedRecords = m_skipped;
    const int top = topClass(resolution);

    for (int k = 1; k <= top; ++k) {
        if (r.counts[size_t(k)] != 0) {
            r.classMin = k;
            break;
        }
    }
    for (int k = top; k >= 1; --k) {
        if (r.counts[size_t(k)] != 0) {
            r.classMax = k;
            break;
        }
    }
    r.highestCount = *std::max_element(r.counts.begin(), r.counts.end());
    r.yMax = countAxisTop(r.highestCount);

    const double n = double(m_classed);
    if (m_classed > 0) {
        // Lp is the first class whose running sum exceeds N * (99.5 - p) / 100: the level that
        // p % of the records exceed, taken at the middle of the percent step.
        for (int j = 1; j <= 100; ++j) {
            const int p = 100 - j;
            const double target = double(j - 1) * n / 100.0 + n / 200.0;
            std::int64_t sum = 0;
            for (int k = 0; k <= top; ++k) {
                sum += r.counts[size_t(k)];
                if (double(sum) > target) {
                    r.values[size_t(p)] = resolution == LnResolution::TenthDb
                                              ? QString::number(k / 10.0, 'f', 1)
                                              : QString::number(k);
                    break;
                }
            }
        }
    }

    for (int row = 0; row < 10; ++row) {
        QString line = QStringLiteral("L(") + QChar(u'0' + row) + QStringLiteral("0)");
        for (int c = 0; c < 10; ++c)
            line += QChar(9) + r.values[size_t(10 * row + c)];
        r.tableRows << line;
    }
    return r;
}

LnResult ComputeLnStatistics(const RecordListModel& list, LnResolution resolution)
{
    return ComputeLnStatistics(list.measurement(), resolution);
}

LnResult ComputeLnStatistics(const Measurement& measurement, LnResolution resolution)
{
    LnClassCounter counter;
    const int n = measurement.recordCount();
    for (int i = 0; i < n; ++i)
        counter.add(measurement.textBytes(i, 2));
    return counter.finish(resolution);
}

LnResult ComputeLnStatistics(std::span<const QString> levelTexts, LnResolution resolution)
{
    LnClassCounter counter;
    for (const QString& t : levelTexts)
        counter.add(t);
    return counter.finish(resolution);
}

} // namespace slm
