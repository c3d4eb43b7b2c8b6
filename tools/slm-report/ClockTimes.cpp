#include "ClockTimes.h"

#include "measurement/Sample.h"
#include "shared/NumberText.h"

#include <QDate>
#include <cmath>
#include <cstdlib>

namespace slm
{

namespace
{

QString offsetText(int seconds)
{
    const QChar sign = seconds < 0 ? u'-' : u'+';
    seconds = std::abs(seconds);
    return sign + QStringLiteral("%1:%2")
                      .arg(seconds / 3600, 2, 10, QChar(u'0'))
                      .arg(seconds / 60 % 60, 2, 10, QChar(u'0'));
}

} // namespace

QString ClockTimeTexts::text(std::int64_t clock, double plusSeconds)
{
    const std::int64_t whole = std::int64_t(std::floor(plusSeconds));
    const int ms = int(std::llround((plusSeconds - double(whole)) * 1000));
    clock += whole;
    const std::int64_t days = clock >= 0 ? clock / 86400 : -((-clock + 86399) / 86400);
    const int second = int(clock - days * 86400);
    const std::int64_t hour = days * 24 + second / 3600;
    auto found = m_offsets.find(hour);
    if (found == m_offsets.end())
        found = m_offsets.emplace(hour, offsetText(localDateTimeOf(hour * 3600).offsetFromUtc())).first;
    char buffer[48];
    if (char* end = writeIsoDate(buffer, days)) {
        *end++ = 'T';
        end = writeDigits(end, second / 3600, 2);
        *end++ = ':';
        end = writeDigits(end, second / 60 % 60, 2);
        *end++ = ':';
        end = writeDigits(end, second % 60, 2);
        if (ms != 0) {
            *end++ = '.';
            end = writeDigits(end, ms, 3);
        }
        return QString::fromLatin1(buffer, end - buffer) + found->second;
    }
    const QDate date = QDate(1970, 1, 1).addDays(days);
    QString t = QStringLiteral("%1-%2-%3T%4:%5:%6")
                    .arg(date.year(), 4, 10, QChar(u'0'))
                    .arg(date.month(), 2, 10, QChar(u'0'))
                    .arg(date.day(), 2, 10, QChar(u'0'))
                    .arg(second / 3600, 2, 10, QChar(u'0'))
                    .arg(second / 60 % 60, 2, 10, QChar(u'0'))
                    .arg(second % 60, 2, 10, QChar(u'0'));
    if (ms != 0)
        t += QStringLiteral(".%1").arg(ms, 3, 10, QChar(u'0'));
    return t + found->second;
}

QString dateText(std::int64_t days)
{
    return isoDateText(days);
}

QString clockText(int seconds)
{
    return QStringLiteral("%1:%2")
        .arg(seconds / 3600, 2, 10, QChar(u'0'))
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'));
}

} // namespace slm
