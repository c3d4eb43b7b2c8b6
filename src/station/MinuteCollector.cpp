#include "station/MinuteCollector.h"

#include <QTimeZone>

namespace slm::station
{

namespace
{
constexpr double BelowRangeClass = 25.0; // where the Ln classes put texts with a "-"
constexpr double TopClass = 145.0;       // where they put overloads and levels from 145 dB
} // namespace

std::optional<double> MinuteFigures::percentile(int p) const
{
    bool ok = false;
    const double value = figures.percentile(p).toDouble(&ok);
    if (!ok || (belowRangeClassed && value == BelowRangeClass) || (topClassed && value == TopClass))
        return std::nullopt;
    return value;
}

MinuteCollector::MinuteCollector(int periodSeconds) : m_period(periodSeconds) {}

std::optional<MinuteFigures> MinuteCollector::add(const Sample& sample)
{
    const qint64 secs = sample.time.toSecsSinceEpoch();
    const qint64 start = secs - (((secs % m_period) + m_period) % m_period);
    std::optional<MinuteFigures> done;
    if (m_periodStart >= 0 && start != m_periodStart)
        done = close();
    if (m_periodStart != start) {
        m_periodStart = start;
        m_current = MinuteFigures();
        m_current.start = QDateTime::fromSecsSinceEpoch(start, QTimeZone::utc());
        m_current.periodSeconds = m_period;
    }
    const QString text = sampleLevelText(sample);
    m_counter.add(text);
    const LevelText level = readLevelText(text);
    if (level.kind == LevelTextKind::Level)
        m_current.levelSeconds += sample.interval;
    m_current.belowRangeClassed = m_current.belowRangeClassed || level.kind == LevelTextKind::BelowRange;
    m_current.topClassed = m_current.topClassed || level.kind == LevelTextKind::Over ||
                           (level.kind == LevelTextKind::Level && level.value >= TopClass);
    m_current.belowRange += sample.belowRange ? 1 : 0;
    m_current.overRange += sample.overRange ? 1 : 0;
    m_current.last = sample;
    return done;
}

std::optional<MinuteFigures> MinuteCollector::finish()
{
    if (m_periodStart < 0)
        return std::nullopt;
    MinuteFigures minute = close();
    minute.partial = true;
    m_periodStart = -1;
    return minute;
}

MinuteFigures MinuteCollector::close()
{
    MinuteFigures minute = m_current;
    minute.figures = m_counter.finish(double(minute.last.interval));
    minute.partial = m_firstPeriod;
    m_firstPeriod = false;
    m_counter = LevelFigureCounter();
    return minute;
}

} // namespace slm::station
