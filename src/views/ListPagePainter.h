#pragma once

#include <QFont>
#include <functional>

class QPainter;
class QPagedPaintDevice;

namespace slm
{

class ListPrintout;

// "Lucida Console" 8 pt where it is installed, else the first of a few common monospaced families
// whose blank, "i", "W" and "0" measure alike, else the system's fixed font, at 8 pt: so the
// columns line up wherever the program runs.
QFont listPrintFont();

enum class PaintEnd { Done, Failed, Cancelled };

// Told the index of each line before it is drawn; false stops the painting.
using LinePainted = std::function<bool(int line)>;

struct PagesPainted {
    PaintEnd end = PaintEnd::Done;
    int pages = 0;
};

// Draws the printout's lines one below the other on an open painter, in the list font, and
// starts a new page when the next line would not fit: no page header, no page number. Used for
// the printer and for the preview alike, so both show the same pages.
PagesPainted paintListPages(QPainter& painter, QPagedPaintDevice& device, const ListPrintout& printout,
                            const LinePainted& progress = {});

} // namespace slm
