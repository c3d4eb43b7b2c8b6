#include "meter/Sampling.h"

#include "shared/LiveReading.h"

#include <cmath>

namespace slm
{

namespace
{
FrequencyWeighting frequencyWeightingOf(const QString& text)
{
    if (text == u"C")
        return FrequencyWeighting::C;
    if (text == u"Z")
        return FrequencyWeighting::Z;
    if (text == u"AA")
        return FrequencyWeighting::Filter20To200;
    return FrequencyWeighting::A;
}

TimeWeighting timeWeightingOf(const QString& text)
{
    if (text == u"FAST")
        return TimeWeighting::Fast;
    if (text == u"SLOW")
        return TimeWeighting::Slow;
    if (text == u"IMP")
        return TimeWeighting::Impulse;
    return TimeWeighting::None;
}
} // namespace

Sample sampleOfReading(const LiveReading& reading)
{
    Sample s;
    // Before the first frame the reading has no level text: the sample shows nothing.
    s.shown = reading.LevelText.isEmpty() ? Sample::Shown::Nothing : Sample::Shown::Level;
    s.tenths = int(std::lround(reading.Level * 10));
    s.marked = reading.LevelText.endsWith(u'*');
    s.frequencyWeighting = frequencyWeightingOf(reading.FreqWeighting);
    s.timeWeighting = timeWeightingOf(reading.TimeWeighting);
    s.range = {reading.RangeLow, reading.RangeHigh};
    return s;
}

Sampling::Sampling(QObject* parent) : QObject(parent)
{
    // As the panel shows it before the meter's first frame.
    m_reading.shown = Sample::Shown::Nothing;
    m_reading.timeWeighting = TimeWeighting::Slow;
    m_reading.range = {80, 140};
}

void Sampling::setInterval(int seconds)
{
    m_interval = seconds;
    restartCountdown();
}

void Sampling::tick(const QDateTime& now)
{
    Sample sample = m_reading;
    sample.time = now;
    emit ticked(sample);
    if (m_countdown >= m_interval) {
        emit sampleTaken(sample);
        m_countdown = 1;
    } else {
        m_countdown += 1;
    }
}

} // namespace slm
