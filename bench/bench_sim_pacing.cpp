// Figures of the simulated meter's line: the download rate of a full 64 K memory and the
// spacing of live frames, both paced as the program meets them.
#include "slm-sim/PtyClient.h"
#include "slm-sim/SimMeter.h"

#include <algorithm>
#include <cstdio>

using namespace std::chrono;
using namespace std::chrono_literals;

int main()
{
    slmsim::SimOptions o;
    o.frameMs = 100;
    o.level = 60.0;
    o.sets = {{(65536 - 48 - 58) / 2, 1}}; // one set that fills the memory
    slmsim::SimMeter meter(o);
    slmsim::PtyClient pty;
    if (!meter.start() || !pty.open(meter.ptyPath())) {
        std::fprintf(stderr, "cannot start the simulator: %s\n", meter.lastError().c_str());
        return 1;
    }

    // Frame spacing over five seconds.
    std::vector<double> gaps;
    auto last = steady_clock::now();
    pty.drain();
    for (auto end = last + 5s; steady_clock::now() < end;) {
        const auto part = pty.readOnce(200ms);
        if (!part || part->empty())
            continue;
        const auto now = steady_clock::now();
        for (std::size_t i = 0; i + 6 <= part->size(); i += 6) {
            gaps.push_back(duration<double, std::milli>(now - last).count());
            last = now;
        }
    }
    gaps.erase(gaps.begin());
    double sum = 0;
    for (double g : gaps)
        sum += g;
    std::printf("live frames: %zu, mean gap %.1f ms, min %.1f ms, max %.1f ms\n", gaps.size(),
                sum / gaps.size(), *std::min_element(gaps.begin(), gaps.end()),
                *std::max_element(gaps.begin(), gaps.end()));

    // Full download: "L", then "K".
    pty.drain();
    pty.write("L");
    pty.readBytes(3, 500ms);
    pty.write("K");
    const std::size_t expected = static_cast<std::size_t>(meter.status().memoryPointer - 46);
    std::string block = pty.readBytes(1, 1s);
    const std::size_t head = block.size(); // the first piece was already on its way
    const auto first = steady_clock::now();
    block += pty.readBytes(expected - block.size(), 60s);
    const double took = duration<double>(steady_clock::now() - first).count();
    std::printf("download: %zu of %zu bytes in %.2f s, %.0f bytes/s (line rate 3840)\n", block.size(),
                expected, took, (block.size() - head) / took);
    return 0;
}
