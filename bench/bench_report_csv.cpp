// Figures for `slm-report --csv` on ten million records (a list file of some 370 MB): the time of
// the whole process and its peak resident memory, which must stay bounded (target: under 50 MB)
// however long the file is, as the CSV is written out while the file is read.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int Records = 10'000'000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ten-million.slmm"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write("No.s\tDate Time\tdB\t\r\n");
        QByteArray chunk;
        for (int n = 1; n <= Records; ++n) {
            chunk += QByteArray::number(n) + "\t2026/01/17 08:" + QByteArray::number(10 + n % 50) + ":" +
                     QByteArray::number(10 + n % 49) + '\t' +
                     QByteArray::number(30 + n % 900 / 10.0, 'f', 1) + "\t\r\n";
            if (chunk.size() > (1 << 22)) {
                f.write(chunk);
                chunk.clear();
            }
        }
        f.write(chunk);
    }
    QElapsedTimer timer;
    timer.start();
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/null"));
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/slm-report"),
            {QStringLiteral("--csv"), path});
    p.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf(
        "slm-report --csv, %d records (%.0f MB): %.2f s, peak resident memory %.1f MB (target < 50 MB), "
        "exit %d\n",
        Records, QFileInfo(path).size() / 1e6, seconds, usage.ru_maxrss / 1024.0, p.exitCode());
    return p.exitCode();
}
