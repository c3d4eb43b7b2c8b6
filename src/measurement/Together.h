#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Independent jobs run side by side on the machine's cores, the caller's thread among them, taken
// from the first on (put the longest first). Each writes only its own result, so what they give
// does not depend on which thread ran which.

namespace slm
{

class Together
{
public:
    explicit Together(std::vector<std::function<void()>> jobs);
    ~Together(); // waits
    Together(const Together&) = delete;
    Together& operator=(const Together&) = delete;

    // Takes jobs on this thread too until none is left, and returns once every one has ended,
    // passing on the first exception one threw.
    void wait();

private:
    void finish();
    void work();

    std::vector<std::function<void()>> m_jobs;
    std::atomic<size_t> m_next = 0;
    std::vector<std::thread> m_threads;
    std::mutex m_failureLock;
    std::exception_ptr m_failure;
};

} // namespace slm
