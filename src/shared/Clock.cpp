#include "shared/Clock.h"

double Clock::secondsSinceMidnight() const
{
    const QTime t = now().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}
