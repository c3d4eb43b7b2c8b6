#pragma once

#include <QString>

namespace slm
{

// How a text of the port window becomes a device to open.
struct PortChoice {
    enum class Kind { None, ComNumber, Device, Simulated };
    Kind kind = Kind::None;
    int comNumber = 0; // 1..16 for "COM1".."COM16"
    QString device;    // what the link opens
    QString label;     // what the panel shows while connected
};

inline const QString SimulatedMeterEntry = QStringLiteral("Simulated meter");

// "COM1".."COM16" exactly (upper case) give their number, anything else 0.
int comPortNumber(const QString& text);
// The device behind COMn on this platform: "COMn" on Windows, /dev/ttyS(n-1) elsewhere.
QString deviceForComNumber(int number);
// The short name shown for a device path ("/dev/ttyUSB0" gives "ttyUSB0").
QString deviceShortName(const QString& device);
// COMn, the simulated-meter entry, or the path of an existing device; otherwise Kind::None.
PortChoice resolvePortChoice(const QString& text);

} // namespace slm
