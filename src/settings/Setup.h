#pragma once

#include "shared/ReentryGuard.h"

#include <QDialog>

class QTimer;

namespace slm
{

class ClickableLabel;
class PanelTimers;
struct Services;

// The clock window: shows the meter's clock and the PC's clock on demand (a click on either
// caption switches its readout) and sets the meter's clock to the PC's. Reading the meter's
// clock stops the panel's timers; closing the window always starts them again.
class Setup : public QDialog
{
    Q_OBJECT
public:
    // A tick that gets no six-byte answer within this many seconds gives up; the next tries again.
    static constexpr double ReadBoundSeconds = 1.0;
    static constexpr int TickMs = 350;

    Setup(Services& services, PanelTimers& panelTimers, QWidget* panel);
    ~Setup() override;

    void toggleMeterTime() { m_showMeterTime = !m_showMeterTime; }
    void togglePcTime() { m_showPcTime = !m_showPcTime; }
    void setMeterTimeToSystemTime();
    void tick();

    void done(int result) override;

private:
    void unload();

    Services& m_services;
    PanelTimers& m_panelTimers;
    QTimer* m_timer;
    ClickableLabel* m_lblMeterTime;
    ClickableLabel* m_lblPcTime;
    bool m_showMeterTime = false;
    bool m_showPcTime = false;
    ReentryFlag m_tick;
    bool m_unloaded = false;
};

} // namespace slm
