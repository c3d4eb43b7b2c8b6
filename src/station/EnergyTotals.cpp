#include "station/EnergyTotals.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>

namespace slm::station
{

namespace
{

constexpr double ReferencePressureSquared = 20e-6 * 20e-6; // Pa^2

} // namespace

MinuteEnergy minuteEnergy(const LevelFigures& f, double dt)
{
    MinuteEnergy e;
    e.measuredSeconds = double(f.levels) * dt;
    if (f.leq)
        e.exposurePa2s = ReferencePressureSquared * std::pow(10.0, *f.leq / 10.0) * e.measuredSeconds;
    return e;
}

bool EnergyTotals::load(QString& error)
{
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the energy totals %1 cannot be read: %2").arg(m_path, file.errorString());
        return false;
    }
    QJsonParseError parse;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll(), &parse).object();
    const double exposure = json.value(QStringLiteral("exposure_pa2s_total")).toDouble(-1);
    const double measured = json.value(QStringLiteral("measured_s_total")).toDouble(-1);
    if (parse.error != QJsonParseError::NoError || !(exposure >= 0) || !(measured >= 0)) {
        error = QStringLiteral("the energy totals %1 are not readable JSON with exposure_pa2s_total and "
                               "measured_s_total")
                    .arg(m_path);
        return false;
    }
    m_exposure = exposure;
    m_measured = measured;
    return true;
}

bool EnergyTotals::add(const MinuteEnergy& minute, QString& error)
{
    m_exposure += minute.exposurePa2s;
    m_measured += minute.measuredSeconds;
    QSaveFile file(m_path);
    const QJsonObject json{{QStringLiteral("exposure_pa2s_total"), m_exposure},
                           {QStringLiteral("measured_s_total"), m_measured}};
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(json).toJson(QJsonDocument::Compact)) < 0 || !file.commit()) {
        error = QStringLiteral("the energy totals %1 cannot be written: %2").arg(m_path, file.errorString());
        return false;
    }
    return true;
}

QByteArray withEnergy(const QByteArray& minuteJson, const MinuteEnergy& minute, const EnergyTotals& totals)
{
    QJsonObject json = QJsonDocument::fromJson(minuteJson).object();
    json.insert(QStringLiteral("energy_pa2s"), minute.exposurePa2s);
    json.insert(QStringLiteral("exposure_pa2s_total"), totals.exposurePa2s());
    json.insert(QStringLiteral("measured_s_total"), totals.measuredSeconds());
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

} // namespace slm::station
