#pragma once

namespace slm
{

// The panel's two timers (the 200 ms display tick that shows the live frames and the 1 s
// sampling tick). Windows that talk to
// the meter or run long work switch both off and on through this.
class PanelTimers
{
public:
    virtual ~PanelTimers() = default;
    virtual void setTimersEnabled(bool on) = 0;
    virtual bool livePollEnabled() const = 0;
    virtual bool samplingTickEnabled() const = 0;
};

} // namespace slm
