#include "analysis/LnStatistics.h"

#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/TextHelpers.h"
#include "shared/TimersPaused.h"

#include <QCoreApplication>
#include <QPointer>

namespace slm
{

QString lnProgressText(qint64 done, qint64 total)
{
    return percentCompleted(total > 0 ? double(done) / double(total) * 100.0 : 100.0);
}

std::optional<LnResult> runLnStatistics(const RecordListModel& list, LnResolution resolution,
                                        PanelTimers* timers, BusyCaption* caption)
{
    TimersPaused paused(timers);
    BusyScope busy(caption);
    // Pending events run during the count (the caption must repaint, the window stay alive), and
    // one of them may close the list's window; the pointer notices that.
    QPointer<const QObject> alive(&list);
    const int n = list.recordCount();
    LnClassCounter counter;
    qint64 shownTenths = -1;
    for (int row = 1; row <= n; ++row) {
        counter.add(list.textBytes(row, 2));
        // The caption changes at most a thousand times, however long the list: updating and
        // handling events after every one of 348000 records would cost more than the count.
        const qint64 tenths = qint64(row) * 1000 / n;
        if (tenths != shownTenths) {
            shownTenths = tenths;
            busy.setCaption(lnProgressText(row, n));
            QCoreApplication::processEvents();
            if (!alive || list.recordCount() < n)
                return std::nullopt;
        }
    }
    return counter.finish(resolution);
}

} // namespace slm
