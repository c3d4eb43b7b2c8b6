#include "settings/WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <cmath>

int twipsToPixels(int twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

static const QScreen* screenOf(const QWidget* widget)
{
    return widget ? widget->screen() : nullptr;
}

double screenDpiX(const QWidget* widget)
{
    const QScreen* s = screenOf(widget);
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double screenDpiY(const QWidget* widget)
{
    const QScreen* s = screenOf(widget);
    return s ? s->logicalDotsPerInchY() : 96.0;
}

QPoint samplingChoicePosition(const QRect& panelFrame, double dpiX, double dpiY)
{
    return panelFrame.topLeft() + QPoint(twipsToPixels(1000, dpiX), twipsToPixels(1000, dpiY));
}

QPoint setupPosition(const QRect& panelFrame, int windowWidth, double dpiY)
{
    return QPoint(panelFrame.left() + (panelFrame.width() - windowWidth) / 2,
                  panelFrame.top() + twipsToPixels(1000, dpiY));
}
