#include "station/PortLock.h"

#include "station/StationFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slm::station
{

namespace
{

// The folders the port library looks in, in its order: the first readable one that holds the
// lock or may be written.
const char* const LockFolders[] = {"/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
                                   "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock"};

// Both formats in use: the process id alone (UUCP, padded with spaces) or on the first line.
qint64 lockPid(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine(64).trimmed().toLongLong();
}

bool processRuns(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString ownerOf(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("unknown");
    const passwd* user = ::getpwuid(info.st_uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(info.st_uid);
}

} // namespace

QString portLockPath(const QString& device)
{
    QString name = device;
    if (name.startsWith(QLatin1StringView("/dev/")))
        name = name.mid(5);
    name.replace(u'/', u'_');
    name.prepend(QLatin1StringView("/LCK.."));
    for (const char* folder : LockFolders) {
        const QFileInfo info{QString::fromLatin1(folder)};
        const QString path = info.filePath() + name;
        if (info.isReadable() && (QFile::exists(path) || info.isWritable()))
            return path;
    }
    return {};
}

QString takeOverStalePortLock(const QString& device, QString& reported)
{
    const QString path = portLockPath(device);
    if (path.isEmpty() || !QFile::exists(path))
        return {};
    const qint64 pid = lockPid(path);
    if (pid <= 0 || processRuns(pid))
        return {};
    if (::unlink(QFile::encodeName(path).constData()) == 0) {
        reported.clear();
        return QStringLiteral("took over the lock %1 of %2 left by process %3, which no longer runs")
            .arg(path, device)
            .arg(pid);
    }
    const int error = errno;
    if (reported == path)
        return {};
    reported = path;
    return QStringLiteral("the lock %1 of %2 was left by process %3, which no longer runs, but belongs to "
                          "the user %4 and cannot be removed by this one (%5): remove it with "
                          "\"sudo rm %1\"")
        .arg(path, device)
        .arg(pid)
        .arg(ownerOf(path), systemErrorText(error));
}

QString portLockHolder(const QString& device)
{
    const QString path = portLockPath(device);
    if (path.isEmpty() || !QFile::exists(path))
        return {};
    const qint64 pid = lockPid(path);
    if (pid > 0 && processRuns(pid))
        return QStringLiteral("the port is locked by process %1, which still runs (%2)").arg(pid).arg(path);
    return QStringLiteral("the lock %1 is in the way").arg(path);
}

} // namespace slm::station
