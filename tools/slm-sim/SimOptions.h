#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace slmsim
{

// How a simulated meter starts. The defaults are the meter a new user meets.
struct SimOptions {
    int frameMs = 100;                     // live frame period
    bool pacing = true;                    // hold the output to 3840 bytes/s
    bool silent = false;                   // send nothing, ignore input (pulled cable)
    std::optional<double> level;           // hold this level instead of the room signal
    std::vector<double> levels;            // one level per frame, holding the last
    int memoryK = 64;                      // logger size, a multiple of 64
    bool emptyMemory = false;              // start without the demo sets
    std::vector<std::pair<int, int>> sets; // start with sets of N records at I seconds
    std::optional<std::string> clock;      // "yyyy-mm-dd hh:nn:ss"; host local time if unset
    unsigned seed = 1;                     // room signal and garbage
    std::string linkPath;                  // also make a symbolic link here to the pty
};

// The command line of slm-sim. On failure returns nullopt and sets error to a one-line text;
// --levels reads its file here.
std::optional<SimOptions> parseSimArgs(const std::vector<std::string>& args, std::string& error);
std::string simUsage();

} // namespace slmsim
