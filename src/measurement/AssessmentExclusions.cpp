#include "measurement/AssessmentExclusions.h"

#include "measurement/AssessmentArithmetic.h"

#include <QTimeZone>
#include <algorithm>

namespace slm
{

namespace
{

std::int64_t clockSecondsOfUtc(std::int64_t utcSeconds, int offset)
{
    return utcSeconds + offset;
}

// Whole seconds since the epoch, a fraction rounded up: a whole-second time t lies in [a, b)
// exactly when it lies in [ceil a, ceil b).
std::int64_t ceilSeconds(const QDateTime& t)
{
    const std::int64_t ms = t.toMSecsSinceEpoch();
    return ms >= 0 ? (ms + 999) / 1000 : -((-ms) / 1000);
}

} // namespace

std::vector<ClockSpan> exclusionClockSpans(std::span<const Exclusion> exclusions)
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    std::vector<ClockSpan> spans;
    spans.reserve(exclusions.size());
    for (const Exclusion& e : exclusions) {
        if (!e.start.isValid() || !e.end.isValid() || !(e.start < e.end))
            continue;
        // The span is cut where the clock changes; each piece lies on the clock with the offset in
        // force over it. A piece after the clock is set back covers clock times the piece before
        // it showed too; a change forward leaves the skipped clock times, which no record has.
        std::vector<QDateTime> cuts{e.start};
        if (zone.isValid() && zone.hasTransitions()) {
            for (const QTimeZone::OffsetData& t : zone.transitions(e.start, e.end)) {
                if (e.start < t.atUtc && t.atUtc < e.end)
                    cuts.push_back(t.atUtc);
            }
        }
        cuts.push_back(e.end);
        for (size_t i = 0; i + 1 < cuts.size(); ++i) {
            const int offset = cuts[i].toLocalTime().offsetFromUtc();
            const ClockSpan s{clockSecondsOfUtc(ceilSeconds(cuts[i]), offset),
                              clockSecondsOfUtc(ceilSeconds(cuts[i + 1]), offset)};
            if (s.start < s.end)
                spans.push_back(s);
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const ClockSpan& a, const ClockSpan& b) { return a.start < b.start; });
    std::vector<ClockSpan> merged;
    for (const ClockSpan& s : spans) {
        if (!merged.empty() && s.start <= merged.back().end)
            merged.back().end = std::max(merged.back().end, s.end);
        else
            merged.push_back(s);
    }
    return merged;
}

void ExclusionCursor::seek(std::int64_t time)
{
    m_cursor = size_t(std::upper_bound(m_spans.begin(), m_spans.end(), time,
                                       [](std::int64_t v, const ClockSpan& s) { return v < s.end; }) -
                      m_spans.begin());
}

ExclusionMask::ExclusionMask(std::span<const RecordSample> samples, std::span<const ClockSpan> spans)
{
    if (spans.empty())
        return;
    m_flags.assign(samples.size(), 0);
    ExclusionCursor cursor(spans);
    for (size_t i = 0; i < samples.size(); ++i) {
        if (cursor.excluded(samples[i].time)) {
            m_flags[i] = 1;
            ++m_count;
        }
    }
}

// The one rule for a record, inlined into both adds: a loop over millions of records keeps its
// sums in registers.
Q_ALWAYS_INLINE void AssessedFigureCounter::count(const RecordSample& s, bool excluded)
{
    using namespace assessment;
    ++m_records;
    if (excluded)
        return;
    // The classes go through the shared counter so the Ln table is the one every list shows.
    const int tenth = tenthClassOf(s);
    LnClasses classes;
    classes.skipped = tenth < 0;
    if (tenth >= 0) {
        classes.tenthDb = tenth;
        classes.wholeDb = s.kind == LevelTextKind::Level
                              ? int(std::clamp<double>(std::floor(s.level()), 0, TopClassWholeDb))
                              : tenth / 10;
    }
    m_ln.add(classes);
    if (s.kind == LevelTextKind::Paused) {
        ++m_paused;
        return;
    }
    if (!s.isLevel()) {
        ++m_other;
        return;
    }
    const double level = s.level();
    m_max = m_energy.count == 0 ? level : std::max(m_max, level);
    m_min = m_energy.count == 0 ? level : std::min(m_min, level);
    m_energy.add(energyOf(s));
}

void AssessedFigureCounter::add(const RecordSample& sample, bool excluded)
{
    count(sample, excluded);
}

void AssessedFigureCounter::add(std::span<const RecordSample> samples, const ExclusionMask& mask)
{
    for (size_t i = 0; i < samples.size(); ++i)
        count(samples[i], mask.excluded(i));
}

LevelFigures AssessedFigureCounter::finish(std::optional<double> interval, LnResolution resolution) const
{
    LevelFigures f;
    f.records = m_records;
    f.paused = m_paused;
    f.other = m_other;
    f.levels = m_energy.count;
    f.interval = interval && *interval > 0 && std::isfinite(*interval) ? interval : std::nullopt;
    f.ln = m_ln.finish(resolution);
    if (f.levels == 0)
        return f;
    f.leq = m_energy.leq();
    f.lmax = m_max;
    f.lmin = m_min;
    if (f.interval) {
        f.duration = double(f.levels) * *f.interval;
        const double sel = 10.0 * std::log10(m_energy.total() * *f.interval);
        if (f.leq && std::isfinite(sel))
            f.sel = sel;
    }
    return f;
}

LevelFigures figuresOfSamples(std::span<const RecordSample> samples, std::optional<double> interval,
                              const ExclusionMask& mask, LnResolution resolution)
{
    AssessedFigureCounter counter;
    counter.add(samples, mask);
    return counter.finish(interval, resolution);
}

QString assessedBasisText(const LevelFigures& f, std::int64_t excluded)
{
    if (excluded <= 0)
        return figuresBasisText(f);
    QString text = figuresBasisText(f);
    text.truncate(text.indexOf(u';'));
    QStringList left;
    if (f.paused > 0)
        left << QStringLiteral("%1 paused").arg(f.paused);
    if (f.other > 0)
        left << QStringLiteral("%1 other").arg(f.other);
    left << QStringLiteral("%1 excluded").arg(excluded);
    const QString last = left.takeLast();
    return text + QStringLiteral("; ") +
           (left.isEmpty() ? last : left.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last) +
           QStringLiteral(" left out");
}

} // namespace slm
