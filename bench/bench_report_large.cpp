// Figures for slm-report on large files, each run as a whole process with its time and peak
// memory (the child's maximum resident set): ten million records at 1 s with
// `--periods --dose niosh --events 70` (two million events) as text, JSON and CSV events (target:
// under 100 MB each); `--pdf` of ten days at 1 s with two hundred thousand events (target: seconds,
// tens of pages); and a report whose exclusion has a reason of 50 MB. The files are written to a
// temporary folder (under TMPDIR) and removed at the end.
#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

// Record n (from 0) of a file at 1 s: 50..59.9 dB, every `period`-th at 75 dB (one event each).
bool writeRecords(const QString& path, int records, int period)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk =
        "Real Time\r\n1\r\nA\r\nFAST\r\n30-130\r\n 75.0 \r\n2026/03/02 00:00:00\r\nXXX\r\nXXX\r\n"
        "No.s\tDate Time\tdB\t\r\n";
    const QDateTime start(QDate(2026, 1, 5), QTime(0, 0), Qt::UTC);
    QByteArray day;
    qint64 dayNumber = -1;
    for (int n = 0; n < records; ++n) {
        if (n / 86400 != dayNumber) {
            dayNumber = n / 86400;
            day = start.addDays(dayNumber).toString(QStringLiteral("yyyy/MM/dd ")).toLatin1();
        }
        const int s = n % 86400;
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
        chunk +=
            QByteArray::number(n + 1) + '\t' + day + time + '\t' +
            (n % period == 0 ? QByteArray("75.0") : QByteArray::number(50 + (n * 7 % 100) / 10.0, 'f', 1)) +
            "\t\r\n";
        if (chunk.size() > (1 << 20)) {
            if (out.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return out.write(chunk) == chunk.size() && out.flush();
}

struct Run {
    bool ok = false;
    double seconds = 0;
    double peakMb = 0;
    qint64 outputBytes = 0;
};

// The program with its standard output into `outPath`, timed, with the child's own peak memory.
Run run(const QByteArray& program, const std::vector<QByteArray>& arguments, const QByteArray& outPath)
{
    std::vector<char*> argv{const_cast<char*>(program.constData())};
    for (const QByteArray& a : arguments)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    std::fflush(stdout); // else the child writes what is buffered a second time
    const pid_t child = fork();
    if (child == 0) {
        if (!freopen(outPath.constData(), "w", stdout))
            _exit(127);
        execv(program.constData(), argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {
    };
    wait4(child, &status, 0, &usage);
    Run r;
    r.seconds = timer.nsecsElapsed() / 1e9;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    r.peakMb = usage.ru_maxrss / 1024.0;
    r.outputBytes = QFileInfo(QString::fromLocal8Bit(outPath)).size();
    return r;
}

void print(const char* what, const Run& r)
{
    std::printf("  %-34s %s %7.2f s  peak %7.1f MB  output %8.1f MB\n", what, r.ok ? "ok    " : "FAILED",
                r.seconds, r.peakMb, r.outputBytes / 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationDirPath() + "/slm-report");
    const QByteArray big = QFile::encodeName(dir.filePath("tenmillion.slmm"));
    const QByteArray tenDays = QFile::encodeName(dir.filePath("tendays.slmm"));
    const QByteArray out = QFile::encodeName(dir.filePath("out"));
    if (!writeRecords(QString::fromLocal8Bit(big), 10'000'000, 5) ||
        !writeRecords(QString::fromLocal8Bit(tenDays), 864'000, 4)) {
        std::fprintf(stderr, "the files could not be written in %s\n", qPrintable(dir.path()));
        return 1;
    }
    std::printf("ten million records at 1 s, two million events (%.0f MB):\n", QFileInfo(big).size() / 1e6);
    const std::vector<QByteArray> asked = {"--periods", "--dose", "niosh", "--events", "70"};
    auto with = [&](std::vector<QByteArray> front, const QByteArray& file) {
        front.insert(front.end(), asked.begin(), asked.end());
        front.push_back(file);
        return front;
    };
    print("text", run(program, with({}, big), out));
    print("--json", run(program, with({"--json"}, big), out));
    print("--csv events", run(program, {"--csv", "events", "--events", "70", big}, out));
    print("--csv hours", run(program, {"--csv", "hours", big}, out));

    const QByteArray pdf = QFile::encodeName(dir.filePath("report.pdf"));
    std::printf("ten days at 1 s, 216000 events:\n");
    const Run r = run(program, {"--pdf", pdf, "--events", "70", tenDays}, out);
    print("--pdf", r);
    QFile report(QString::fromLocal8Bit(pdf));
    report.open(QIODevice::ReadOnly);
    const QByteArray bytes = report.readAll();
    std::printf("  pages %lld, size %.2f MB\n",
                (long long)bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), bytes.size() / 1e6);

    // An exclusion whose reason is 50 MB of text.
    QFile assessment(QString::fromLocal8Bit(tenDays) + ".assessment.json");
    assessment.open(QIODevice::WriteOnly);
    assessment.write(R"({"format": "slm-assessment", "version": 1, "exclusions": [{"start": )"
                     R"("2026-01-05T10:00:00+01:00", "end": "2026-01-05T11:00:00+01:00", "reason": ")" +
                     QByteArray(50'000'000, 'x') + "\"}]}");
    assessment.close();
    std::printf("the same with a 50 MB exclusion reason:\n");
    print("--pdf", run(program, {"--pdf", pdf, "--events", "70", tenDays}, out));
    print("text", run(program, with({}, tenDays), out));
    return 0;
}
