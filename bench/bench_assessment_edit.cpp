// Figures for the assessment window on four days at 1 s (348000 records): 20 exclusions added one
// by one, each timed from the edit to the window's tabs showing its results (median and worst;
// target: at most 100 ms), the assessment file written at each; then the plot redrawn with the
// shading (median; target: at most 30 ms).
#include "BenchSupport.h"

#include "assessment/AssessmentSession.h"
#include "assessment/AssessmentWindow.h"
#include "measurement/Measurement.h"
#include "support/ScriptedDialogs.h"
#include "views/plot/Graph.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace slm;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int Records = 348000;
    constexpr int Edits = 20;
    const QDateTime start(QDate(2026, 3, 2), QTime(0, 0, 0));
    QTemporaryDir dir;

    Measurement measurement;
    measurement.reserve(Records);
    const QDateTime utcStart(start.date(), start.time(), Qt::UTC); // calendar steps for the texts
    for (int n = 1; n <= Records; ++n) {
        const QByteArray time =
            utcStart.addSecs(n - 1).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")).toLatin1();
        measurement.stageLatin1(QByteArray::number(n), time, bench::listLevelText(n, true).toLatin1());
    }
    measurement.commitStaged();
    measurement.setOrigin({MeasurementOrigin::Kind::File, dir.filePath(QStringLiteral("fourdays.slmm"))});

    ScriptedDialogs dialogs;
    AssessmentSession session(measurement, dialogs);
    AssessmentWindow window(session, dialogs);
    window.show();
    QElapsedTimer wait;
    wait.start();
    while (window.resultsShown() == 0 && wait.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    std::vector<double> edits;
    for (int i = 0; i < Edits; ++i) {
        const QDateTime from = start.addSecs(qint64(i) * 15000 + 600);
        const int shown = window.resultsShown();
        QElapsedTimer timer;
        timer.start();
        session.addExclusion({from, from.addSecs(300), QStringLiteral("span %1").arg(i)});
        while (window.resultsShown() == shown)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        edits.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (session.results().excluded() != qint64(Edits) * 300) {
        std::fprintf(stderr, "expected %d excluded records, got %lld\n", Edits * 300,
                     static_cast<long long>(session.results().excluded()));
        return 1;
    }

    // The run itself, on this thread, for comparison.
    const auto& records = *session.resultRecords();
    const std::vector<Exclusion> spans = session.exclusions();
    const double runMs = bench::bestMs([&] {
        assessSamples(records.samples, records.interval, records.aWeighted, spans, session.settings());
    });
    QElapsedTimer shown;
    shown.start();
    emit session.resultsChanged();
    const double showMs = shown.nsecsElapsed() / 1e6;

    std::vector<double> redraws;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.graph()->replotNow();
        redraws.push_back(timer.nsecsElapsed() / 1e6);
    }

    std::printf("assessment edit, %d records, %d exclusions added: median %.1f ms, worst %.1f ms "
                "(target 100 ms)\n",
                Records, Edits, bench::median(edits), *std::max_element(edits.begin(), edits.end()));
    std::printf("of which the assessment run %.1f ms, the tabs and the shading shown %.1f ms\n", runMs,
                showMs);
    std::printf("plot redraw with %d shaded spans: median %.1f ms (target 30 ms)\n", Edits,
                bench::median(redraws));
    return 0;
}
