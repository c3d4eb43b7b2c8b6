// slm-sim: the simulated meter on a pseudo-terminal. Prints the pty path as its first line and
// serves until SIGINT, SIGTERM or SIGHUP, or until the process that started it ends.
#include "slm-sim/SimMeter.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::printf("%s", slmsim::simUsage().c_str());
            return 0;
        }
    }
    std::string error;
    const auto options = slmsim::parseSimArgs(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "slm-sim: %s\n%s", error.c_str(), slmsim::simUsage().c_str());
        return 2;
    }

    // A simulator left behind by a crashed program would hold its pty forever.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        return 0;

    // Block the stop signals before the meter's thread starts, then wait for them here.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    slmsim::SimMeter meter(*options);
    if (!meter.start()) {
        std::fprintf(stderr, "slm-sim: %s\n", meter.lastError().c_str());
        return 1;
    }
    std::printf("%s\n", meter.ptyPath().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    meter.stop();
    return 0;
}
