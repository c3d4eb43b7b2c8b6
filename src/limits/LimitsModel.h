#pragma once

#include "measurement/MeterLimits.h"

#include <QDate>
#include <QObject>
#include <memory>

namespace slm
{

// The panel's limits: the configuration text (INI, the station's [limitN] keys), the judge fed
// with the panel's samples, and the day's transitions. Windows subscribe to its signals.
class LimitsModel : public QObject
{
    Q_OBJECT
public:
    explicit LimitsModel(QObject* parent = nullptr);
    ~LimitsModel() override;

    // Takes a new configuration; on a fault keeps the one in force and says why (section and key).
    bool setConfiguration(const QString& text, QString& error);
    const QString& configuration() const { return m_text; }
    // The limits in force, each for the panel's one meter, and the [events] rule when set.
    const QList<LimitConfig>& limits() const { return m_configs; }
    const std::optional<EventSettings>& events() const { return m_events; }
    // Judged at the sample's own interval.
    void addSample(const Sample& sample);

    // The judges of the limits in force, in the order of their sections.
    const std::vector<LimitMonitor>& monitors() const { return m_limits->monitors(); }
    const QList<LimitTransition>& todaysTransitions() const { return m_today; }
    bool anyAlarm() const { return !m_alarmNames.isEmpty(); }
    // The names of the limits in alarm, comma-separated; empty when none is.
    const QString& alarmNames() const { return m_alarmNames; }

signals:
    void configurationChanged();
    void figuresChanged();
    void transitionAdded(const slm::LimitTransition& transition);
    void alarmChanged(bool alarm, const QString& names);

private:
    void setIntervalSeconds(double seconds);
    void rebuild();
    void updateAlarm();

    QString m_text;
    QList<LimitConfig> m_configs;
    std::optional<EventSettings> m_events;
    double m_interval = 1;
    std::unique_ptr<MeterLimits> m_limits;
    QList<LimitTransition> m_today;
    QDate m_day;
    QString m_alarmNames;
};

} // namespace slm
