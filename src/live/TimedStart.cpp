#include "live/TimedStart.h"

#include "shared/Clock.h"
#include "shared/Dialogs.h"
#include "shared/Services.h"
#include "shared/TextHelpers.h"

#include <cmath>

namespace slm
{

namespace
{

// A field's leading number, kept to its last two digits ("5" is 05, "123" is 23). Fractions
// and signs make no sense in a clock field: the whole part counts and a negative value is 0.
int twoDigitField(const QString& field)
{
    const double value = numericValue(field);
    if (!std::isfinite(value) || value < 1.0)
        return 0;
    return static_cast<int>(std::fmod(std::floor(value), 100.0));
}

} // namespace

std::optional<TimedStartPeriod> parseTimedStart(const QString& text)
{
    const qsizetype first = text.indexOf(u':');
    if (first < 0)
        return std::nullopt;
    // With one ":" the minutes are empty and the seconds follow the first colon.
    qsizetype second = text.indexOf(u':', first + 1);
    if (second < 0)
        second = first;
    TimedStartPeriod p;
    p.hours = twoDigitField(text.left(first)) % 24;
    // The minutes field runs up to and including the second ":", which the numeric value ignores.
    p.minutes = twoDigitField(text.mid(first + 1, second - first)) % 60;
    p.seconds = twoDigitField(text.mid(second + 1, 2)) % 60;
    return p;
}

QString timedStartPrompt()
{
    return QStringLiteral("Set up the willing time period to launch. \r\n (hh:nn:ss) ");
}

QString timedStartTitle()
{
    return QStringLiteral("Set up the willing time period");
}

QString timedStartDefault()
{
    return QStringLiteral("00:00:10");
}

QString timedStartInvalidText()
{
    return QStringLiteral("Invalid, comply with the data format properly\r\n");
}

bool askTimedStart(Services& services, TimedStartState& state, QWidget* parent)
{
    while (true) {
        const QString answer =
            services.dialogs.input(parent, timedStartPrompt(), timedStartTitle(), timedStartDefault());
        if (answer.isEmpty())
            return false;
        const std::optional<TimedStartPeriod> period = parseTimedStart(answer);
        if (!period) {
            services.dialogs.message(parent, timedStartInvalidText(), QString(), Dialogs::Icon::Critical);
            continue;
        }
        state.periodSeconds = period->totalSeconds();
        state.elapsed1 = 0;
        state.elapsed2 = 0;
        state.beginSecond = static_cast<float>(std::floor(services.clock.secondsSinceMidnight()));
        state.armed = !state.armed;
        return true;
    }
}

} // namespace slm
