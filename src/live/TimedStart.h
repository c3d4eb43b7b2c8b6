#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace slm
{

struct Services;

// The timed-start period typed as "hh:nn:ss". Each field keeps its last two digits and then
// wraps (hours mod 24, minutes and seconds mod 60). Only a text without any ":" is refused.
struct TimedStartPeriod {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    double totalSeconds() const { return hours * 3600.0 + minutes * 60.0 + seconds; }
};
std::optional<TimedStartPeriod> parseTimedStart(const QString& text);

// The texts of the CmdL dialog.
QString timedStartPrompt();
QString timedStartTitle();
QString timedStartDefault();
QString timedStartInvalidText();

// What CmdL stores. Nothing acts on it yet: the meter's own timed start runs on the meter.
struct TimedStartState {
    double periodSeconds = 0.0;
    float beginSecond = 0.0f; // whole seconds since midnight when it was armed
    int elapsed1 = 0;
    int elapsed2 = 0;
    bool armed = false;
};

// CmdL: asks until the answer is empty or has a ":", then stores the period, zeroes the elapsed
// counters, stamps the start (whole seconds since midnight) and flips armed.
// Returns whether a period was stored.
bool askTimedStart(Services& services, TimedStartState& state, QWidget* parent);

} // namespace slm
