#pragma once

#include "views/RecordListPrintout.h"

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace slm
{

class BusyCaption;
class Dialogs;
class PanelTimers;
class RecordListModel;
class ReentryFlag;

// One list window's printout: the window (parent of the dialogs; its caption shows the
// progress), its records and the header read from its fields.
struct ListPrintJob {
    QWidget* view = nullptr;
    const RecordListModel* records = nullptr;
    ListPrintHeader header;
    PanelTimers* timers = nullptr;  // the panel's two timers, off while the pages are drawn
    BusyCaption* caption = nullptr; // null: the view's own caption and the application's pointer
};

enum class ListPrintResult {
    Printed,
    Ended,   // printer dialog cancelled or empty answer: nothing happened, nothing said
    Stopped, // the user cancelled while the pages were drawn
    Failed,  // the printer failed; the job was abandoned and the user told
};

QString recordsPerLinePrompt();
// Told when a printout was cancelled or failed after it started: whether the part already
// drawn could be withdrawn decides what is said.
QString printStoppedText(bool withdrawn);
QString printFailedText(bool withdrawn);

// "Print" of a list window: the printer dialog, the printer note, the copies, the question how
// many records a line carries (asked again until 1..5), then every copy in one job with the
// window's caption counting and a progress window whose Cancel abandons the job.
ListPrintResult printRecordList(const ListPrintJob& job, Dialogs& dialogs, QPrinter& printer);

// "Print Preview" of a list window: the same question, then the pages "Print" would send, drawn
// by the same steps, in the print preview; printing from there sends them as "Print" does.
ListPrintResult previewRecordList(const ListPrintJob& job, Dialogs& dialogs, QPrinter& printer);

// A system without any printer still prints: to a PDF file, named after the document here
// unless the user picks another in the printer dialog.
void offerPdfWithoutPrinter(QPrinter& printer, const QString& documentName);

enum class ListPrintMode { Print, Preview };

// "Print" or "Print Preview" from a list window's menu: one at a time (chosen again while one
// runs, it ends at once), nothing without dialogs, on a fresh high-resolution printer that falls
// back to a PDF file named after the window. The job is read from the window only once it runs.
ListPrintResult runListPrint(ListPrintMode mode, ReentryFlag& printing, Dialogs* dialogs,
                             const std::function<ListPrintJob()>& makeJob);

} // namespace slm
