#include "ClockTimes.h"

#include "measurement/Sample.h"

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
    if (!m_last || hour != m_lastHour) {
        auto found = m_hours.find(hour);
        if (found == m_hours.end()) {
            const QDate date = QDate(1970, 1, 1).addDays(days);
            HourTexts texts{QStringLiteral("%1-%2-%3T%4:")
                                .arg(date.year(), 4, 10, QChar(u'0'))
                                .arg(date.month(), 2, 10, QChar(u'0'))
                                .arg(date.day(), 2, 10, QChar(u'0'))
                                .arg(second / 3600, 2, 10, QChar(u'0')),
                            offsetText(localDateTimeOf(hour * 3600).offsetFromUtc())};
            found = m_hours.emplace(hour, std::move(texts)).first;
        }
        m_last = &found->second;
        m_lastHour = hour;
    }
    const int minute = second / 60 % 60;
    const int sec = second % 60;
    const char16_t minuteAndSecond[] = {char16_t(u'0' + minute / 10), char16_t(u'0' + minute % 10), u':',
                                        char16_t(u'0' + sec / 10), char16_t(u'0' + sec % 10)};
    QString t;
    t.reserve(m_last->start.size() + 9 + m_last->offset.size());
    t += m_last->start;
    t += QStringView(minuteAndSecond, 5);
    if (ms != 0)
        t += QStringLiteral(".%1").arg(ms, 3, 10, QChar(u'0'));
    t += m_last->offset;
    return t;
}

QString dateText(std::int64_t days)
{
    return QDate(1970, 1, 1).addDays(days).toString(Qt::ISODate);
}

QString clockText(int seconds)
{
    return QStringLiteral("%1:%2")
        .arg(seconds / 3600, 2, 10, QChar(u'0'))
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'));
}

} // namespace slm
