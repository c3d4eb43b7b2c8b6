// Figures for the Ln statistics over a full list (348000 records): the count, range and
// percentiles at each resolution, without drawing. Target: at most 20 ms each.
#include "BenchSupport.h"

#include "analysis/LnStatistics.h"
#include "measurement/RecordListModel.h"

#include <QCoreApplication>
#include <cstdio>
#include <vector>

using namespace slm;
using slm::bench::bestMs;

namespace
{

constexpr int Records = 348000;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RecordListModel model;
    QStringList levels;
    levels.reserve(Records);
    for (int n = 1; n <= Records; ++n) {
        const QString level = bench::listLevelText(n, true);
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
