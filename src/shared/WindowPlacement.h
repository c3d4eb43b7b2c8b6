#pragma once

#include "shared/Twips.h"

#include <QPoint>
#include <QRect>

class QWidget;

namespace slm
{

// SamplingChoice: 1000 twips right of and below the panel's top-left corner.
QPoint samplingChoicePosition(const QRect& panelFrame, double dpiX, double dpiY);
// Setup: centred across the panel, 1000 twips below its top edge.
QPoint setupPosition(const QRect& panelFrame, int windowWidth, double dpiY);
// Windows that show a result open right of the panel, level with its top, and on the screen.
void placeBesidePanel(QWidget* window, const QWidget* panel);
// The live windows open in the screen's top-left corner (0, 0). Where that corner is not free
// (a bar along the top or the left) or the window is larger than the screen, the window moves
// and shrinks just enough to be seen whole.
void placeAtScreenTopLeft(QWidget* window);

} // namespace slm
