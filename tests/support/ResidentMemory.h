#pragma once

// Resident memory of this process (VmRSS) in kB, -1 where the system does not tell.
long residentKb();
