#include "shared/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace slm
{

int twipsToPixels(int twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

static const QScreen* screenOf(const QWidget* widget)
{
    return widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
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

} // namespace slm
