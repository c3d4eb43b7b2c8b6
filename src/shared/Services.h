#pragma once

namespace slm
{

class MeterLink;
class Dialogs;
class Clock;
class Waiter;
class LinkLock;
class StatusNotices;

// What every window may use, with or without a meter: the dialogs and the clock. The file
// views and the report take only this.
struct Desk {
    Dialogs& dialogs;
    Clock& clock;
};

// One meter's line: its link, the lock that keeps two exchanges apart on it, the waits on its
// bytes and the notices it posts. Each meter session has its own.
struct MeterLine {
    MeterLink& link;
    LinkLock& linkLock;
    Waiter& waiter;
    StatusNotices& notices;
};

// A window that talks to a meter: that meter's line and the desk. The main program passes the
// real implementations; tests pass scripted ones.
struct Services {
    MeterLink& link;
    Dialogs& dialogs;
    Clock& clock;
    Waiter& waiter;
    LinkLock& linkLock;
    StatusNotices& notices;

    static Services of(const MeterLine& line, const Desk& desk)
    {
        return {line.link, desk.dialogs, desk.clock, line.waiter, line.linkLock, line.notices};
    }
    MeterLine line() const { return {link, linkLock, waiter, notices}; }
    // What only talks to the meter takes its line; a window hands its services over as they are.
    operator MeterLine() const { return line(); }
    Desk desk() const { return {dialogs, clock}; }
};

} // namespace slm
