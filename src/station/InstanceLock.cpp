#include "station/InstanceLock.h"

#include "station/StationConfig.h"
#include "station/StationFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace slm::station
{

namespace
{
const char* const LockName = ".slm-station.lock";
} // namespace

InstanceLock::~InstanceLock()
{
    for (const int fd : m_fds)
        ::close(fd);
}

InstanceLock::Outcome InstanceLock::take(const StationConfig& config, QString& message)
{
    QStringList folders{config.data};
    for (const MeterConfig& meter : config.meters)
        folders << meter.output;
    QStringList seen;
    QStringList notes;
    for (const QString& folder : folders) {
        const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
        if (seen.contains(clean))
            continue;
        seen << clean;
        QString why;
        const Outcome outcome = takeFolder(clean, why);
        if (outcome == Outcome::HeldByAnother) {
            message = why;
            return outcome;
        }
        if (outcome == Outcome::Unavailable)
            notes << why;
    }
    message = notes.join(QStringLiteral("; "));
    return notes.isEmpty() ? Outcome::Taken : Outcome::Unavailable;
}

InstanceLock::Outcome InstanceLock::takeFolder(const QString& folder, QString& message)
{
    const QString path = QDir(folder).filePath(QLatin1StringView(LockName));
    QString why;
    if (!makeFolder(folder, why)) {
        message = QStringLiteral("no lock against a second station in %1: %2").arg(folder, why);
        return Outcome::Unavailable;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        message = QStringLiteral("no lock against a second station in %1: cannot write %2: %3")
                      .arg(folder, path, systemErrorText(errno));
        return Outcome::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        char text[32] = {};
        const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
        ::close(fd);
        const QString pid = QString::fromLatin1(text, n > 0 ? n : 0).trimmed();
        message =
            QStringLiteral("another station (process %1) already records into %2 (it holds %3); stop it "
                           "first, or give this configuration other folders")
                .arg(pid.isEmpty() ? QStringLiteral("unknown") : pid, folder, path);
        return Outcome::HeldByAnother;
    }
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    // The lock holds without the number too; only a second station's message would lack it.
    [[maybe_unused]] const bool written =
        ::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.constData(), size_t(pid.size()), 0) == pid.size();
    m_fds.push_back(fd);
    return Outcome::Taken;
}

} // namespace slm::station
