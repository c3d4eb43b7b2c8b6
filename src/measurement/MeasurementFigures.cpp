#include "measurement/MeasurementFigures.h"

#include "measurement/Measurement.h"
#include "measurement/RecordListModel.h"

#include <cmath>
#include <span>

namespace slm
{

namespace
{

// An interval above 0, or nothing.
std::optional<double> positive(std::optional<double> v)
{
    return v && std::isfinite(*v) && *v > 0 ? v : std::nullopt;
}

} // namespace

LevelFigures figuresOfList(const RecordListModel& list, std::optional<double> interval,
                           LnResolution resolution)
{
    return figuresOf(list.measurement(), interval, resolution);
}

LevelFigures figuresOf(const Measurement& measurement, std::optional<double> interval,
                       LnResolution resolution)
{
    interval = positive(interval);
    LevelFigureCounter counter;
    StepCounter steps;
    const std::span<const RecordSample> samples = measurement.samples();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const RecordSample& s = samples[i];
        if (!counter.add(s))
            counter.add(measurement.textBytes(int(i), 2));
        if (!interval)
            steps.add(s.hasTime() ? std::optional<std::int64_t>(s.time) : std::nullopt);
    }
    return counter.finish(interval ? interval : steps.mostCommonStep(), resolution);
}

} // namespace slm
