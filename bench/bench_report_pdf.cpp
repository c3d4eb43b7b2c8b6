// Figures for the measurement report of ten days at 1 s (864000 records) with 200 events above
// 70 dB and 10 exclusions: the finished PDF in-process from the assessed samples (best and median
// of 3; target at most 3 s), then `slm-report --pdf` on the same file as a whole process, reading
// and assessing included; the pages and the file's size.
#include "BenchSupport.h"

#include "measurement/AssessmentFile.h"
#include "measurement/AssessmentRun.h"
#include "measurement/RecordCsv.h"
#include "report/AssessmentReport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace slm;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    constexpr int Records = 864000;
    constexpr int Events = 200;
    const QDateTime start(QDate(2026, 3, 2), QTime(0, 0, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tendays.slmm"));

    // 45..64.9 dB, and every 4320 s a passing of 20 s at 80..89 dB: 200 events at 70 dB.
    const bench::OneSecondRecords made =
        bench::oneSecondRecords(Records, start, " 89.0 \r\n2026/03/02 00:10:00\r\n", [](int record) {
            const int n = record - 1;
            const int inCycle = n % (Records / Events);
            return inCycle >= 600 && inCycle < 620 ? QByteArray::number(80 + (n * 7 % 100) / 10.0, 'f', 1)
                                                   : QByteArray::number(45 + (n * 13 % 200) / 10.0, 'f', 1);
        });
    const std::vector<RecordSample>& samples = made.samples;
    const QByteArray& bytes = made.bytes;
    AssessmentFile file;
    for (int i = 0; i < 10; ++i) {
        const QDateTime from = start.addSecs(qint64(i) * 86400 + 12 * 3600 + 1000); // between two events
        file.exclusions.push_back(
            {{from, from.addSecs(1800), QStringLiteral("Roadworks %1").arg(i + 1)}, {}});
    }
    file.details.site = QStringLiteral("North fence");
    file.details.calibrationBefore = 94.0;
    file.details.calibrationAfter = 94.2;
    if (!writeFileAtomically(path, bytes).isEmpty() ||
        !writeAssessmentFile(assessmentFilePath(path), file).isEmpty()) {
        std::fprintf(stderr, "cannot write the files\n");
        return 1;
    }

    AssessmentReportInput input;
    input.fileName = path;
    input.header.kind = RecordFileKind::RealTime;
    input.header.set(HeaderField::FreqWeighting, QStringLiteral("A"));
    input.samples = samples;
    input.interval = 1.0;
    input.exclusions = file.spans();
    input.details = file.details;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    std::vector<double> assessMs;
    std::vector<double> writeMs;
    AssessmentReportOutcome outcome;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        input.results = assessSamples(samples, 1.0, true, input.exclusions, input.settings);
        assessMs.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        outcome = writeAssessmentReport(pdf, input);
        writeMs.push_back(timer.nsecsElapsed() / 1e6);
        if (!outcome.error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(outcome.error));
            return 1;
        }
    }
    std::sort(assessMs.begin(), assessMs.end());
    std::sort(writeMs.begin(), writeMs.end());
    const size_t events = input.results.events ? input.results.events->events.size() : 0;
    std::printf(
        "report of %d records, %zu events, %zu exclusions, in-process: assessed in %.0f ms (median %.0f), "
        "PDF written in %.0f ms (median %.0f ms; target <= 3000 ms); %d pages, %.0f kB\n",
        Records, events, input.exclusions.size(), assessMs.front(), assessMs[1], writeMs.front(), writeMs[1],
        outcome.pages, QFileInfo(pdf).size() / 1024.0);

    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/slm-report");
    const QString processPdf = dir.filePath(QStringLiteral("process.pdf"));
    QByteArray out;
    const std::optional<double> measured =
        bench::bestProcessSeconds(program, {"--pdf", processPdf, path}, out);
    if (!measured)
        return 1;
    std::printf("slm-report --pdf, %d records (%.1f MB), whole process: %.3f s (target <= 3 s); %.0f kB\n",
                Records, QFileInfo(path).size() / 1e6, *measured, QFileInfo(processPdf).size() / 1024.0);
    return 0;
}
