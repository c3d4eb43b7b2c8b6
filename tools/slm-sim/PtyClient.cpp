#include "slm-sim/PtyClient.h"

#include "slm-sim/Pty.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace slmsim
{

using Clock = std::chrono::steady_clock;

bool PtyClient::open(const std::string& path)
{
    close();
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    if (!makeRaw(m_fd)) {
        close();
        return false;
    }
    return true;
}

void PtyClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool PtyClient::write(std::string_view bytes)
{
    if (m_fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EAGAIN) {
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> PtyClient::readOnce(std::chrono::milliseconds timeout)
{
    if (m_fd < 0)
        return std::nullopt;
    pollfd p{m_fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (r == 0)
        return std::string();
    char buf[8192];
    const ssize_t n = ::read(m_fd, buf, sizeof buf);
    if (n > 0)
        return std::string(buf, static_cast<std::size_t>(n));
    if (n < 0 && errno == EAGAIN)
        return std::string();
    return std::nullopt; // EIO or end of file: the other side is gone
}

std::string PtyClient::readFor(std::chrono::milliseconds time)
{
    // Everything that arrives within the time: a byte count that is never reached.
    return readBytes(std::string::npos, time);
}

std::string PtyClient::readBytes(std::size_t n, std::chrono::milliseconds timeout)
{
    std::string all;
    const auto end = Clock::now() + timeout;
    while (all.size() < n) {
        const auto now = Clock::now();
        if (now >= end)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
        const auto part = readOnce(std::max(left, std::chrono::milliseconds(1)));
        if (!part)
            break;
        all += *part;
    }
    return all;
}

void PtyClient::drain()
{
    while (true) {
        const auto part = readOnce(std::chrono::milliseconds(0));
        if (!part || part->empty())
            return;
    }
}

} // namespace slmsim
