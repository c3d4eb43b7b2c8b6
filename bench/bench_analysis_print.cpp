// Figures for printing a full list (348000 records, 1 value a line) to a PDF file through the
// whole "Print" command: total time, pages per second, the file's size, and the longest time the
// user interface waited for its turn while the pages were drawn.
#include "measurement/RecordListModel.h"
#include "support/ScriptedDialogs.h"
#include "views/PrintRecordList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>

using namespace slm;

namespace
{

constexpr int DefaultRecords = 348000;

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Another count as the first argument, to see how the time grows with the list.
    const int Records = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : DefaultRecords;
    RecordListModel model;
    QDateTime when(QDate(2026, 1, 17), QTime(8, 0));
    for (int n = 1; n <= Records; ++n) {
        model.append(QString::number(n), when.addSecs(n).toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")),
                     QString::number(30.0 + (n * 7 % 900) / 10.0, 'f', 1));
    }
    QWidget view;
    view.setWindowTitle(QStringLiteral("List"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.pdf"));
    ScriptedDialogs dialogs;
    dialogs.printerAnswers << true;
    dialogs.printerPdfPath = path;
    dialogs.inputAnswers << QStringLiteral("1");

    ListPrintJob job;
    job.view = &view;
    job.records = &model;
    job.header.freqLabel = QStringLiteral("Freq Weight");
    job.header.freqWeight = QStringLiteral("A");
    job.header.timeLabel = QStringLiteral("Time Weight");
    job.header.timeWeight = QStringLiteral("FAST");
    job.header.rangeLabel = QStringLiteral("Level Range");
    job.header.levelRange = QStringLiteral("30-130");
    job.header.maxLabel = QStringLiteral("Max dB");
    job.header.maxDb = QStringLiteral("119.9");
    job.header.maxTime = QStringLiteral("2026/01/17 08:00:01");

    // A timer that wants a turn every 10 ms stands for the user: the longest gap between its turns
    // is how long a click waits at worst.
    QElapsedTimer clock;
    qint64 lastTurn = -1;
    qint64 longestGap = 0;
    QTimer user;
    user.setInterval(10);
    QObject::connect(&user, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastTurn >= 0)
            longestGap = std::max(longestGap, now - lastTurn);
        lastTurn = now;
    });

    QPrinter printer(QPrinter::HighResolution);
    clock.start();
    user.start();
    const ListPrintResult result = printRecordList(job, dialogs, printer);
    const double seconds = clock.nsecsElapsed() / 1e9;
    user.stop();

    // The pages are counted from the layout: lines per page at this printer's page and font.
    const ListPrintout printout(job.header, model, 1);
    QFile pdf(path);
    const qint64 bytes = QFileInfo(path).size();
    int pages = 0;
    if (pdf.open(QIODevice::ReadOnly)) {
        const QByteArray all = pdf.readAll();
        pages = int(all.count("/Type /Page\n") + all.count("/Type /Page>") + all.count("/Type /Page "));
    }
    std::printf("printed:             %s\n", result == ListPrintResult::Printed ? "yes" : "NO");
    std::printf("records:             %d (%d lines)\n", Records, printout.lineCount());
    std::printf("pages:               %d\n", pages);
    std::printf("total time:          %.2f s\n", seconds);
    std::printf("pages per second:    %.0f\n", pages / seconds);
    std::printf("PDF size:            %.1f MB\n", bytes / 1e6);
    std::printf("longest UI wait:     %lld ms\n", static_cast<long long>(longestGap));
    return result == ListPrintResult::Printed ? 0 : 1;
}
