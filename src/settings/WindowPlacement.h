#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// Window positions are given in twips, 1440 to the inch, and land on pixels at the screen's
// logical resolution.
int twipsToPixels(int twips, double dotsPerInch);
// The logical resolution of the screen the widget is on (96 when there is none).
double screenDpiX(const QWidget* widget);
double screenDpiY(const QWidget* widget);

// SamplingChoice: 1000 twips right of and below the panel's top-left corner.
QPoint samplingChoicePosition(const QRect& panelFrame, double dpiX, double dpiY);
// Setup: centred across the panel, 1000 twips below its top edge.
QPoint setupPosition(const QRect& panelFrame, int windowWidth, double dpiY);
