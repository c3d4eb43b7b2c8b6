#include "shared/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace slm
{

QPoint samplingChoicePosition(const QRect& panelFrame, double dpiX, double dpiY)
{
    return panelFrame.topLeft() + QPoint(twipsToPixels(1000, dpiX), twipsToPixels(1000, dpiY));
}

QPoint setupPosition(const QRect& panelFrame, int windowWidth, double dpiY)
{
    return QPoint(panelFrame.left() + (panelFrame.width() - windowWidth) / 2,
                  panelFrame.top() + twipsToPixels(1000, dpiY));
}

void placeBesidePanel(QWidget* window, const QWidget* panel)
{
    if (!panel)
        return;
    const QRect frame = panel->frameGeometry();
    int x = frame.right() + 1;
    // A wide panel would push the window off the screen: slide it back just enough to be seen.
    if (const QScreen* screen = panel->screen()) {
        const QRect room = screen->availableGeometry();
        const QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
        // Before it is shown the window has no frame yet; the panel's frame is the best guess.
        const int frameWidth = size.width() + frame.width() - panel->width();
        x = std::max(room.left(), std::min(x, room.right() + 1 - frameWidth));
    }
    window->move(x, frame.top());
}

void placeAtScreenTopLeft(QWidget* window)
{
    QPoint corner(0, 0);
    const QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect room = screen->availableGeometry();
        // Before it is shown the window has no frame: keep room for a usual title bar and border.
        const QRect frame = window->frameGeometry();
        const QSize extra = window->isVisible() ? frame.size() - window->size() : QSize(16, 40);
        const QSize most = room.size() - extra;
        if (window->width() > most.width() || window->height() > most.height())
            window->resize(std::min(window->width(), most.width()),
                           std::min(window->height(), most.height()));
        if (!room.contains(corner))
            corner = room.topLeft();
    }
    window->move(corner);
}

} // namespace slm
