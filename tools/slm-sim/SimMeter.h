#pragma once

// The simulated meter on a pseudo-terminal, run in process by tests and by slm-sim.
//
//   slmsim::SimOptions o;  o.pacing = false;  o.clock = "2026-03-04 08:00:00";
//   slmsim::SimMeter meter(o);
//   meter.start();                       // serves on its own thread
//   link.setCommPort(QString::fromStdString(meter.ptyPath()));
//   ... meter.receivedBytes() == "A", meter.status().rangeIndex == 2, meter.closeTerminal() ...
//
// Every hook is thread-safe and takes effect at once.

#include "slm-sim/MeterModel.h"
#include "slm-sim/Pty.h"
#include "slm-sim/SimOptions.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace slmsim
{

struct Received {
    std::uint8_t byte;
    std::chrono::steady_clock::time_point at;
};

class SimMeter
{
public:
    // One byte on the line: 10 bits at 38400 baud.
    static constexpr auto ByteTime = std::chrono::nanoseconds(260417);

    explicit SimMeter(SimOptions options = {});
    ~SimMeter();
    SimMeter(const SimMeter&) = delete;
    SimMeter& operator=(const SimMeter&) = delete;

    // Opens the pty (and the link, if asked) and starts serving; false with lastError() set.
    bool start();
    void stop();
    std::string ptyPath() const;
    std::string lastError() const;

    // Signal and faults.
    void setLevel(double db);                              // hold this level from now on
    void setSilent(bool silent);                           // pulled cable: sends nothing, acts on nothing
    void closeTerminal();                                  // vanished adapter: the program's reads fail
    bool reopenTerminal();                                 // a new pty; the link (if any) follows it
    void sendGarbage(double seconds);                      // random bytes at the line rate instead of frames
    void setWrongLengthReplies(bool on);                   // replies to "A", "L", "J", "I" one byte short
    void setMemory(std::vector<std::uint8_t> loggedBytes); // pointer = 48 + size
    void pressKey(int code); // the meter's own key, as "A" then "K" 00 00 code would press it

    // What the program sent: every byte read from the pty with its arrival time (also while
    // silent, when the meter does not act on it).
    std::vector<Received> received() const;
    std::string receivedBytes() const;
    void clearLog();
    // Waits until the log holds at least count bytes; false on time-out.
    bool waitForReceived(std::size_t count, std::chrono::milliseconds timeout) const;
    int protocolErrors() const;

    MeterStatus status() const;
    LinkState state() const { return status().state; }
    std::vector<std::uint8_t> loggedBytes() const;

private:
    void run();
    void readInput(std::chrono::steady_clock::time_point now);
    void send(const Outgoing& out, std::chrono::steady_clock::time_point now);
    void writePending(std::chrono::steady_clock::time_point now);
    void wake();
    void closeLocked();

    SimOptions m_opt;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_receivedCv;
    MeterModel m_model;
    PtyPair m_pty;
    std::string m_path;
    std::string m_error;
    bool m_silent = false;
    bool m_stopping = false;
    bool m_started = false;
    std::vector<std::uint8_t> m_pendingWrite; // the rest of a piece the pty did not take
    std::chrono::steady_clock::time_point m_lineFreeAt{};
    std::vector<Received> m_log;
    int m_wakeRead = -1, m_wakeWrite = -1;
    std::thread m_thread;
};

} // namespace slmsim
