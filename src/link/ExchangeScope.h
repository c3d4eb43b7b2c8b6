#pragma once

#include "link/LinkLock.h"
#include "shared/TimersPaused.h"

#include <QString>
#include <optional>

namespace slm
{

class PanelTimers;
class Waiter;
struct MeterLine;

// One exchange with the meter, from the first byte written to the last byte read. Everything
// that talks to the meter, other than taking its live frames, runs inside one of these.
//
// When another exchange already holds the link (this one was started from inside its wait), the
// scope refuses: nothing may be written then, or the two exchanges' bytes mix. Otherwise it
// switches the panel's timers off (when given; key presses leave them running), holds the link,
// and on leaving releases the link and switches the timers back on, however the exchange ends.
class ExchangeScope
{
public:
    enum class Refusal { Report, Silent };

    ExchangeScope(const MeterLine& line, PanelTimers* timers, Refusal refusal = Refusal::Report);
    ~ExchangeScope();
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

    // False when refused: the caller ends its command without touching the link.
    bool entered() const { return m_hold.has_value(); }

    // For a command that opens a window whose own exchanges come later: true, after the same
    // note, when the link is held now.
    static bool refuseWhileBusy(const MeterLine& line);

    // What the user reads when a command is refused.
    static QString busyText();

private:
    Waiter& m_waiter;
    std::optional<TimersPaused> m_timers;
    std::optional<LinkLock::Hold> m_hold;
};

} // namespace slm
