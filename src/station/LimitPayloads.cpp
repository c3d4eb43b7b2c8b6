#include "station/LimitPayloads.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace slm::station
{

namespace
{

QJsonValue rounded(std::optional<double> value, double step)
{
    if (!value || !std::isfinite(*value))
        return QJsonValue(QJsonValue::Null);
    const double r = std::round(*value / step) * step;
    return std::round(r * 100) / 100; // no binary tail on the printed number
}

QJsonValue text(const QString& s)
{
    return s.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s);
}

} // namespace

QString isoUtcOfClock(std::int64_t civil)
{
    return localDateTimeOf(civil).toUTC().toString(Qt::ISODate);
}

QByteArray alertPayload(const LimitTransition& t)
{
    QJsonObject json{{QStringLiteral("limit"), t.limit},
                     {QStringLiteral("state"), limitStateText(t.state)},
                     {QStringLiteral("figure"), rounded(t.figure, 0.1)},
                     {QStringLiteral("threshold"), rounded(t.threshold, 0.1)},
                     {QStringLiteral("previous"), limitStateText(t.previous)},
                     {QStringLiteral("time"), isoUtcOfClock(t.time)},
                     {QStringLiteral("since"), isoUtcOfClock(t.since)},
                     {QStringLiteral("window_s"), t.windowSeconds},
                     {QStringLiteral("reason"), text(t.reason)}};
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

QByteArray alertStatePayload(const LimitMonitor& monitor)
{
    const LimitConfig& c = monitor.config();
    QJsonObject json{
        {QStringLiteral("limit"), c.name},
        {QStringLiteral("state"), limitStateText(monitor.state())},
        {QStringLiteral("figure"), rounded(monitor.figure(), 0.1)},
        // Clear from the start, before anything was judged: no time to name.
        {QStringLiteral("since"), monitor.state() == LimitState::Clear && monitor.stateSince() == 0
                                      ? QJsonValue(QJsonValue::Null)
                                      : QJsonValue(isoUtcOfClock(monitor.stateSince()))},
        {QStringLiteral("level"), rounded(c.level, 0.1)},
        {QStringLiteral("warning"), rounded(c.warning, 0.1)},
        {QStringLiteral("figure_kind"), limitFigureText(c.figure)},
        {QStringLiteral("window_s"), monitor.windowSeconds()}};
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

QString alertStateTopic(const QString& limit)
{
    return QStringLiteral("alert/") + limit;
}

QByteArray eventPayload(EventPhase phase, const NoiseEvent& e, double dt)
{
    const bool ended = phase == EventPhase::End;
    const QString end =
        localDateTimeOf(e.last).addMSecs(qint64(std::llround(dt * 1000))).toUTC().toString(Qt::ISODate);
    QJsonObject json{
        {QStringLiteral("phase"), ended ? QStringLiteral("end") : QStringLiteral("start")},
        {QStringLiteral("number"), e.number},
        {QStringLiteral("start"), isoUtcOfClock(e.start)},
        {QStringLiteral("end"), ended ? QJsonValue(end) : QJsonValue()},
        {QStringLiteral("duration_s"), rounded(e.durationSeconds, 0.01)},
        {QStringLiteral("max_time"), e.maxTime ? QJsonValue(isoUtcOfClock(*e.maxTime)) : QJsonValue()},
        {QStringLiteral("lmax"), rounded(e.lmax, 0.01)},
        {QStringLiteral("leq"), rounded(e.leq, 0.01)},
        {QStringLiteral("sel"), rounded(e.sel, 0.01)},
        {QStringLiteral("over_range"), e.overRange}};
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

QList<std::pair<QByteArray, QByteArray>> limitDiscovery(const StationConfig& config, const MeterConfig& meter,
                                                        const QList<LimitConfig>& limits)
{
    const QString base = meterTopicBase(config, meter);
    const QString id = config.id + u'_' + meter.name;
    // The same device as the meter's level sensors, so Home Assistant shows them together.
    const QJsonObject device{{QStringLiteral("identifiers"), QJsonArray{QStringLiteral("slm_") + id}},
                             {QStringLiteral("name"), QStringLiteral("%1 %2").arg(config.id, meter.name)},
                             {QStringLiteral("model"), QStringLiteral("sound level meter")}};
    QList<std::pair<QByteArray, QByteArray>> out;
    for (const LimitConfig& l : limits) {
        if (!l.appliesTo(meter.name))
            continue;
        const QString key = QStringLiteral("slm_%1_limit_%2").arg(id, l.name);
        QJsonObject common{
            {QStringLiteral("state_topic"), base + u'/' + alertStateTopic(l.name)},
            {QStringLiteral("availability_topic"), base + QStringLiteral("/state")},
            {QStringLiteral("availability_template"), QStringLiteral("{{ value_json.state }}")},
            {QStringLiteral("device"), device}};
        QJsonObject problem = common;
        problem.insert(QStringLiteral("name"), QStringLiteral("Limit %1").arg(l.name));
        problem.insert(QStringLiteral("unique_id"), key);
        problem.insert(QStringLiteral("device_class"), QStringLiteral("problem"));
        problem.insert(QStringLiteral("value_template"),
                       QStringLiteral("{{ 'ON' if value_json.state == 'alarm' else 'OFF' }}"));
        out.append({QStringLiteral("homeassistant/binary_sensor/%1/config").arg(key).toUtf8(),
                    QJsonDocument(problem).toJson(QJsonDocument::Compact)});
        if (l.figure == LimitFigure::Level)
            continue; // the level has its sensor already
        QJsonObject figure = common;
        figure.insert(QStringLiteral("name"), QStringLiteral("%1 %2 s").arg(l.name).arg(l.windowSeconds));
        figure.insert(QStringLiteral("unique_id"), key + QStringLiteral("_figure"));
        figure.insert(QStringLiteral("value_template"), QStringLiteral("{{ value_json.figure }}"));
        figure.insert(QStringLiteral("device_class"), QStringLiteral("sound_pressure"));
        figure.insert(QStringLiteral("unit_of_measurement"), QStringLiteral("dB"));
        figure.insert(QStringLiteral("state_class"), QStringLiteral("measurement"));
        out.append({QStringLiteral("homeassistant/sensor/%1_figure/config").arg(key).toUtf8(),
                    QJsonDocument(figure).toJson(QJsonDocument::Compact)});
    }
    return out;
}

} // namespace slm::station
