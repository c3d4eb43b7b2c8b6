#pragma once

#include "measurement/AssessmentEvents.h"
#include "measurement/LimitMonitor.h"

#include <QObject>
#include <memory>
#include <vector>

namespace slm
{

// One meter's limits and live events: fed the meter's samples one at a time, it announces every
// change of a limit's state and every event's start and end.
class MeterLimits : public QObject
{
    Q_OBJECT
public:
    // The limits that apply to `meter` among `limits`; events only with `events`.
    MeterLimits(const QString& meter, const QList<LimitConfig>& limits, std::optional<EventSettings> events,
                double intervalSeconds, QObject* parent = nullptr);
    ~MeterLimits() override;

    void addSample(const Sample& sample);
    void addRecord(const RecordSample& record);
    // The meter stopped: an open event ends with the records it has.
    void finish();

    const QString& meter() const { return m_meter; }
    const std::vector<LimitMonitor>& monitors() const { return m_monitors; }
    bool anyAlarm() const;
    double intervalSeconds() const { return m_interval; }

signals:
    void transition(const slm::LimitTransition& transition);
    void eventStarted(const slm::NoiseEvent& event);
    void eventEnded(const slm::NoiseEvent& event);

private:
    QString m_meter;
    double m_interval;
    std::vector<LimitMonitor> m_monitors;
    std::unique_ptr<EventDetector> m_events;
};

} // namespace slm
