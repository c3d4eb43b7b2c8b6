// Figures for the computed levels of a full list (348000 records): Leq, SEL, Lmax, Lmin and the
// percentiles from the list as the windows hold it, with the interval given and with the interval
// taken from the record times. Target: at most 20 ms.
#include "BenchSupport.h"

#include "measurement/MeasurementFigures.h"
#include "measurement/RecordListModel.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

using namespace slm;
using slm::bench::bestMs;

namespace
{

constexpr int Records = 348000;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RecordListModel list;
    const QDateTime start(QDate(2026, 1, 17), QTime(8, 0, 0));
    for (int n = 1; n <= Records; ++n) {
        const QString level = bench::listLevelText(n, true);
        list.append(QString::number(n), start.addSecs(n).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                    level);
    }

    LevelFigures f;
    const double given = bestMs([&] { f = figuresOfList(list, 1.0); });
    std::printf("computed figures, %d records, interval given:      %7.2f ms (target <= 20 ms)\n", Records,
                given);
    std::printf("  Leq %s  SEL %s  Lmax %s  Lmin %s  L50 %s  %s\n", qPrintable(figureText(f.leq)),
                qPrintable(figureText(f.sel)), qPrintable(figureText(f.lmax)), qPrintable(figureText(f.lmin)),
                qPrintable(f.percentile(50)), qPrintable(figuresBasisText(f)));
    const double fromTimes = bestMs([&] { f = figuresOfList(list, std::nullopt); });
    std::printf("computed figures, %d records, interval from times: %7.2f ms\n", Records, fromTimes);
    return 0;
}
