#pragma once

#include "shared/LiveReading.h"

#include <QString>

namespace slm
{

// A recording stops, and the panel's list saves itself, at this many rows.
inline constexpr int RecordLimit = 348000;

// What several windows truly share: the port chosen at the start, the live reading that the
// session decodes and everyone shows, the save mode the panel's options pick for the recorder,
// and the PC sampling interval that the toolbar sets for the recorder.
struct PanelState {
    // Port choice.
    int ComPortNumber = 0; // 1..16 when a COMn name was chosen
    QString PortName;      // the device actually opened (COMn, /dev/ttyS.., /dev/pts/..)
    QString PortLabel;     // what LblCOM shows while connected

    // Live reading.
    LiveReading Live;

    // Panel display.
    int SaveMode = 0; // 1 record by PC sampling rate, 2 save the list

    // PC sampling, set by the toolbar and read by the recorder (which keeps its own counters).
    int PcSamplingTime = 1;
};

} // namespace slm
