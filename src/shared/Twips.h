#pragma once

class QWidget;

namespace slm
{

// Window sizes and positions are given in twips, 1440 to the inch, and land on pixels at the
// screen's logical resolution.
int twipsToPixels(int twips, double dotsPerInch);
// The logical resolution of the screen the widget is on (96 when there is none).
double screenDpiX(const QWidget* widget);
double screenDpiY(const QWidget* widget);

} // namespace slm
