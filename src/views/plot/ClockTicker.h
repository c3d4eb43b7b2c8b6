#pragma once

#include <QVector>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <qcustomplot.h>

namespace slm
{

// Ticks at whole clock times along an axis of record numbers: record n stands at X = n, and its
// local clock time (calendar seconds, nothing for a record without one) comes from `timeOf`. A
// tick between two records stands where the time between them puts it, so the axis reads as a
// clock while the plot, its cursor and its drags keep counting records. A date stands under the
// first tick and under the first of each new day.
class ClockTicker : public QCPAxisTicker
{
public:
    using TimeOf = std::function<std::optional<std::int64_t>(int record)>;

    void setRecords(int count, TimeOf timeOf);
    // The step of the last ticks in seconds, 0 before any.
    std::int64_t lastStep() const { return m_step; }

protected:
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override;
    QVector<double> createSubTickVector(int subTickCount, const QVector<double>& ticks) override;
    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale& locale, QChar formatChar,
                                       int precision) override;

private:
    int m_count = 0;
    TimeOf m_timeOf;
    std::int64_t m_step = 0;
    QVector<QString> m_labels;
    std::map<double, QString> m_labelAt;
};

} // namespace slm
