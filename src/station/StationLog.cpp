#include "station/StationLog.h"

#include <cstdio>

namespace slm::station
{

void logEvent(const QString& who, const QString& what)
{
    QString line = who.isEmpty() ? what : who + QStringLiteral(": ") + what;
    // One event stays one line whatever a library's message holds.
    line.replace(u'\n', u' ');
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace slm::station
