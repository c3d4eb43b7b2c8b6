#pragma once

#include <QtGlobal>

// Resident memory of this process (VmRSS) in kB, -1 where the system does not tell.
long residentKb();
// The same of another process.
long residentKb(qint64 pid);
