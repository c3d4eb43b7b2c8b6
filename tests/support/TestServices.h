#pragma once

#include "link/LinkLock.h"
#include "link/WaitSeconds.h"
#include "shared/Clock.h"
#include "shared/Services.h"
#include "shared/StatusNotices.h"
#include "support/ScriptedDialogs.h"

#include <QDateTime>

using namespace slm;

// The platform of most tests, already bundled: a link of the test's choice, scripted dialogs,
// a clock that stands still, the event-loop wait and the link lock. Fixtures derive from it,
// so their own members can be built from `services`.
template <class Link> struct TestServices {
    TestServices() = default;
    explicit TestServices(const QDateTime& clockStart) : clock(clockStart) {}

    Link link;
    ScriptedDialogs dialogs;
    FixedClock clock;
    EventLoopWaiter waiter;
    LinkLock lock;
    StatusNotices notices;
    // The meter's line and the desk, bundled as a meter window takes them.
    MeterLine line{link, lock, waiter, notices};
    Desk desk{dialogs, clock};
    Services services = Services::of(line, desk);
};
