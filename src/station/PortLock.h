#pragma once

#include <QString>
#include <QtGlobal>

namespace slm::station
{

// The lock file ("LCK..ttyUSB0") the serial port library keeps in the system's lock folder while
// a program has the port open. One whose process is gone would block the port for good: it is
// taken over (removed, so the next open locks afresh), and said so; one the station may not
// remove (another user's, in a sticky lock folder) is reported with how to remove it.
// Before an open: a log line when there was something to say (a lock taken over, one that cannot
// be), else nothing. `reported` keeps the lock already reported as not removable, so it is told
// once.
QString takeOverStalePortLock(const QString& device, QString& reported);

// After a failed open: why, when a lock explains it ("the port is locked by process 812, which
// still runs (/run/lock/LCK..ttyUSB0)"); empty otherwise.
QString portLockHolder(const QString& device);

// Where the port library keeps the lock of `device`; empty when it keeps none.
QString portLockPath(const QString& device);

} // namespace slm::station
