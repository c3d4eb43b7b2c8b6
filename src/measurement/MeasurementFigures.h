#pragma once

#include "measurement/LevelFigures.h"

#include <optional>

namespace slm
{

class Measurement;
class RecordListModel;

// The figures of a list's records (grid rows 1..n). Without an interval (or one not above 0) the
// interval is taken from the record times.
LevelFigures figuresOfList(const RecordListModel& list, std::optional<double> interval,
                           LnResolution resolution = LnResolution::TenthDb);
// The same of a measurement's records, read from its samples.
LevelFigures figuresOf(const Measurement& measurement, std::optional<double> interval,
                       LnResolution resolution = LnResolution::TenthDb);

} // namespace slm
