#include "measurement/MeterLimits.h"

#include <algorithm>

namespace slm
{

MeterLimits::MeterLimits(const QString& meter, const QList<LimitConfig>& limits,
                         std::optional<EventSettings> events, double intervalSeconds, QObject* parent)
    : QObject(parent), m_meter(meter), m_interval(intervalSeconds)
{
    for (const LimitConfig& l : limits)
        if (l.appliesTo(meter))
            m_monitors.emplace_back(l, intervalSeconds);
    if (events)
        m_events = std::make_unique<EventDetector>(*events, intervalSeconds);
}

MeterLimits::~MeterLimits() = default;

void MeterLimits::addSample(const Sample& sample)
{
    addRecord(recordSampleOf(sample));
}

void MeterLimits::addRecord(const RecordSample& record)
{
    for (LimitMonitor& m : m_monitors)
        for (const LimitTransition& t : m.add(record))
            emit transition(t);
    if (!m_events)
        return;
    const EventDetector::Step step = m_events->add(record);
    if (step.ended)
        emit eventEnded(*step.ended);
    if (step.started)
        emit eventStarted(*step.started);
}

void MeterLimits::finish()
{
    if (m_events)
        if (const std::optional<NoiseEvent> e = m_events->finish())
            emit eventEnded(*e);
}

bool MeterLimits::anyAlarm() const
{
    return std::any_of(m_monitors.begin(), m_monitors.end(),
                       [](const LimitMonitor& m) { return m.state() == LimitState::Alarm; });
}

} // namespace slm
