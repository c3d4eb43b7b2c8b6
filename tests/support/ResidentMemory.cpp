#include "support/ResidentMemory.h"

#include <QByteArray>
#include <QFile>

namespace
{

long residentKbOf(const QString& statusPath)
{
    QFile status(statusPath);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

long residentKb()
{
    return residentKbOf(QStringLiteral("/proc/self/status"));
}

long residentKb(qint64 pid)
{
    return residentKbOf(QStringLiteral("/proc/%1/status").arg(pid));
}
