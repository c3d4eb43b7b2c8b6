#include "limits/LimitsModel.h"

namespace slm
{

LimitsModel::LimitsModel(QObject* parent) : QObject(parent)
{
    rebuild();
}

LimitsModel::~LimitsModel() = default;

bool LimitsModel::setConfiguration(const QString& text, QString& error)
{
    const QMap<QString, QString> keys = iniKeys(text);
    std::optional<QList<LimitConfig>> limits = readLimits(keys, error);
    if (!limits)
        return false;
    std::optional<EventSettings> events = readLiveEvents(keys, QString(), error);
    if (!events && !error.isEmpty())
        return false;
    // The same text again (the window opened on the file in force): the judges keep their state.
    if (text == m_text)
        return true;
    // The panel shows one meter: every limit applies to it, whatever meters the file names.
    for (LimitConfig& c : *limits)
        c.meters.clear();
    m_text = text;
    m_configs = *limits;
    m_events = events;
    rebuild();
    emit configurationChanged();
    return true;
}

void LimitsModel::setIntervalSeconds(double seconds)
{
    if (seconds > 0 && seconds != m_interval) {
        m_interval = seconds;
        rebuild();
        emit configurationChanged();
    }
}

void LimitsModel::rebuild()
{
    m_limits = std::make_unique<MeterLimits>(QString(), m_configs, std::nullopt, m_interval);
    connect(m_limits.get(), &MeterLimits::transition, this, [this](const LimitTransition& t) {
        m_today.append(t);
        emit transitionAdded(t);
    });
    updateAlarm();
}

void LimitsModel::updateAlarm()
{
    QStringList names;
    for (const LimitMonitor& m : monitors())
        if (m.state() == LimitState::Alarm)
            names << m.config().name;
    const QString now = names.join(QStringLiteral(", "));
    if (now == m_alarmNames)
        return;
    m_alarmNames = now;
    emit alarmChanged(!now.isEmpty(), now);
}

void LimitsModel::addSample(const Sample& sample)
{
    // A new sampling interval starts the figures again: a rolling window does not mix two rates.
    setIntervalSeconds(sample.interval);
    const QDate day = sample.time.date();
    if (day != m_day) {
        m_day = day;
        m_today.clear(); // a new day: the list holds today's changes only
    }
    m_limits->addSample(sample);
    emit figuresChanged();
    updateAlarm();
}

} // namespace slm
