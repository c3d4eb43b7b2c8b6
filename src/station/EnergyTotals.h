#pragma once

#include "measurement/LevelFigures.h"

#include <QByteArray>
#include <QString>

namespace slm::station
{

// Sound energy for storage that cannot average decibels: per minute the exposure of its levels,
// (20 uPa)^2 x 10^(L/10) x interval summed, in Pa^2 s, and running totals of exposure and
// measured time. 10 lg(rate(exposure) / rate(measured) / (20 uPa)^2) is then the Leq over any
// window, replays and gaps included.
struct MinuteEnergy {
    double exposurePa2s = 0;
    double measuredSeconds = 0;
};
MinuteEnergy minuteEnergy(const LevelFigures& figures, double intervalSeconds);

// The totals of one meter, kept in a small file across restarts. Each addition rewrites the file
// whole through a temporary one, so a crash leaves the old totals or the new, never half.
class EnergyTotals
{
public:
    explicit EnergyTotals(QString path) : m_path(std::move(path)) {}

    // Reads the file; no file is zero totals. False, with `error`, when it cannot be read.
    bool load(QString& error);
    bool add(const MinuteEnergy& minute, QString& error);

    double exposurePa2s() const { return m_exposure; }
    double measuredSeconds() const { return m_measured; }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    double m_exposure = 0;
    double m_measured = 0;
};

// The minute's JSON with "energy_pa2s", "exposure_pa2s_total" and "measured_s_total" added.
QByteArray withEnergy(const QByteArray& minuteJson, const MinuteEnergy& minute, const EnergyTotals& totals);

} // namespace slm::station
