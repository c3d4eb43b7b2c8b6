#include "slm-sim/Pty.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace slmsim
{

bool makeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

bool openPty(PtyPair& out, std::string& error)
{
    PtyPair p;
    p.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (p.master < 0 || grantpt(p.master) != 0 || unlockpt(p.master) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        closePty(p);
        return false;
    }
    char name[PATH_MAX];
    if (ptsname_r(p.master, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        closePty(p);
        return false;
    }
    p.path = name;
    p.slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (p.slave < 0 || !makeRaw(p.slave)) {
        error = "cannot set up " + p.path + ": " + std::strerror(errno);
        closePty(p);
        return false;
    }
    fcntl(p.master, F_SETFL, fcntl(p.master, F_GETFL) | O_NONBLOCK);
    fcntl(p.master, F_SETFD, FD_CLOEXEC);
    fcntl(p.slave, F_SETFD, FD_CLOEXEC);
    out = p;
    return true;
}

void closePty(PtyPair& pty)
{
    if (pty.slave >= 0)
        ::close(pty.slave);
    if (pty.master >= 0)
        ::close(pty.master);
    pty.slave = pty.master = -1;
}

bool pointLink(const std::string& path, const std::string& target, std::string& error)
{
    struct stat st {
    };
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = path + " exists and is not a symbolic link";
        return false;
    }
    // A new link renamed over the old one: the path never goes missing for a reader.
    const std::string tmp = path + ".new" + std::to_string(getpid());
    ::unlink(tmp.c_str());
    if (::symlink(target.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
        error = "cannot link " + path + ": " + std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

void removeLink(const std::string& path, const std::string& target)
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == target)
        ::unlink(path.c_str());
}

} // namespace slmsim
