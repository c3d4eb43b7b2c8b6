#pragma once

#include <QString>

namespace slm
{

// The six-line note shown after the printer dialog, lines joined by a carriage return alone.
QString printerNoteText();

} // namespace slm
