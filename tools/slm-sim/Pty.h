#pragma once

#include <string>

namespace slmsim
{

// Puts a terminal into raw mode at 38400 baud, 8N1: no byte is translated, echoed or eaten.
bool makeRaw(int fd);

// A new pseudo-terminal: the master (non-blocking) and the slave, both raw. The simulator
// keeps its own slave descriptor open so the master never sees a hang-up between clients.
struct PtyPair {
    int master = -1;
    int slave = -1;
    std::string path;
};
bool openPty(PtyPair& out, std::string& error);
void closePty(PtyPair& pty);

// Points path at target through a symbolic link, replacing an earlier link (never a file).
bool pointLink(const std::string& path, const std::string& target, std::string& error);
// Removes path when it is a link to target.
void removeLink(const std::string& path, const std::string& target);

} // namespace slmsim
