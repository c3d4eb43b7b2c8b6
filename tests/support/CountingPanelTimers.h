#pragma once

#include "shared/PanelTimers.h"

#include <QList>

using namespace slm;

// Stands in for the panel's two timers and remembers every switch, in order.
class CountingPanelTimers : public PanelTimers
{
public:
    void setTimersEnabled(bool on) override
    {
        m_on = on;
        switches.append(on);
    }
    bool livePollEnabled() const override { return m_on; }
    bool samplingTickEnabled() const override { return m_on; }

    QList<bool> switches;

private:
    bool m_on = true;
};
