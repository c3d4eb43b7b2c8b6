#pragma once

#include "measurement/LevelFigures.h"
#include "measurement/Sample.h"

#include <QDateTime>
#include <cstdint>
#include <optional>

namespace slm::station
{

// The figures of one minute (or of the configured period) of one meter: the measurement layer's
// figures over that period's records, exactly as the report program computes them from the
// meter's record file, and what the frames said besides.
struct MinuteFigures {
    QDateTime start; // the period's first second
    int periodSeconds = 60;
    LevelFigures figures;
    Sample last;                 // the settings and the interval in force at its last sample
    std::int64_t belowRange = 0; // samples the meter flagged below its range
    std::int64_t overRange = 0;  // and over it
    double levelSeconds = 0;     // the time the levels stand for (each level times its interval)
    // The first period after a start or the last before a stop: not the whole period was watched.
    bool partial = false;
    // Record texts that the percentile classes hold only as placeholders: the class of texts
    // below the range and the top class of overloads.
    bool belowRangeClassed = false;
    bool topClassed = false;

    // Coverage in %: the share of the period the levels stand for.
    double coverage() const { return periodSeconds > 0 ? levelSeconds * 100.0 / periodSeconds : 0; }
    // Lp in dB, nothing when no record was classed or when Lp falls in a placeholder class.
    std::optional<double> percentile(int p) const;
};

// Collects a meter's samples by period of the UTC clock; a sample of a later period closes the
// one before and hands its figures out. Each sample counts as the record its file holds.
class MinuteCollector
{
public:
    explicit MinuteCollector(int periodSeconds);
    std::optional<MinuteFigures> add(const Sample& sample);
    // The period under way, closed early (the stop); nothing when it holds no sample.
    std::optional<MinuteFigures> finish();

private:
    MinuteFigures close();

    int m_period;
    qint64 m_periodStart = -1;
    bool m_firstPeriod = true;
    LevelFigureCounter m_counter;
    MinuteFigures m_current;
};

} // namespace slm::station
