#include "slm-sim/SimOptions.h"

#include "slm-sim/CivilTime.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace slmsim
{

namespace
{

bool toInt(const std::string& s, long lo, long hi, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v < lo || v > hi)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool toLevel(const std::string& s, double& out)
{
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && *end == '\0' && out >= 0.0 && out <= 3276.7;
}

bool parseSets(const std::string& text, std::vector<std::pair<int, int>>& out)
{
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        const auto at = item.find('@');
        int n = 0, interval = 0;
        if (at == std::string::npos || !toInt(item.substr(0, at), 1, 8000000, n) ||
            !toInt(item.substr(at + 1), 1, 255, interval))
            return false;
        out.emplace_back(n, interval);
    }
    return !out.empty();
}

bool readLevels(const std::string& path, std::vector<double>& out)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        double v = 0;
        if (!toLevel(line, v))
            return false;
        out.push_back(v);
    }
    return !out.empty();
}

} // namespace

std::string simUsage()
{
    return "usage: slm-sim [--frame-ms N] [--no-pacing] [--silent] [--level DB] [--levels FILE]\n"
           "               [--memory-k N] [--empty-memory] [--sets N@I,...] [--clock \"yyyy-mm-dd "
           "hh:nn:ss\"]\n"
           "               [--seed N] [--link PATH]\n"
           "       slm-sim --help\n"
           "A simulated sound level meter on a pseudo-terminal: prints the terminal's path, then serves\n"
           "it until SIGINT, SIGTERM or SIGHUP, or until the program that started it ends.\n";
}

std::optional<SimOptions> parseSimArgs(const std::vector<std::string>& args, std::string& error)
{
    SimOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size())
                return false;
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--no-pacing") {
            o.pacing = false;
        } else if (a == "--silent") {
            o.silent = true;
        } else if (a == "--empty-memory") {
            o.emptyMemory = true;
        } else if (a == "--frame-ms") {
            if (!value(v) || !toInt(v, 1, 60000, o.frameMs))
                return error = "--frame-ms takes milliseconds, 1..60000", std::nullopt;
        } else if (a == "--level") {
            double db = 0;
            if (!value(v) || !toLevel(v, db))
                return error = "--level takes a level in dB, 0..3276.7", std::nullopt;
            o.level = db;
        } else if (a == "--levels") {
            if (!value(v) || !readLevels(v, o.levels))
                return error = "--levels takes a file with one level in dB per line", std::nullopt;
        } else if (a == "--memory-k") {
            if (!value(v) || !toInt(v, 64, 64 * 255, o.memoryK) || o.memoryK % 64 != 0)
                return error = "--memory-k takes a multiple of 64 up to 16320", std::nullopt;
        } else if (a == "--sets") {
            if (!value(v) || !parseSets(v, o.sets))
                return error = "--sets takes N@I,... (N records, interval I in 1..255 s)", std::nullopt;
        } else if (a == "--clock") {
            if (!value(v) || !parseDateTime(v))
                return error = "--clock takes \"yyyy-mm-dd hh:nn:ss\"", std::nullopt;
            o.clock = v;
        } else if (a == "--seed") {
            int seed = 0;
            if (!value(v) || !toInt(v, 0, 2147483647, seed))
                return error = "--seed takes a whole number", std::nullopt;
            o.seed = static_cast<unsigned>(seed);
        } else if (a == "--link") {
            if (!value(v) || v.empty())
                return error = "--link takes a path", std::nullopt;
            o.linkPath = v;
        } else {
            return error = "unknown option " + a, std::nullopt;
        }
    }
    return o;
}

} // namespace slmsim
