#include "station/StationFiles.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace slm::station
{

QString systemErrorText(int error)
{
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

bool makeFolder(const QString& folder, QString& why)
{
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QString path;
    for (const QString& part : absolute.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        const QByteArray native = QFile::encodeName(path);
        if (::mkdir(native.constData(), 0750) == 0 || errno == EEXIST) {
            struct stat info = {};
            if (::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode))
                continue;
            why = QStringLiteral("cannot make the folder %1: a file of that name is in the way").arg(path);
            return false;
        }
        why = QStringLiteral("cannot make the folder %1: %2").arg(path, systemErrorText(errno));
        return false;
    }
    return true;
}

qint64 freeBytes(const QString& path)
{
    QFileInfo at(path);
    while (!at.exists() && !at.isRoot() && at.absoluteFilePath() != at.absolutePath())
        at = QFileInfo(at.absolutePath());
    struct statvfs fs = {};
    if (::statvfs(QFile::encodeName(at.absoluteFilePath()).constData(), &fs) != 0)
        return -1;
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

} // namespace slm::station
