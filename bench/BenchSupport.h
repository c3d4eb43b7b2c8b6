#pragma once

// What the benchmarks share: the best of a few timed rounds and the level texts of a full list.
#include "measurement/Sample.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace slm::bench
{

// Best of a few rounds, in ms: the first round also pays for cold caches.
template <class Work> double bestMs(Work work, int rounds = 5)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// Best of five runs of a whole program, in seconds, with its standard output of the last run;
// nothing (after its standard error is printed) when a run fails.
inline std::optional<double> bestProcessSeconds(const QString& program, const QStringList& arguments,
                                                QByteArray& out)
{
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        QProcess p;
        p.start(program, arguments);
        p.waitForFinished(60000);
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        out = p.readAllStandardOutput();
        if (p.exitCode() != 0) {
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                         p.readAllStandardError().constData());
            return std::nullopt;
        }
    }
    return best;
}

// The level of record `n` in a full list: mostly 30.0 .. 119.9, every 997th paused and, when
// `rangeMarks`, the odd under-range ("- - -") and overload ("OL") record.
inline QString listLevelText(int n, bool rangeMarks)
{
    QString level = QString::number(30.0 + (n * 7 % 900) / 10.0, 'f', 1);
    if (n % 997 == 0)
        level += u'*';
    else if (rangeMarks && n % 1999 == 0)
        level = QStringLiteral("- - -");
    else if (rangeMarks && n % 2999 == 0)
        level = QStringLiteral("OL");
    return level;
}

// The middle of some timings (the upper one of an even count), 0 for none.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A real-time record file of one record a second from `start`, as its bytes and as the samples the
// shared reader parses from them; `levelOf(n)` gives record n's level text (n from 1).
struct OneSecondRecords {
    QByteArray bytes;
    std::vector<RecordSample> samples;
};
inline OneSecondRecords oneSecondRecords(int records, const QDateTime& start, const QByteArray& maxLines,
                                         const std::function<QByteArray(int n)>& levelOf)
{
    OneSecondRecords r;
    r.samples.reserve(size_t(records));
    r.bytes =
        "Real Time\r\n1\r\nA\r\nFAST\r\n30-130\r\n" + maxLines + "XXX\r\nXXX\r\nNo.s\tDate Time\tdB\t\r\n";
    const QDateTime utcStart(start.date(), start.time(), Qt::UTC); // calendar steps for the texts
    for (int n = 1; n <= records; ++n) {
        const QByteArray time =
            utcStart.addSecs(n - 1).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")).toLatin1();
        const QByteArray level = levelOf(n);
        r.samples.push_back(parseRecordSample(time, level));
        r.bytes += QByteArray::number(n) + '\t' + time + '\t' + level + "\t\r\n";
    }
    return r;
}

} // namespace slm::bench
