// Opening the longest real-time file the panel writes (348000 records, the list's limit): the time
// from the toolbar's "Open" until the last record is listed in its view, and the resident memory
// the listed records cost. Targets: at most 0.3 s, at most 150 bytes per record.
#include "analysis/FileListWindow.h"
#include "analysis/OpenRecordFile.h"
#include "measurement/RecordFileFormat.h"
#include "measurement/RecordFileWriter.h"
#include "measurement/RecordListModel.h"
#include "shared/PanelState.h"
#include "shared/TextHelpers.h"
#include "support/CountingPanelTimers.h"
#include "support/QuietLink.h"
#include "support/ResidentMemory.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace slm;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.slmm"));

    // Written line by line through the program's writer, so that no list of the records is held
    // in memory while the opening is measured.
    {
        RealTimeHeader header;
        header.freqWeighting = QStringLiteral("A");
        header.timeWeighting = QStringLiteral("FAST");
        header.levelRange = QStringLiteral("30-90");
        header.maxLevel = QStringLiteral("89.9");
        header.maxTime = QStringLiteral("2026/01/01 00:00:01");
        header.sel = header.leq = SelNotComputed;
        RecordFileWriter out(path, RecordFileWriter::Mode::Replace);
        out.open();
        out.writeLines(headerLines(header));
        out.writeLine(titleLine());
        const QDateTime start(QDate(2026, 1, 1), QTime(0, 0));
        for (int n = 1; n <= RecordLimit; ++n)
            out.writeRecord(RecordRow{QString::number(n), formatDateTime(start.addSecs(n)),
                                      QString::number(30 + n % 600 / 10.0, 'f', 1)});
        if (!out.commit()) {
            std::fprintf(stderr, "%s\n", qPrintable(out.error()));
            return 1;
        }
    }

    TestServices<QuietLink> t;
    CountingPanelTimers timers;
    QWidget panel;
    panel.setWindowTitle(QStringLiteral("Panel"));
    panel.show();
    OpenRecordFile open(t.services.desk(), timers, &panel, [] { return false; });
    QApplication::processEvents();

    const long before = residentKb();
    QElapsedTimer timer;
    // The processor time too: on a busy machine the wall time says more about the neighbours.
    const std::clock_t cpuStart = std::clock();
    timer.start();
    t.dialogs.openAnswers << path;
    open.run();
    const double openMs = timer.nsecsElapsed() / 1e6;
    const double openCpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    QApplication::processEvents(); // the view draws its last rows
    const double shownMs = timer.nsecsElapsed() / 1e6;
    const long after = residentKb();

    const FileListWindow* view = open.realTimeView();
    const int listed = view ? view->records().recordCount() : 0;
    std::printf("open a %d-record real-time file: %8.1f ms until listed, %8.1f ms until drawn\n", RecordLimit,
                openMs, shownMs);
    std::printf("processor time until listed: %8.1f ms\n", openCpuMs);
    std::printf("records listed: %d, file %lld bytes, messages %lld\n", listed,
                static_cast<long long>(QFile(path).size()),
                static_cast<long long>(t.dialogs.messages.size()));
    if (listed > 0 && before >= 0 && after >= 0)
        std::printf("resident memory: %ld kB more, %.1f bytes per listed record\n", after - before,
                    (after - before) * 1024.0 / listed);
    return listed == RecordLimit ? 0 : 1;
}
