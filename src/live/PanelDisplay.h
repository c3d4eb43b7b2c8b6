#pragma once

#include "shared/LiveReading.h"

#include <optional>

namespace slm
{

// What the front panel shows for one decoded reading, worked out without any widget so the
// rules can be checked on their own. The panel applies it to its controls.
struct PanelDisplay {
    QString barMaxText, barMinText;
    bool upEnabled = true, downEnabled = true;
    int barMinimum = 0, barMaximum = 0, barValue = 0; // tenths of a dB
    bool overVisible = false, underVisible = false;
    // Unset when the time weighting is empty: the annunciators keep their state.
    std::optional<bool> fastVisible, slowVisible, impVisible;
    bool runVisible = false, pauseVisible = false, stopVisible = false;
    bool caVisible = true;
    QString caText, boardCA;
    QString levelValue, shownLCD;
    QString boardSFI, boardLevel;
};

// previousCaVisible: the weighting annunciator's visibility before this reading ("AA" blinks it).
PanelDisplay computePanelDisplay(const LiveReading& reading, bool previousCaVisible);

} // namespace slm
