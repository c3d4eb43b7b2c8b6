#include "measurement/LevelFigures.h"

#include "measurement/Measurement.h"
#include "shared/LevelNumber.h"
#include "shared/TextHelpers.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace slm
{

namespace
{

// Energies of the one-decimal levels 0.0 .. 200.0 dB, worked out once: a list of 348000 records
// would otherwise spend most of its time in pow().
constexpr int TableTenths = 2000;
const std::array<double, TableTenths + 1>& energyTable()
{
    static const std::array<double, TableTenths + 1> table = [] {
        std::array<double, TableTenths + 1> t{};
        for (int i = 0; i <= TableTenths; ++i)
            t[size_t(i)] = std::pow(10.0, i / 100.0);
        return t;
    }();
    return table;
}

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

// Read in place, as UTF-16 or as UTF-8 bytes: the marks in one scan, then the leading number by
// its digits. Long digit runs or an exponent go to the general reader through `asText`.
template <class Ch, class AsText> LevelText readChars(const Ch* p, qsizetype n, AsText asText)
{
    LevelText t;
    bool dash = false;
    bool over = false;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '*') {
            t.kind = LevelTextKind::Paused;
            return t;
        }
        dash = dash || p[i] == '-';
        over = over || p[i] == 'L';
    }
    if (dash) {
        t.kind = LevelTextKind::BelowRange;
        return t;
    }
    if (over) {
        t.kind = LevelTextKind::Over;
        return t;
    }
    const qsizetype i = skipLevelBlanks(p, n);
    const bool startsWithNumber = i < n && (isDigit(p[i]) || (p[i] == '.' && i + 1 < n && isDigit(p[i + 1])));
    if (!startsWithNumber)
        return t;
    const PlainLevelNumber number = readPlainLevelNumber(p, n, i);
    t.kind = LevelTextKind::Level;
    if (!number.plain) {
        t.value = numericValue(asText());
    } else {
        t.value = number.value();
        if (number.decimals <= 1 && number.mantissa <= TableTenths)
            t.tenths = int(number.decimals == 1 ? number.mantissa : number.mantissa * 10);
    }
    return t;
}

// Neumaier's compensated sum: the low digits that `sum` cannot hold gather in `carry`.
void addCompensated(double& sum, double& carry, double x)
{
    const double t = sum + x;
    if (std::abs(sum) >= std::abs(x))
        carry += (sum - t) + x;
    else
        carry += (x - t) + sum;
    sum = t;
}

std::optional<double> finite(double v)
{
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::optional<double> positive(std::optional<double> v)
{
    return v && *v > 0 && std::isfinite(*v) ? v : std::nullopt;
}

// Days from 1970-01-01 of a calendar date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace

LevelText readLevelText(QByteArrayView utf8)
{
    return readChars(utf8.data(), utf8.size(), [utf8] { return QString::fromUtf8(utf8); });
}

LevelText readLevelText(QStringView text)
{
    return readChars(text.utf16(), text.size(), [text] { return text.toString(); });
}

double levelEnergy(const LevelText& level)
{
    if (level.tenths >= 0)
        return energyTable()[size_t(level.tenths)];
    return std::pow(10.0, level.value / 10.0);
}

namespace
{

// The Ln classes of a text from what readLevelText found, without reading it again: the marks and a
// one-decimal level decide them as classifyLevelText would. Anything else is left to it.
std::optional<LnClasses> lnClassesOf(const LevelText& t)
{
    LnClasses c;
    switch (t.kind) {
    case LevelTextKind::Paused:
        c.skipped = true;
        return c;
    case LevelTextKind::BelowRange:
        c.tenthDb = 250;
        c.wholeDb = 25;
        return c;
    case LevelTextKind::Over:
        c.tenthDb = TopClassTenthDb;
        c.wholeDb = TopClassWholeDb;
        return c;
    case LevelTextKind::Level:
        if (t.tenths < 0)
            break;
        c.tenthDb = std::min(t.tenths, TopClassTenthDb);
        c.wholeDb = std::min(t.tenths / 10, TopClassWholeDb);
        return c;
    case LevelTextKind::NotLevel:
        break;
    }
    return std::nullopt;
}

} // namespace

void LevelFigureCounter::add(QByteArrayView utf8LevelText)
{
    const LevelText level = readLevelText(utf8LevelText);
    if (const std::optional<LnClasses> classes = lnClassesOf(level))
        m_ln.add(*classes);
    else
        m_ln.add(utf8LevelText);
    count(level);
}

void LevelFigureCounter::add(QStringView levelText)
{
    const LevelText level = readLevelText(levelText);
    if (const std::optional<LnClasses> classes = lnClassesOf(level))
        m_ln.add(*classes);
    else
        m_ln.add(levelText);
    count(level);
}

bool LevelFigureCounter::add(const RecordSample& sample)
{
    // A sample keeps the tenths of a one-decimal level exactly, and the marks; its float value
    // does not stand for a level of more decimals, which is read again from its text.
    const bool settled = sample.tenths >= 0 || sample.kind == LevelTextKind::Paused ||
                         sample.kind == LevelTextKind::BelowRange || sample.kind == LevelTextKind::Over;
    if (!settled)
        return false;
    LevelText level;
    level.kind = sample.kind;
    if (sample.kind == LevelTextKind::Level) {
        level.tenths = sample.tenths;
        level.value = sample.tenths / 10.0;
    }
    m_ln.add(*lnClassesOf(level));
    count(level);
    return true;
}

void LevelFigureCounter::count(const LevelText& level)
{
    ++m_records;
    switch (level.kind) {
    case LevelTextKind::Level:
        break;
    case LevelTextKind::Paused:
        ++m_paused;
        return;
    default:
        ++m_other;
        return;
    }
    if (m_levels == 0) {
        m_max = m_min = level.value;
    } else {
        m_max = std::max(m_max, level.value);
        m_min = std::min(m_min, level.value);
    }
    ++m_levels;
    addCompensated(m_energy, m_carry, levelEnergy(level));
}

LevelFigures LevelFigureCounter::finish(std::optional<double> interval, LnResolution resolution) const
{
    LevelFigures f;
    f.records = m_records;
    f.levels = m_levels;
    f.paused = m_paused;
    f.other = m_other;
    f.interval = positive(interval);
    f.ln = m_ln.finish(resolution);
    if (m_levels == 0)
        return f;
    const double n = double(m_levels);
    const double energy = m_energy + m_carry;
    f.leq = finite(10.0 * std::log10(energy / n));
    f.lmax = m_max;
    f.lmin = m_min;
    if (f.interval) {
        f.duration = n * *f.interval;
        // SEL = Leq + 10 lg(n dt / 1 s), worked from the sum itself so no rounding of the Leq enters.
        f.sel = finite(10.0 * std::log10(energy * *f.interval));
    }
    if (!f.leq)
        f.sel.reset();
    return f;
}

std::optional<std::int64_t> civilSeconds(QByteArrayView t)
{
    // yyyy/mm/dd hh:nn:ss
    if (t.size() != 19 || t[4] != '/' || t[7] != '/' || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return std::nullopt;
    auto number = [&t](int from, int count, int& out) {
        out = 0;
        for (int i = from; i < from + count; ++i) {
            if (!isDigit(t[i]))
                return false;
            out = out * 10 + (t[i] - '0');
        }
        return true;
    };
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!number(0, 4, y) || !number(5, 2, mo) || !number(8, 2, d) || !number(11, 2, h) ||
        !number(14, 2, mi) || !number(17, 2, s))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

void StepCounter::add(QByteArrayView dateTime)
{
    add(civilSeconds(dateTime));
}

void StepCounter::add(std::optional<std::int64_t> now)
{
    if (now && m_previous && *now > *m_previous)
        ++m_steps[*now - *m_previous];
    // A time that cannot be read breaks the chain: no step is taken across it.
    m_previous = now;
}

std::optional<double> StepCounter::mostCommonStep() const
{
    std::optional<double> best;
    std::int64_t bestCount = 0;
    // In ascending order, so a tie keeps the smaller step.
    for (const auto& [step, count] : m_steps) {
        if (count > bestCount) {
            best = double(step);
            bestCount = count;
        }
    }
    return best;
}

std::optional<double> headerInterval(const QString& line)
{
    return positive(numericValue(line));
}

void RunningLevels::add(QStringView levelText, double seconds)
{
    add(readLevelText(levelText), seconds);
}

void RunningLevels::add(const LevelText& level, double seconds)
{
    if (level.kind != LevelTextKind::Level || !(seconds > 0))
        return;
    addCompensated(m_energySeconds, m_carry, levelEnergy(level) * seconds);
    m_seconds += seconds;
}

std::optional<double> RunningLevels::leq() const
{
    if (!hasLevel())
        return std::nullopt;
    return finite(10.0 * std::log10((m_energySeconds + m_carry) / m_seconds));
}

std::optional<double> RunningLevels::sel() const
{
    if (!hasLevel())
        return std::nullopt;
    return finite(10.0 * std::log10(m_energySeconds + m_carry));
}

QString RunningLevels::leqText() const
{
    return hasLevel() ? figureText(leq()) : QStringLiteral("XXX");
}

QString RunningLevels::selText() const
{
    return hasLevel() ? figureText(sel()) : QStringLiteral("XXX");
}

QString figureText(std::optional<double> value)
{
    return value ? QString::number(*value, 'f', 1) : QStringLiteral("unknown");
}

QString durationText(std::optional<double> seconds)
{
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0)
        return QStringLiteral("unknown");
    const auto total = std::int64_t(std::llround(*seconds));
    const std::int64_t days = total / 86400;
    const int rest = int(total % 86400);
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(rest / 3600, 2, 10, QChar(u'0'))
                              .arg(rest / 60 % 60, 2, 10, QChar(u'0'))
                              .arg(rest % 60, 2, 10, QChar(u'0'));
    return days > 0 ? QStringLiteral("%1 d %2").arg(days).arg(clock) : clock;
}

QString figuresBasisText(const LevelFigures& f)
{
    QString text = QStringLiteral("from %1 %2").arg(f.levels).arg(f.levels == 1 ? "reading" : "readings");
    text += f.interval ? QStringLiteral(" every %1 s").arg(QString::number(*f.interval, 'g', 10))
                       : QStringLiteral(", interval unknown");
    QStringList left;
    if (f.paused > 0)
        left << QStringLiteral("%1 paused").arg(f.paused);
    if (f.other > 0)
        left << QStringLiteral("%1 other").arg(f.other);
    if (left.isEmpty())
        return text + QStringLiteral("; none left out");
    const bool one = f.paused + f.other == 1;
    return text + QStringLiteral("; ") + left.join(QStringLiteral(" and ")) +
           (one ? QStringLiteral(" text left out") : QStringLiteral(" texts left out"));
}

} // namespace slm
