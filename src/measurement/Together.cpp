#include "measurement/Together.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace slm
{

Together::Together(std::vector<std::function<void()>> jobs) : m_jobs(std::move(jobs))
{
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t helpers = m_jobs.empty() ? 0 : std::min(cores, m_jobs.size()) - 1;
    try {
        for (size_t i = 0; i < helpers; ++i)
            m_threads.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started and the caller do it all.
    }
}

Together::~Together()
{
    finish();
}

void Together::wait()
{
    finish();
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void Together::finish()
{
    work();
    for (std::thread& t : m_threads)
        t.join();
    m_threads.clear();
}

void Together::work()
{
    for (size_t i = m_next++; i < m_jobs.size(); i = m_next++) {
        try {
            m_jobs[i]();
        } catch (...) {
            const std::lock_guard<std::mutex> lock(m_failureLock);
            if (!m_failure)
                m_failure = std::current_exception();
        }
    }
}

} // namespace slm
