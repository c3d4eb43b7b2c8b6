#pragma once

#include <QString>

namespace slm
{

// What to tell a user whose port exists but may not be opened: why, and that membership of the
// group owning the device is the fix (the usermod line to run, then a new login). An empty
// group means the owner group has no name; its id is given instead.
QString portPermissionDetails(const QString& device, const QString& group, unsigned groupId);

// The device file behind a port name: "ttyUSB0" and "/dev/ttyUSB0" both give "/dev/ttyUSB0".
QString portDevicePath(const QString& portName);

// The details above when the port's device exists but this user may not read and write it;
// "" when it is missing or the permissions are not the cause.
QString portAccessProblem(const QString& portName);

} // namespace slm
