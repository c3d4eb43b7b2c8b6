// Figures for the Ln statistics over a full list (348000 records): the count, range and
// percentiles at each resolution, without drawing. Target: at most 20 ms each.
#include "analysis/LnStatistics.h"
#include "shared/RecordListModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace slm;

namespace
{

constexpr int Records = 348000;
constexpr int Rounds = 5;

// Best of a few rounds, in ms: the first round also pays for cold caches.
template <class Work> double bestMs(Work work)
{
    double best = 1e300;
    for (int i = 0; i < Rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RecordListModel model;
    QStringList levels;
    levels.reserve(Records);
    for (int n = 1; n <= Records; ++n) {
        // Mostly levels 30.0 .. 119.9, with the odd marked record, under-range and overload.
        QString level = QString::number(30.0 + (n * 7 % 900) / 10.0, 'f', 1);
        if (n % 997 == 0)
            level += u'*';
        else if (n % 1999 == 0)
            level = QStringLiteral("- - -");
        else if (n % 2999 == 0)
            level = QStringLiteral("OL");
        model.append(QString::number(n), QStringLiteral("2026/01/17 08:00:00"), level);
        levels << level;
    }

    for (LnResolution res : {LnResolution::TenthDb, LnResolution::WholeDb}) {
        const char* name = res == LnResolution::TenthDb ? "0.1 dB" : "1 dB";
        std::int64_t n = 0;
        const double fromModel = bestMs([&] { n = ComputeLnStatistics(model, res).classedRecords; });
        const double fromTexts = bestMs([&] {
            n = ComputeLnStatistics(std::span<const QString>(levels.cbegin(), levels.cend()), res)
                    .classedRecords;
        });
        std::printf("ComputeLnStatistics %-6s over %d records: %.2f ms from the list model, %.2f ms "
                    "from texts (%lld classed)\n",
                    name, Records, fromModel, fromTexts, static_cast<long long>(n));
    }
    return 0;
}
