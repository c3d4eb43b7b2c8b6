#pragma once

namespace slm
{

class MeterLink;
class Dialogs;
class Clock;
class Waiter;
class LinkLock;
class StatusNotices;

// The platform behind the program, handed to every window that needs it. The main program
// passes the real implementations; tests pass scripted ones.
struct Services {
    MeterLink& link;
    Dialogs& dialogs;
    Clock& clock;
    Waiter& waiter;
    LinkLock& linkLock;
    StatusNotices& notices;
};

} // namespace slm
