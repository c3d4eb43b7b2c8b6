#include "link/MeterCommands.h"

#include <QString>
#include <algorithm>

namespace slm
{

namespace MeterCommands
{

QByteArray SetLoggingInterval(int seconds)
{
    const int t = std::clamp(seconds, 1, 255);
    QByteArray b("C");
    b.append(static_cast<char>(t / 256)).append(static_cast<char>(t % 256));
    return b;
}

unsigned char toBcd(int value)
{
    value = ((value % 100) + 100) % 100;
    return static_cast<unsigned char>((value / 10) * 16 + value % 10);
}

QString bcdText(unsigned char byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

QByteArray SetClock(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    QByteArray b("B");
    for (int v : {t.second(), t.minute(), t.hour(), d.day(), d.month(), d.year() % 100})
        b.append(static_cast<char>(toBcd(v)));
    return b;
}

bool endsWithFrame(const QByteArray& block)
{
    const qsizetype n = block.size();
    return n >= 6 && block[n - 6] == FrameStart && block[n - 1] == FrameEnd;
}

bool endsWithAck(const QByteArray& block)
{
    return block.endsWith(AckFrame);
}

} // namespace MeterCommands

} // namespace slm
