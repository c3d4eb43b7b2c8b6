// Figures for the standards' tables on ten days at 1 s (864000 records) with 100 exclusions: the
// 15-minute intervals, three limits replayed, the background, the residual correction of two spans,
// the rating, the construction thresholds, the rating background level, CNEL and the counts above
// three levels, together, in-process (target: at most 60 ms); then `slm-report --json` with all
// of them on the same file as a whole process.
#include "BenchSupport.h"

#include "measurement/AssessmentFile.h"
#include "measurement/LimitConfig.h"
#include "measurement/RecordCsv.h"
#include "measurement/StandardsRun.h"
#include "measurement/StandardsTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace slm;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int Records = 864000;
    const QDateTime start(QDate(2026, 3, 2), QTime(0, 0, 0));
    // A folder given on the command line keeps the files, to compare the program's output on them.
    QTemporaryDir temporary;
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    const QString path = dir.filePath(QStringLiteral("tendays.slmm"));
    const QString limitsPath = dir.filePath(QStringLiteral("limits.ini"));
    const QByteArray limitsText =
        "[limit1]\nfigure=leq\nwindow=15min\nlevel=80\nwarning=75\n"
        "[limit2]\nfigure=level\nlevel=110\nmin_duration=5\n"
        "[limit3]\nfigure=leq-period\nwindow=1h\nlevel=78\nwhen=mon-fri 07:00-19:00\n";

    const bench::OneSecondRecords made =
        bench::oneSecondRecords(Records, start, " 119.9 \r\n2026/03/02 00:00:07\r\n",
                                [](int n) { return bench::listLevelText(n, true).toLatin1(); });
    const std::vector<RecordSample>& samples = made.samples;
    AssessmentFile file;
    for (int i = 0; i < 100; ++i) {
        const QDateTime from = start.addSecs(qint64(i) * 8640 + 1800);
        file.exclusions.push_back({{from, from.addSecs(600), QStringLiteral("span %1").arg(i)}, {}});
    }
    if (!writeFileAtomically(path, made.bytes).isEmpty() ||
        !writeAssessmentFile(assessmentFilePath(path), file).isEmpty() ||
        !writeFileAtomically(limitsPath, limitsText).isEmpty()) {
        std::fprintf(stderr, "cannot write the files\n");
        return 1;
    }

    QString why;
    StandardsInputs in;
    in.intervalSeconds = 900;
    in.limits = readLimits(iniKeys(QString::fromLatin1(limitsText)), why);
    in.backgroundSeconds = 900;
    const std::int64_t day0 = QDate(1970, 1, 1).daysTo(start.date()) * 86400;
    in.ambient = {
        LevelSource::Kind::Span, "--ambient", "", 0, {}, nullptr, {day0 + 10 * 3600, day0 + 11 * 3600}};
    in.residual = {LevelSource::Kind::Span,           "--residual", "", 0, {}, nullptr,
                   {day0 + 3 * 3600, day0 + 4 * 3600}};
    in.rating = true;
    in.corrections.tonal = 2;
    in.abc = true;
    in.abcLevels = std::array<double, AbcPeriodCount>{61, 55, 45};
    in.rbl = true;
    in.cnel = true;
    in.nAbove = {60, 65, 70};
    const std::vector<Exclusion> exclusions = file.spans();
    std::size_t rows = 0;
    QString error;
    const double ms = bench::bestMs([&] {
        const ExclusionMask mask(samples, exclusionClockSpans(exclusions));
        const StandardsResults r = runStandards(samples, 1.0, mask, in);
        error = r.error;
        rows = r.intervals->size() + r.limits->transitions.size() + r.abc->rows.size() + r.rbl->days.size() +
               r.cnel->days.size() + r.nAbove->nights.size();
    });
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const ExclusionMask mask(samples, exclusionClockSpans(exclusions));
    // Each table alone, to see where the time goes.
    const std::pair<const char*, std::function<void(StandardsInputs&)>> alone[] = {
        {"intervals", [](StandardsInputs& s) { s.intervalSeconds = 900; }},
        {"limits", [&](StandardsInputs& s) { s.limits = in.limits; }},
        {"background", [](StandardsInputs& s) { s.backgroundSeconds = 900; }},
        {"residual", [&](StandardsInputs& s) { s.ambient = in.ambient, s.residual = in.residual; }},
        {"abc", [&](StandardsInputs& s) { s.abc = true, s.abcLevels = in.abcLevels; }},
        {"rbl", [](StandardsInputs& s) { s.rbl = true; }},
        {"cnel", [](StandardsInputs& s) { s.cnel = true; }},
        {"n-above", [](StandardsInputs& s) {
             s.nAbove = {60, 65, 70};
         }}};
    std::printf("  each alone:");
    for (const auto& [name, set] : alone) {
        StandardsInputs one;
        set(one);
        std::printf(" %s %.1f ms;", name, bench::bestMs([&] { runStandards(samples, 1.0, mask, one); }, 3));
    }
    std::printf("\n");
    const StandardsResults once = runStandards(samples, 1.0, mask, in);
    const double tablesMs = bench::bestMs([&] { rows += standardsTextTables(once, in).size(); });
    std::printf(
        "standards' tables of %d records, 100 exclusions (15 min intervals, 3 limits, background, "
        "residual, rating, abc, rbl, cnel, n-above at 3 levels): %.1f ms (target <= 60 ms; %zu rows); "
        "as text tables %.1f ms\n",
        Records, ms, rows, tablesMs);

    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/slm-report");
    const QStringList arguments = {"--json",
                                   "--intervals",
                                   "15min",
                                   "--limits",
                                   limitsPath,
                                   "--background",
                                   "15min",
                                   "--ambient",
                                   "2026-03-02T10:00/2026-03-02T11:00",
                                   "--residual",
                                   "2026-03-02T03:00/2026-03-02T04:00",
                                   "--rating",
                                   "--tonal",
                                   "2",
                                   "--abc",
                                   "61,55,45",
                                   "--rbl",
                                   "--cnel",
                                   "--n-above",
                                   "60,65,70",
                                   path};
    QByteArray out;
    const std::optional<double> best = bench::bestProcessSeconds(program, arguments, out);
    if (!best)
        return 1;
    QByteArray plainOut;
    const std::optional<double> plain = bench::bestProcessSeconds(program, {"--json", path}, plainOut);
    std::printf("slm-report --json with every standards' table, %d records (%.1f MB), whole process: %.3f s "
                "(the figures alone: %.3f s; %lld bytes of JSON)\n",
                Records, QFileInfo(path).size() / 1e6, *best, plain.value_or(-1), qlonglong(out.size()));
    return 0;
}
