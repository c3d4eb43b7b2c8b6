#include "link/PortAccess.h"

#include <QFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace slm
{

QString portPermissionDetails(const QString& device, const QString& group, unsigned groupId)
{
    const QString groupName = group.isEmpty() ? QString::number(groupId) : group;
    const QString owner = group.isEmpty() ? QStringLiteral("the group with the id %1").arg(groupId)
                                          : QStringLiteral("the group \"%1\"").arg(group);
    return QStringLiteral("The port %1 exists, but this user may not open it (permission denied).\n\n"
                          "It belongs to %2. Make yourself a member of that group:\n\n"
                          "    sudo usermod -aG %3 \"$USER\"\n\n"
                          "then log out and log in again (membership counts from the next login), and "
                          "start the program again.")
        .arg(device, owner, groupName);
}

QString portDevicePath(const QString& portName)
{
    if (portName.isEmpty() || portName.startsWith(u'/'))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

QString portAccessProblem(const QString& portName)
{
#ifdef Q_OS_UNIX
    const QString device = portDevicePath(portName);
    if (device.isEmpty())
        return {};
    const QByteArray path = QFile::encodeName(device);
    struct stat info {
    };
    if (::stat(path.constData(), &info) != 0)
        return {};
    if (::access(path.constData(), R_OK | W_OK) == 0)
        return {};
    if (errno != EACCES)
        return {};
    const struct group* owner = ::getgrgid(info.st_gid);
    return portPermissionDetails(device, owner ? QString::fromLocal8Bit(owner->gr_name) : QString(),
                                 static_cast<unsigned>(info.st_gid));
#else
    Q_UNUSED(portName);
    return {};
#endif
}

} // namespace slm
