#pragma once

// Shared by the simulator's tests: a meter on a pty with a raw client on the other end.
#include "slm-sim/PtyClient.h"
#include "slm-sim/SimMeter.h"

#include <QtTest>

#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace slmsim
{
// For QCOMPARE messages.
inline char* toString(LinkState s)
{
    return qstrdup(stateName(s));
}
} // namespace slmsim

namespace simtest
{

inline std::string hex(const std::string& b)
{
    return QByteArray(b.data(), static_cast<qsizetype>(b.size())).toHex(' ').toStdString();
}

inline std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s.push_back(static_cast<char>(b));
    return s;
}

struct Frame {
    int range;  // range byte
    int status; // status byte
    int word;   // level word
};

// A stream that holds only frames, cut into them; false when it is anything else.
inline bool splitFrames(const std::string& s, std::vector<Frame>& out)
{
    out.clear();
    if (s.size() % 6 != 0)
        return false;
    for (std::size_t i = 0; i < s.size(); i += 6) {
        const auto* p = reinterpret_cast<const unsigned char*>(s.data() + i);
        if (p[0] != 0x02 || p[5] != 0x03)
            return false;
        out.push_back({p[1], p[2], p[3] << 8 | p[4]});
    }
    return true;
}

// Fast and fixed: no pacing, a known clock, and live frames rare enough (one at the start)
// that command replies are read alone.
inline slmsim::SimOptions quietOptions()
{
    slmsim::SimOptions o;
    o.pacing = false;
    o.frameMs = 60000;
    o.clock = "2026-03-04 08:00:00";
    return o;
}

struct Rig {
    slmsim::SimMeter meter;
    slmsim::PtyClient pty;
    // Waits for the first live frame so that it is not mistaken for a reply later.
    explicit Rig(slmsim::SimOptions o) : meter(o)
    {
        if (meter.start() && pty.open(meter.ptyPath()) && !o.silent)
            pty.readBytes(6, 500ms);
    }
    bool ok() const { return pty.isOpen(); }
    // Drop what is waiting, send, and take what comes back within the time.
    std::string ask(const std::string& command, std::chrono::milliseconds time = 60ms)
    {
        pty.drain();
        pty.write(command);
        return pty.readFor(time);
    }
};

} // namespace simtest
