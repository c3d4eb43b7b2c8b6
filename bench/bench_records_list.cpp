// Figures for the record list: cost of appending rows late in a long list against early rows,
// and the resident memory of a full list in the model and its three grids.
#include "measurement/RecordListModel.h"
#include "shared/PanelState.h"
#include "shared/TextHelpers.h"
#include "support/ResidentMemory.h"
#include "views/RecordList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <memory>

using namespace slm;

namespace
{

struct Cost {
    double appendMs = 0; // the model and the three grids taking the row
    double paintMs = 0;  // the repaint that follows
};

// Appends rows first..last the way the sampling tick does: one row, then the list repaints.
Cost appendRows(RecordListModel& model, int first, int last, const QDateTime& start)
{
    Cost cost;
    QElapsedTimer timer;
    for (int n = first; n <= last; ++n) {
        const QString number = QString::number(n);
        const QString when = formatDateTime(start.addSecs(n));
        const QString level = QString::number(40.0 + (n % 600) / 10.0, 'f', 1);
        timer.start();
        model.append(number, when, level);
        cost.appendMs += timer.nsecsElapsed() / 1e6;
        timer.start();
        QCoreApplication::processEvents();
        cost.paintMs += timer.nsecsElapsed() / 1e6;
    }
    return cost;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDateTime start(QDate(2026, 1, 1), QTime(0, 0));

    const long baseKb = residentKb();
    auto state = std::make_unique<PanelState>(); // holds the 3 x 864001 trend doubles
    const long stateKb = residentKb();

    RecordListModel model;
    RecordList list(&model);
    list.resize(600, 400);
    list.show();
    QCoreApplication::processEvents();

    const Cost early = appendRows(model, 1, 1000, start);
    // Fill quickly up to 347000 without the per-row event round trip, then time the last 1000.
    for (int n = 1001; n <= 347000; ++n)
        model.append(QString::number(n), formatDateTime(start.addSecs(n)), QStringLiteral("65.3"));
    QCoreApplication::processEvents();
    const Cost late = appendRows(model, 347001, 348000, start);
    const long fullKb = residentKb();

    std::printf("rows 1-1000:        append %8.2f ms, repaint %8.2f ms\n", early.appendMs, early.paintMs);
    std::printf("rows 347001-348000: append %8.2f ms, repaint %8.2f ms\n", late.appendMs, late.paintMs);
    std::printf("time ratio late/early: append %.2f, repaint %.2f, both %.2f\n",
                late.appendMs / early.appendMs, late.paintMs / early.paintMs,
                (late.appendMs + late.paintMs) / (early.appendMs + early.paintMs));
    std::printf("(the first rows repaint a list that is still mostly empty)\n");
    std::printf("VmRSS at start:               %8ld kB\n", baseKb);
    std::printf("VmRSS with PanelState:        %8ld kB (+%ld kB trend buffers)\n", stateKb, stateKb - baseKb);
    std::printf("VmRSS with 348000 rows shown: %8ld kB (+%ld kB list model and grids)\n", fullKb,
                fullKb - stateKb);
    std::printf("rows in grid sense:           %8d (records %d, top row %d)\n", list.rows(),
                model.recordCount(), list.topRow());
    return 0;
}
