#pragma once

#include <QString>

namespace slm
{

// A recording stops, and the panel's list saves itself, at this many rows.
inline constexpr int RecordLimit = 348000;

// What the panel's windows share: the port chosen at the start. The live reading and the PC
// sampling are the meter session's; the save mode is the recorder's, told by the panel's options.
struct PanelState {
    // Port choice.
    int ComPortNumber = 0; // 1..16 when a COMn name was chosen
    QString PortName;      // the device actually opened (COMn, /dev/ttyS.., /dev/pts/..)
    QString PortLabel;     // what LblCOM shows while connected
};

} // namespace slm
