// Figures for `slm-report --json` on a full real-time file (348000 records), timed as a whole
// process from its start to its exit, as a script would run it. Target: at most 0.4 s.
#include "BenchSupport.h"

#include "measurement/RecordListModel.h"
#include "views/FileTransfer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace slm;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int Records = 348000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.slmm"));
    {
        RecordListModel list;
        const QDateTime start(QDate(2026, 1, 17), QTime(8, 0, 0));
        for (int n = 1; n <= Records; ++n) {
            list.append(QString::number(n), start.addSecs(n).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                        bench::listLevelText(n, false));
        }
        RealTimeHeader header{1, "A", "FAST", "30-90", " 119.9 ", "2026/01/17 08:00:07", "XXX", "XXX"};
        const QString error = writeRealTimeListFile(path, header, list, nullptr);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/slm-report");
    QByteArray out;
    const std::optional<double> measured =
        bench::bestProcessSeconds(program, {QStringLiteral("--json"), path}, out);
    if (!measured)
        return 1;
    const double best = *measured;
    std::printf("slm-report --json, %d records (%.1f MB), whole process: %.3f s (target <= 0.4 s)\n", Records,
                QFileInfo(path).size() / 1e6, best);
    std::printf("  %s\n", out.left(out.indexOf("\"l5\"")).simplified().constData());
    return 0;
}
