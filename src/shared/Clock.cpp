#include "shared/Clock.h"

namespace slm
{

double Clock::secondsSinceMidnight() const
{
    const QTime t = now().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}

} // namespace slm
