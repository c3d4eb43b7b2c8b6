#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace slmsim
{

// The program's end of the line for tests and benchmarks: opens a pty path raw and reads with
// time-outs. Bytes travel in std::string.
class PtyClient
{
public:
    PtyClient() = default;
    ~PtyClient() { close(); }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    bool write(std::string_view bytes);
    // One read() of what is waiting, after waiting up to timeout for something; "" on time-out,
    // nullopt when the terminal failed or hung up.
    std::optional<std::string> readOnce(std::chrono::milliseconds timeout);
    // Everything that arrives within the time.
    std::string readFor(std::chrono::milliseconds time);
    // Until n bytes have arrived or the time is up.
    std::string readBytes(std::size_t n, std::chrono::milliseconds timeout);
    // Drops what is waiting.
    void drain();

private:
    int m_fd = -1;
};

} // namespace slmsim
