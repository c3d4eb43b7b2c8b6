#include "link/MeterAttention.h"

#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/WaitSeconds.h"
#include "shared/Services.h"

#include <QElapsedTimer>

namespace slm
{

bool MeterAttention(const MeterLine& s, double timeoutSeconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    const auto timedOut = [&] { return elapsed.nsecsElapsed() >= static_cast<qint64>(timeoutSeconds * 1e9); };
    while (true) {
        s.link.flush();
        do {
            s.link.output(MeterCommands::Attention());
            s.waiter.waitSeconds(0.2);
            if (timedOut() && s.link.inBufferCount() < 6)
                return false;
        } while (s.link.inBufferCount() < 6);
        const QByteArray block = s.link.readAll();
        if (MeterCommands::endsWithAck(block))
            return true;
        if (timedOut())
            return false;
    }
}

} // namespace slm
