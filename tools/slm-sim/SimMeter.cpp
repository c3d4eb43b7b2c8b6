#include "slm-sim/SimMeter.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace slmsim
{

using Clock = std::chrono::steady_clock;

namespace
{

// Paced downloads go out in small pieces so the average rate holds at any moment.
constexpr std::size_t PacedChunk = 32;
constexpr std::size_t FastChunk = 4096;

} // namespace

SimMeter::SimMeter(SimOptions options)
    : m_opt(std::move(options)), m_model(m_opt, Clock::now()), m_silent(m_opt.silent)
{
}

SimMeter::~SimMeter()
{
    stop();
}

bool SimMeter::start()
{
    std::lock_guard lock(m_mutex);
    if (m_started)
        return true;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_error = "cannot create a pipe";
        return false;
    }
    m_wakeRead = fds[0];
    m_wakeWrite = fds[1];
    auto fail = [this] {
        closePty(m_pty);
        ::close(m_wakeRead);
        ::close(m_wakeWrite);
        m_wakeRead = m_wakeWrite = -1;
        return false;
    };
    if (!openPty(m_pty, m_error))
        return fail();
    m_path = m_pty.path;
    if (!m_opt.linkPath.empty() && !pointLink(m_opt.linkPath, m_path, m_error))
        return fail();
    m_started = true;
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void SimMeter::stop()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_started)
            return;
        m_stopping = true;
        wake();
    }
    m_thread.join();
    std::lock_guard lock(m_mutex);
    closeLocked();
    if (!m_opt.linkPath.empty())
        removeLink(m_opt.linkPath, m_path);
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
    m_wakeRead = m_wakeWrite = -1;
    m_started = false;
}

std::string SimMeter::ptyPath() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

std::string SimMeter::lastError() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

void SimMeter::setLevel(double db)
{
    std::lock_guard lock(m_mutex);
    m_model.setLevel(db);
    wake();
}

void SimMeter::setSilent(bool silent)
{
    std::lock_guard lock(m_mutex);
    m_silent = silent;
    m_pendingWrite.clear();
    wake();
}

void SimMeter::closeTerminal()
{
    std::lock_guard lock(m_mutex);
    // An unplugged adapter's device node goes away with it; a freed pty number may soon belong
    // to another program, so the link must not lead there.
    if (!m_opt.linkPath.empty())
        removeLink(m_opt.linkPath, m_path);
    closeLocked();
    wake();
}

bool SimMeter::reopenTerminal()
{
    std::lock_guard lock(m_mutex);
    closeLocked();
    if (!openPty(m_pty, m_error))
        return false;
    m_path = m_pty.path;
    if (!m_opt.linkPath.empty() && !pointLink(m_opt.linkPath, m_path, m_error))
        return false;
    wake();
    return true;
}

void SimMeter::sendGarbage(double seconds)
{
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    m_model.sendGarbage(
        now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)), now);
    wake();
}

void SimMeter::pressKey(int code)
{
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    for (const int byte : {int('A'), int('K'), 0, 0, code})
        m_model.receive(std::uint8_t(byte), now);
    wake();
}

void SimMeter::setWrongLengthReplies(bool on)
{
    std::lock_guard lock(m_mutex);
    m_model.setWrongLengthReplies(on);
}

void SimMeter::setMemory(std::vector<std::uint8_t> loggedBytes)
{
    std::lock_guard lock(m_mutex);
    m_model.setMemory(std::move(loggedBytes));
}

std::vector<Received> SimMeter::received() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::string SimMeter::receivedBytes() const
{
    std::lock_guard lock(m_mutex);
    std::string s;
    for (const Received& r : m_log)
        s.push_back(static_cast<char>(r.byte));
    return s;
}

void SimMeter::clearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

bool SimMeter::waitForReceived(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_receivedCv.wait_for(lock, timeout, [&] { return m_log.size() >= count; });
}

int SimMeter::protocolErrors() const
{
    std::lock_guard lock(m_mutex);
    return m_model.protocolErrors();
}

MeterStatus SimMeter::status() const
{
    std::lock_guard lock(m_mutex);
    return m_model.status(Clock::now());
}

std::vector<std::uint8_t> SimMeter::loggedBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_model.memory();
}

void SimMeter::wake()
{
    if (m_wakeWrite >= 0) {
        const char b = 1;
        [[maybe_unused]] auto n = ::write(m_wakeWrite, &b, 1);
    }
}

void SimMeter::closeLocked()
{
    closePty(m_pty);
    m_pendingWrite.clear();
}

void SimMeter::readInput(Clock::time_point now)
{
    if (m_pty.master < 0)
        return;
    std::uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty.master, buf, sizeof buf);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            m_log.push_back({buf[i], now});
            if (!m_silent)
                m_model.receive(buf[i], now);
        }
        m_receivedCv.notify_all();
    }
}

void SimMeter::send(const Outgoing& out, Clock::time_point now)
{
    const ssize_t n = ::write(m_pty.master, out.bytes.data(), out.bytes.size());
    const std::size_t written = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (n < 0 && errno != EAGAIN)
        return; // the line is gone; what the meter says is lost
    // Nobody reads and the buffer is full: a frame is simply lost, a reply waits its turn.
    if (written < out.bytes.size() && (written > 0 || !out.droppable))
        m_pendingWrite.assign(out.bytes.begin() + static_cast<long>(written), out.bytes.end());
    if (m_opt.pacing) {
        // A line kept busy goes on from where the last piece ended, even when this thread woke
        // a little late, so long replies keep the full average rate; an idle line starts now.
        const bool busy = now - m_lineFreeAt < std::chrono::milliseconds(5);
        m_lineFreeAt = (busy ? std::max(m_lineFreeAt, now - std::chrono::milliseconds(5)) : now) +
                       ByteTime * static_cast<long>(written);
    }
}

void SimMeter::writePending(Clock::time_point now)
{
    if (m_pendingWrite.empty())
        return;
    if (m_pty.master < 0 || m_silent) {
        m_pendingWrite.clear();
        return;
    }
    Outgoing rest{std::move(m_pendingWrite), false};
    m_pendingWrite.clear();
    send(rest, now);
}

void SimMeter::run()
{
    std::unique_lock lock(m_mutex);
    const std::size_t chunk = m_opt.pacing ? PacedChunk : FastChunk;
    while (!m_stopping) {
        auto now = Clock::now();
        readInput(now);
        m_model.advance(now);
        writePending(now);
        while (m_pendingWrite.empty()) {
            now = Clock::now();
            if (m_opt.pacing && now < m_lineFreeAt)
                break;
            const auto out = m_model.takeOutput(now, chunk);
            if (!out)
                break;
            if (m_pty.master >= 0 && !m_silent)
                send(*out, now);
        }

        Clock::time_point wakeAt = m_model.nextTimerAt();
        if (m_pendingWrite.empty()) {
            Clock::time_point outAt = m_model.nextOutputAt();
            if (m_opt.pacing)
                outAt = std::max(outAt, m_lineFreeAt);
            wakeAt = std::min(wakeAt, outAt);
        }
        pollfd fds[2] = {{m_wakeRead, POLLIN, 0}, {m_pty.master, POLLIN, 0}};
        if (!m_pendingWrite.empty())
            fds[1].events |= POLLOUT;
        const nfds_t count = m_pty.master >= 0 ? 2 : 1;
        timespec ts{};
        timespec* timeout = nullptr;
        if (wakeAt != Clock::time_point::max()) {
            const auto left = std::max(Clock::duration::zero(), wakeAt - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            ts.tv_sec = static_cast<time_t>(ns / 1000000000);
            ts.tv_nsec = static_cast<long>(ns % 1000000000);
            timeout = &ts;
        }
        lock.unlock();
        ::ppoll(fds, count, timeout, nullptr);
        lock.lock();
        char drain[64];
        while (::read(m_wakeRead, drain, sizeof drain) > 0) {
        }
    }
}

} // namespace slmsim
