#include "meter/Sampling.h"

#include "measurement/RecordCompletion.h"

namespace slm
{

RealTimeHeader Sampling::realTimeHeader() const
{
    return realTimeHeaderOf(m_reading);
}

Sampling::Sampling(QObject* parent) : QObject(parent)
{
    // As the panel shows it before the meter's first frame.
    m_reading.shown = Sample::Shown::Nothing;
    m_reading.timeWeighting = TimeWeighting::Slow;
    m_reading.range = {80, 140};
}

void Sampling::setReading(const Sample& reading)
{
    m_reading = reading;
    m_reading.interval = m_interval;
}

void Sampling::setInterval(int seconds)
{
    m_interval = seconds;
    m_reading.interval = seconds;
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
