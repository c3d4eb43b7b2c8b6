#pragma once

namespace slm
{

// Values a graph reads in place, for traces too long to copy into the graph's own points.
// Point i stands at X = firstX + i * step, as the graph is told when it is handed the values.
class SeriesValues
{
public:
    virtual ~SeriesValues() = default;
    virtual int size() const = 0;
    virtual double at(int index) const = 0;
};

} // namespace slm
