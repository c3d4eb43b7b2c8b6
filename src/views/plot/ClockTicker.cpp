#include "views/plot/ClockTicker.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace slm
{

namespace
{

// Whole seconds, minutes, hours and days a clock axis steps by.
constexpr std::int64_t Steps[] = {1,    2,    5,    10,    15,    30,    60,    120,    300,    600,    900,
                                  1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 604800, 2592000};

// Calendar seconds read as a date and a time of day, whatever the machine's zone.
QDateTime civil(std::int64_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
}

} // namespace

void ClockTicker::setRecords(int count, TimeOf timeOf)
{
    m_count = count;
    m_timeOf = std::move(timeOf);
}

QVector<double> ClockTicker::createTickVector(double, const QCPRange& range)
{
    QVector<double> ticks;
    m_labels.clear();
    m_labelAt.clear();
    m_step = 0;
    if (!m_timeOf || m_count <= 0)
        return ticks;
    const int first = std::clamp(int(std::ceil(range.lower)), 1, m_count);
    const int last = std::clamp(int(std::floor(range.upper)), 1, m_count);
    std::optional<std::int64_t> t0;
    std::optional<std::int64_t> t1;
    for (int n = first; n <= last && !t0; ++n)
        t0 = m_timeOf(n);
    for (int n = last; n >= first && !t1; --n)
        t1 = m_timeOf(n);
    if (!t0 || !t1 || *t1 < *t0)
        return ticks;
    const std::int64_t span = std::max<std::int64_t>(*t1 - *t0, 1);
    const int most = std::max(2, tickCount());
    m_step = Steps[std::size(Steps) - 1];
    for (const std::int64_t s : Steps)
        if (span / s <= most) {
            m_step = s;
            break;
        }
    // One pass over the records in view: each whole step stands between the two records whose
    // times enclose it. Times that go back (the clocks put back) are passed over.
    std::int64_t next = (*t0 + m_step - 1) / m_step * m_step;
    int previous = 0;
    std::int64_t previousTime = 0;
    for (int n = first; n <= last; ++n) {
        const std::optional<std::int64_t> t = m_timeOf(n);
        if (!t)
            continue;
        while (next <= *t) {
            double x = n;
            if (previous > 0 && next > previousTime)
                x = previous + double(next - previousTime) / double(*t - previousTime) * (n - previous);
            ticks << x;
            m_labels << civil(next).toString(m_step < 60 ? QStringLiteral("HH:mm:ss")
                                                         : QStringLiteral("HH:mm"));
            next += m_step;
        }
        if (*t >= previousTime || previous == 0) {
            previous = n;
            previousTime = *t;
        }
    }
    // The date under the first tick and under a new day's first; steps of days show dates only.
    QDate shown;
    std::int64_t at = (*t0 + m_step - 1) / m_step * m_step;
    for (QString& label : m_labels) {
        const QDate day = civil(at).date();
        const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
        if (m_step >= 86400)
            label = date;
        else if (day != shown)
            label += u'\n' + date;
        shown = day;
        at += m_step;
    }
    for (int i = 0; i < ticks.size(); ++i)
        m_labelAt[ticks[i]] = m_labels[i];
    return ticks;
}

QVector<double> ClockTicker::createSubTickVector(int, const QVector<double>&)
{
    return {};
}

QVector<QString> ClockTicker::createLabelVector(const QVector<double>& ticks, const QLocale&, QChar, int)
{
    // The labels were made with the ticks, which QCustomPlot may have trimmed since.
    QVector<QString> labels;
    for (const double tick : ticks) {
        const auto found = m_labelAt.find(tick);
        labels << (found != m_labelAt.end() ? found->second : QString());
    }
    return labels;
}

} // namespace slm
