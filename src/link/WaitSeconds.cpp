#include "link/WaitSeconds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace slm
{

void EventLoopWaiter::waitSeconds(double seconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 totalNs = static_cast<qint64>(seconds * 1e9);
    if (totalNs <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A nested loop may be left early (for example by a quit elsewhere): keep waiting until
    // the monotonic clock says the full time has passed.
    while (!cancelled()) {
        const qint64 leftNs = totalNs - elapsed.nsecsElapsed();
        if (leftNs <= 0)
            break;
        timer.start(static_cast<int>((leftNs + 999999) / 1000000));
        loop.exec();
    }
}

void WaitSeconds(double seconds)
{
    EventLoopWaiter().waitSeconds(seconds);
}

} // namespace slm
