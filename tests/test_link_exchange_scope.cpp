// The one scope of every exchange with the meter: it refuses a held link with one note, pauses
// the panel's timers and holds the link, and undoes both however the exchange ends.
#include "link/ExchangeScope.h"
#include "shared/ReentryGuard.h"
#include "support/CountingPanelTimers.h"
#include "support/QuietLink.h"
#include "support/TestServices.h"

#include <QtTest>
#include <stdexcept>

using namespace slm;

namespace
{
struct Fixture : TestServices<QuietLink> {
    Fixture()
    {
        QObject::connect(&notices, &StatusNotices::posted, [this](const QString& s) { notes << s; });
    }
    CountingPanelTimers timers;
    QStringList notes;
};
} // namespace

class TestExchangeScope : public QObject
{
    Q_OBJECT
private slots:
    void freeLinkIsHeldWithTheTimersOff()
    {
        Fixture f;
        {
            const ExchangeScope exchange(f.services, &f.timers);
            QVERIFY(exchange.entered());
            QVERIFY(f.lock.busy());
            QVERIFY(!f.timers.livePollEnabled());
        }
        QVERIFY(!f.lock.busy());
        QCOMPARE(f.timers.switches, (QList<bool>{false, true}));
        QVERIFY(f.notes.isEmpty());
        QCOMPARE(f.lock.uses(), 1);
    }

    // A click that lands inside another exchange's wait: nothing is held, nothing switched,
    // one note; the outer exchange keeps the link and its own timer switches.
    void heldLinkIsRefusedWithOneNote()
    {
        Fixture f;
        {
            const ExchangeScope outer(f.services, &f.timers);
            {
                const ExchangeScope inner(f.services, &f.timers);
                QVERIFY(!inner.entered());
            }
            QVERIFY(f.lock.busy());
            QCOMPARE(f.timers.switches, QList<bool>{false});
        }
        QVERIFY(!f.lock.busy());
        QCOMPARE(f.timers.switches, (QList<bool>{false, true}));
        QCOMPARE(f.notes, QStringList{ExchangeScope::busyText()});
    }

    void silentRefusalAndCheckBeforeOpeningAWindow()
    {
        Fixture f;
        QVERIFY(!ExchangeScope::refuseWhileBusy(f.services));
        LinkLock::Hold other(f.lock);
        {
            const ExchangeScope quiet(f.services, &f.timers, ExchangeScope::Refusal::Silent);
            QVERIFY(!quiet.entered());
        }
        QVERIFY(f.notes.isEmpty());
        QVERIFY(ExchangeScope::refuseWhileBusy(f.services));
        QCOMPARE(f.notes, QStringList{ExchangeScope::busyText()});
        QVERIFY(f.timers.switches.isEmpty());
    }

    // Key presses hold the link but leave the timers to themselves.
    void withoutTimersOnlyTheLinkIsHeld()
    {
        Fixture f;
        {
            const ExchangeScope key(f.services, nullptr);
            QVERIFY(key.entered());
            QVERIFY(f.lock.busy());
        }
        QVERIFY(!f.lock.busy());
        QVERIFY(f.timers.switches.isEmpty());
    }

    void anEndByExceptionRestoresBoth()
    {
        Fixture f;
        try {
            const ExchangeScope exchange(f.services, &f.timers);
            throw std::runtime_error("reply could not be read");
        } catch (const std::runtime_error&) {
        }
        QVERIFY(!f.lock.busy());
        QCOMPARE(f.timers.switches, (QList<bool>{false, true}));
    }

    // The program closed during the exchange's wait: its timers stay off for good.
    void aClosingProgramKeepsTheTimersOff()
    {
        Fixture f;
        {
            const ExchangeScope exchange(f.services, &f.timers);
            f.waiter.cancel();
        }
        QVERIFY(!f.lock.busy());
        QCOMPARE(f.timers.switches, QList<bool>{false});
    }

    void pausedTimersCanBeLeftToANewerPause()
    {
        CountingPanelTimers timers;
        {
            TimersPaused older(&timers);
            {
                TimersPaused newer(&timers);
            }
            older.leaveOffAtEnd();
        }
        QCOMPARE(timers.switches, (QList<bool>{false, false, true}));
    }

    void reentryGuardEntersOnceAndLeavesOnExit()
    {
        ReentryFlag flag;
        {
            const ReentryFlag::Guard first(flag);
            QVERIFY(first.entered());
            QVERIFY(flag.active());
            {
                const ReentryFlag::Guard nested(flag);
                QVERIFY(!nested.entered());
            }
            QVERIFY(flag.active()); // the refused guard does not clear the running one
        }
        QVERIFY(!flag.active());
        const ReentryFlag::Guard again(flag);
        QVERIFY(again.entered());
    }
};

QTEST_MAIN(TestExchangeScope)
#include "test_link_exchange_scope.moc"
