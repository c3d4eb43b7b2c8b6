#include "recording/RunningFigures.h"

#include "meter/Sampling.h"
#include "shared/TextHelpers.h"

#include <cmath>

namespace slm
{

namespace
{
// As the boards show it: one decimal.
double shownFigure(std::optional<double> value)
{
    return value ? std::round(*value * 10) / 10 : 0.0;
}
} // namespace

RunningFigures::RunningFigures(Sampling& sampling, QObject* parent) : QObject(parent), m_sampling(sampling)
{
    connect(&sampling, &Sampling::ticked, this, &RunningFigures::takeReading);
    connect(&sampling, &Sampling::sampleTaken, this, &RunningFigures::takeSample);
}

void RunningFigures::takeReading(const Sample& reading)
{
    if (!m_ticked) {
        // The boards change with the running values (a sample, a clearing); the first tick
        // shows what they hold so far.
        m_ticked = true;
        emit levelsChanged(leqText(), selText());
    }
    if (reading.level() > m_maxLevel) {
        m_maxLevel = reading.level();
        m_maxTime = formatDateTime(reading.time);
        emit maxChanged(sampleLevelText(reading), m_maxTime);
    }
}

void RunningFigures::takeSample(const Sample& sample)
{
    // The sample as listed (a paused one left out) and the time it stands for.
    m_running.add(LevelText{sample.kind(), sample.level(), sample.tenths}, m_sampling.interval());
    levelsUpdated();
}

void RunningFigures::levelsUpdated()
{
    m_leq = shownFigure(m_running.leq());
    m_sel = shownFigure(m_running.sel());
    emit levelsChanged(leqText(), selText());
}

void RunningFigures::clear()
{
    m_maxLevel = 0;
    m_running.clear();
    levelsUpdated();
}

} // namespace slm
