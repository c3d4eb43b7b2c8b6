#include "views/PrintRecordList.h"

#include "shared/BusyCaption.h"
#include "shared/Dialogs.h"
#include "shared/PrinterNote.h"
#include "shared/ReentryGuard.h"
#include "shared/TimersPaused.h"
#include "views/ListPagePainter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QWidget>
#include <algorithm>
#include <optional>

namespace slm
{

namespace
{

// How often a printout shows its progress and lets the user interface run. Per line, as often
// as every line, would cost more than the drawing itself on a long list.
constexpr qint64 EventsEveryMs = 40;

std::optional<int> askRecordsPerLine(QWidget* view, Dialogs& dialogs)
{
    for (;;) {
        const QString answer = dialogs.input(view, recordsPerLinePrompt(), QString(), QStringLiteral("1"));
        if (answer.isEmpty())
            return std::nullopt;
        if (const std::optional<int> perLine = recordsPerLineFrom(answer))
            return perLine;
    }
}

// Takes back what was drawn of a job that does not finish: the print engine's abort where it has
// one, and the file of a printout to a file. True when nothing of it remains.
bool withdraw(QPrinter& printer, QPainter& painter)
{
    const bool aborted = printer.abort();
    painter.end();
    const QString file = printer.outputFileName();
    const bool removed = !file.isEmpty() && (!QFileInfo::exists(file) || QFile::remove(file));
    return aborted || removed;
}

// Draws every copy onto the printer in one job, the panel's timers off and the caption counting;
// a progress window offers Cancel while it runs.
ListPrintResult sendPrintout(const ListPrintJob& job, Dialogs& dialogs, QPrinter& printer, int perLine,
                             int copies)
{
    const QPointer<QWidget> view(job.view);
    WidgetBusyCaption ownCaption(job.view);
    const TimersPaused paused(job.timers);
    BusyScope busy(job.caption ? job.caption : &ownCaption);
    const ListPrintout printout(job.header, *job.records, perLine, copies);

    QPainter painter;
    if (!painter.begin(&printer)) {
        dialogs.message(view, printFailedText(true), QString(), Dialogs::Icon::Warning);
        return ListPrintResult::Failed;
    }

    // Owned here, parented to the view for its place on screen; the view may go while events run.
    QPointer<QProgressDialog> progress = new QProgressDialog(view);
    progress->setObjectName(QStringLiteral("PrintProgress"));
    progress->setAccessibleName(QStringLiteral("Printing"));
    progress->setWindowTitle(QStringLiteral("Print"));
    progress->setLabelText(QStringLiteral("Printing..."));
    progress->setCancelButtonText(QStringLiteral("Cancel"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(500);
    progress->setRange(0, printout.lineCount());
    // Escape closes a dialog by rejecting it, which a progress dialog does not count as Cancel.
    QObject::connect(progress, &QDialog::rejected, progress, &QProgressDialog::cancel);

    QElapsedTimer sinceEvents;
    const auto onLine = [&](int line) {
        const int first = printout.firstRecord(line);
        // The first record line of a copy always shows; after that, as often as the clock says.
        if (first != 1 && sinceEvents.isValid() && sinceEvents.elapsed() < EventsEveryMs)
            return true;
        sinceEvents.start();
        if (first > 0)
            busy.setCaption(QString::number(first) + QStringLiteral(" Completed"));
        if (progress)
            progress->setValue(line);
        QCoreApplication::processEvents();
        // A list whose window closed meanwhile has gone with it: nothing more can be read.
        return view && progress && !progress->wasCanceled();
    };
    const PagesPainted painted = paintListPages(painter, printer, printout, onLine);
    delete progress.data();

    if (painted.end == PaintEnd::Done) {
        if (painter.end() && printer.printerState() != QPrinter::Error)
            return ListPrintResult::Printed;
        // The engine reports the failure only as the job ends; the file it left is incomplete.
        const QString file = printer.outputFileName();
        const bool removed = !file.isEmpty() && (!QFileInfo::exists(file) || QFile::remove(file));
        dialogs.message(view, printFailedText(removed), QString(), Dialogs::Icon::Warning);
        return ListPrintResult::Failed;
    }
    const bool withdrawn = withdraw(printer, painter);
    if (painted.end == PaintEnd::Cancelled) {
        dialogs.message(view, printStoppedText(withdrawn), QString(), Dialogs::Icon::Information);
        return ListPrintResult::Stopped;
    }
    dialogs.message(view, printFailedText(withdrawn), QString(), Dialogs::Icon::Warning);
    return ListPrintResult::Failed;
}

} // namespace

QString recordsPerLinePrompt()
{
    return QStringLiteral("Input record(s) to print in one row (1-5)");
}

QString printStoppedText(bool withdrawn)
{
    return withdrawn ? QStringLiteral("Printing cancelled. Nothing was sent to the printer.")
                     : QStringLiteral("Printing cancelled. The printer may still print the pages it has.");
}

QString printFailedText(bool withdrawn)
{
    return withdrawn ? QStringLiteral("Printing failed. The printout was cancelled; nothing was printed.")
                     : QStringLiteral("Printing failed. The printout was cancelled; part of it may "
                                      "still be printed.");
}

ListPrintResult printRecordList(const ListPrintJob& job, Dialogs& dialogs, QPrinter& printer)
{
    if (!job.view || !job.records || !dialogs.choosePrinter(job.view, printer))
        return ListPrintResult::Ended;
    dialogs.message(job.view, printerNoteText(), QString(), Dialogs::Icon::None);
    // Every copy is drawn into the one job, so the driver must not multiply them again.
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    const std::optional<int> perLine = askRecordsPerLine(job.view, dialogs);
    if (!perLine)
        return ListPrintResult::Ended;
    return sendPrintout(job, dialogs, printer, *perLine, copies);
}

ListPrintResult previewRecordList(const ListPrintJob& job, Dialogs& dialogs, QPrinter& printer)
{
    if (!job.view || !job.records)
        return ListPrintResult::Ended;
    const std::optional<int> perLine = askRecordsPerLine(job.view, dialogs);
    if (!perLine)
        return ListPrintResult::Ended;
    ListPrintResult sent = ListPrintResult::Ended;
    // The preview draws its pages, and the print from it sends them, by the same steps as
    // "Print"; copies chosen in the preview's printer dialog go into the one job as well.
    const bool printed = dialogs.previewPrint(job.view, printer, [&](QPrinter* target) {
        const int copies = std::max(1, target->copyCount());
        target->setCopyCount(1);
        sent = sendPrintout(job, dialogs, *target, *perLine, copies);
    });
    return printed ? sent : ListPrintResult::Ended;
}

void offerPdfWithoutPrinter(QPrinter& printer, const QString& documentName)
{
    printer.setDocName(documentName);
    if (!QPrinterInfo::availablePrinters().isEmpty())
        return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString stem = QFileInfo(documentName).completeBaseName();
    printer.setOutputFileName(
        QDir::home().filePath((stem.isEmpty() ? QStringLiteral("list") : stem) + QStringLiteral(".pdf")));
}

ListPrintResult runListPrint(ListPrintMode mode, ReentryFlag& printing, Dialogs* dialogs,
                             const std::function<ListPrintJob()>& makeJob)
{
    ReentryFlag::Guard guard(printing);
    if (!guard.entered() || !dialogs)
        return ListPrintResult::Ended;
    const ListPrintJob job = makeJob();
    QPrinter printer(QPrinter::HighResolution);
    offerPdfWithoutPrinter(printer, job.view ? job.view->windowTitle() : QString());
    return mode == ListPrintMode::Print ? printRecordList(job, *dialogs, printer)
                                        : previewRecordList(job, *dialogs, printer);
}

} // namespace slm
