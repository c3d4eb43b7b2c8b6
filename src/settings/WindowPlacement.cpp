#include "settings/WindowPlacement.h"


QPoint samplingChoicePosition(const QRect& panelFrame, double dpiX, double dpiY)
{
    return panelFrame.topLeft() + QPoint(twipsToPixels(1000, dpiX), twipsToPixels(1000, dpiY));
}

QPoint setupPosition(const QRect& panelFrame, int windowWidth, double dpiY)
{
    return QPoint(panelFrame.left() + (panelFrame.width() - windowWidth) / 2,
                  panelFrame.top() + twipsToPixels(1000, dpiY));
}
