#pragma once

#include "shared/PrinterNote.h"

#include <QList>
#include <QString>
#include <functional>

class QWidget;
class QPrinter;
class QCPPainter;

namespace slm
{

class Dialogs;
class Graph;

// How one graph window is printed. The common steps are done by printGraphWindow; a window adds
// its own (sizes, positions, caption) through `prepare` and undoes them in `restore`.
struct GraphPrintJob {
    QWidget* window = nullptr;           // its client area becomes the page
    Graph* graph = nullptr;              // its plot area is printed on white
    QList<QWidget*> hiddenWhilePrinting; // frames and toolbars left off the page
    bool showPrinterNote = false;        // the note after the dialog
    bool pagePerCopy = false;            // print the client area once per copy chosen in the dialog
    std::function<void()> prepare;       // after the common steps, before the page is drawn
    std::function<void()> restore;       // runs whenever prepare ran, also when printing failed
};

// Shows the printer dialog (cancel ends here and returns false), then the note if asked, sets
// the white background and plot area, hides the frames, draws the client area scaled to fit one
// page (or one page per copy) and puts the window back as it was, whether or not printing
// worked. Returns true when the pages went to the printer.
bool printGraphWindow(const GraphPrintJob& job, Dialogs& dialogs, QPrinter& printer);

// The pages of a print, without the dialog and the note: what "Print" sends and what the preview
// shows. False when the printer failed.
bool paintGraphPages(const GraphPrintJob& job, QPrinter& printer);

// "Print Preview" of a graph window: the pages "Print" would send, in the print preview, from
// which the user may print them. True when they were printed from there.
bool previewGraphWindow(const GraphPrintJob& job, Dialogs& dialogs, QPrinter& printer);

// Where a graph window's pages go: straight to the printer, or into the print preview first.
enum class PrintOutput { Printer, Preview };
bool outputGraphWindow(const GraphPrintJob& job, Dialogs& dialogs, QPrinter& printer, PrintOutput output);

// Draws the window's client area as one page on an open painter's device, scaled to fit and
// keeping its aspect. A graph given here is drawn again on top as lines and text rather than as
// its screen picture, so it prints sharp at the printer's resolution.
void drawWindowPage(QWidget* window, QCPPainter& painter, Graph* sharpGraph = nullptr);

} // namespace slm
