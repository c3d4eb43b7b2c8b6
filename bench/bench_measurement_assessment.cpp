// Figures for the assessments on ten days at 1 s (864000 records) with 100 exclusions: the hourly
// and day tables, the four dose presets and the events at one threshold, together, in-process
// (target: at most 60 ms); then `slm-report --json --periods --dose niosh --events 70` on the same
// file as a whole process (target: at most 0.3 s), with its peak memory.
#include "BenchSupport.h"

#include "measurement/AssessmentDose.h"
#include "measurement/AssessmentEvents.h"
#include "measurement/AssessmentFile.h"
#include "measurement/AssessmentPeriods.h"
#include "measurement/RecordCsv.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace slm;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int Records = 864000;
    const QDateTime start(QDate(2026, 3, 2), QTime(0, 0, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tendays.slmm"));

    // The file, its samples as the shared reader parses them, and 100 ten-minute exclusions.
    const bench::OneSecondRecords made =
        bench::oneSecondRecords(Records, start, " 119.9 \r\n2026/03/02 00:00:07\r\n",
                                [](int n) { return bench::listLevelText(n, true).toLatin1(); });
    const std::vector<RecordSample>& samples = made.samples;
    const QByteArray& bytes = made.bytes;
    AssessmentFile file;
    for (int i = 0; i < 100; ++i) {
        const QDateTime from = start.addSecs(qint64(i) * 8640 + 1800);
        file.exclusions.push_back({{from, from.addSecs(600), QStringLiteral("span %1").arg(i)}, {}});
    }
    if (!writeFileAtomically(path, bytes).isEmpty() ||
        !writeAssessmentFile(assessmentFilePath(path), file).isEmpty()) {
        std::fprintf(stderr, "cannot write the files\n");
        return 1;
    }

    const std::vector<Exclusion> exclusions = file.spans();
    std::size_t rows = 0;
    const double ms = bench::bestMs([&] {
        const ExclusionMask mask(samples, exclusionClockSpans(exclusions));
        rows = hourlyTable(samples, 1.0, mask).size();
        rows += dayEveningNightTable(samples, 1.0, mask, PeriodSettings{}).days.size();
        for (const char* preset : {"osha-pel", "osha-hc", "niosh", "iso"})
            rows += noiseDose(samples, 1.0, mask, *doseCriterionOf(QString::fromLatin1(preset)), true).lmax
                        ? 1
                        : 0;
        rows += noiseEvents(samples, 1.0, mask, {70, 0, 0})->events.size();
    });
    std::printf("assessments of %d records, 100 exclusions (hours, days, 4 doses, events): %.1f ms "
                "(target <= 60 ms; %zu rows and events)\n",
                Records, ms, rows);

    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/slm-report");
    const QStringList arguments = {"--json", "--periods", "--dose", "niosh", "--events", "70", path};
    QByteArray out;
    const std::optional<double> measured = bench::bestProcessSeconds(program, arguments, out);
    if (!measured)
        return 1;
    const double best = *measured;
    // The peak memory of a child forked from here would count this process's pages it shared until
    // it started the program: the program is started by a small one, /usr/bin/time, that reports it.
    double peakMb = -1;
    if (QFileInfo::exists(QStringLiteral("/usr/bin/time"))) {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/time"), QStringList{"-f", "%M", program} + arguments);
        p.waitForFinished(60000);
        peakMb = p.readAllStandardError().trimmed().split('\n').last().toDouble() / 1024.0;
    }
    std::printf("slm-report --json --periods --dose niosh --events 70, %d records (%.1f MB), whole process: "
                "%.3f s (target <= 0.3 s), peak memory %.1f MB\n",
                Records, QFileInfo(path).size() / 1e6, best, peakMb);
    std::printf("  %s\n", out.left(out.indexOf("\"leq\"")).simplified().constData());
    return 0;
}
