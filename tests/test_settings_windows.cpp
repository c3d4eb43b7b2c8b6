// The clock window and the sampling-source window over a scripted link.
#include "settings/MeterClock.h"
#include "settings/SamplingChoice.h"
#include "settings/Setup.h"
#include "shared/PanelState.h"
#include "shared/WindowPlacement.h"
#include "support/CountingPanelTimers.h"
#include "support/ScriptedLink.h"
#include "support/TestServices.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace slm;

namespace
{
struct Fixture : TestServices<ScriptedLink> {
    PanelState state;
    CountingPanelTimers timers;
    QWidget panel;
    Fixture() : TestServices(QDateTime(QDate(2031, 1, 1), QTime(0, 0, 0)))
    {
        panel.setGeometry(40, 30, 900, 600);
        panel.show();
    }
};

QLabel* label(QWidget& w, const char* name)
{
    return w.findChild<QLabel*>(QString::fromLatin1(name));
}

void click(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton);
}
} // namespace

class TestControlWindows : public QObject
{
    Q_OBJECT
private slots:
    void clockText();
    void setupControls();
    void setTimeWritesPcClockInBcd();
    void meterReadoutShowsReplyAndStopsPanelTimers();
    void bothReadoutsOffSendNothing();
    void silentMeterTickGivesUpAfterBound();
    void closingRestartsPanelTimers();
    void samplingChoiceKeepsFlagUnlessConfirmed();
    void placement();
    void readoutsAreButtonsForKeysAndScreenReaders();
};

void TestControlWindows::clockText()
{
    QCOMPARE(meterClockText(QByteArray::fromHex("050907030226")), QStringLiteral("2026/02/03 07:09:05"));
    QCOMPARE(meterClockText(QByteArray::fromHex("1a59230112990000")), QStringLiteral("2099/12/01 23:59:1A"));
    QCOMPARE(pcClockText(QDateTime(QDate(2026, 12, 6), QTime(18, 46, 16))),
             QStringLiteral("2026/12/06 18:46:16"));
}

void TestControlWindows::setupControls()
{
    Fixture f;
    Setup w(f.services, f.timers, &f.panel);
    QCOMPARE(w.windowTitle(), QStringLiteral("Setup"));
    QCOMPARE(label(w, "LblMeterTime")->text(), QStringLiteral("Meter Time"));
    QCOMPARE(label(w, "LblPCTime")->text(), QStringLiteral("PC System Time"));
    QCOMPARE(w.findChild<QPushButton*>("CmdSetTime")->text(),
             QStringLiteral("Set Meter Time To System Time"));
    QCOMPARE(w.findChild<QPushButton*>("CmdExit")->text(), QStringLiteral("Exit"));
    auto* timer = w.findChild<QTimer*>("Timer1");
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 350);
}

void TestControlWindows::setTimeWritesPcClockInBcd()
{
    Fixture f;
    Setup w(f.services, f.timers, &f.panel);
    w.show();
    click(w.findChild<QPushButton*>("CmdSetTime"));
    QCOMPARE(f.link.writes(), QList<QByteArray>{QByteArray::fromHex("42000000010131")});
    QCOMPARE(f.timers.switches, QList<bool>{false}); // the panel stays off until the window closes
    QVERIFY(w.findChild<QTimer*>("Timer1")->isActive());
}

void TestControlWindows::meterReadoutShowsReplyAndStopsPanelTimers()
{
    Fixture f;
    f.link.respond = [](const QByteArray& b) {
        return b == "I" ? QByteArray::fromHex("050907030226") : QByteArray();
    };
    Setup w(f.services, f.timers, &f.panel);
    w.show();
    click(label(w, "LblMeterTime"));
    click(label(w, "LblPCTime"));
    w.tick();
    QCOMPARE(label(w, "LblMeterTime")->text(), QStringLiteral("2026/02/03 07:09:05"));
    QCOMPARE(label(w, "LblPCTime")->text(), QStringLiteral("2031/01/01 00:00:00"));
    QCOMPARE(f.link.writes(), QList<QByteArray>{"I"});
    QCOMPARE(f.timers.switches, QList<bool>{false});
    // Switched off again, both captions come back at the next tick and nothing is sent.
    click(label(w, "LblMeterTime"));
    click(label(w, "LblPCTime"));
    w.tick();
    QCOMPARE(label(w, "LblMeterTime")->text(), QStringLiteral("Meter Time"));
    QCOMPARE(label(w, "LblPCTime")->text(), QStringLiteral("PC System Time"));
    QCOMPARE(f.link.writes().size(), 1);
}

void TestControlWindows::bothReadoutsOffSendNothing()
{
    Fixture f;
    Setup w(f.services, f.timers, &f.panel);
    w.show();
    QTest::qWait(800); // two ticks of its own timer
    QVERIFY(f.link.writes().isEmpty());
    QVERIFY(f.timers.switches.isEmpty());
    QCOMPARE(label(w, "LblMeterTime")->text(), QStringLiteral("Meter Time"));
    QCOMPARE(label(w, "LblPCTime")->text(), QStringLiteral("PC System Time"));
}

void TestControlWindows::silentMeterTickGivesUpAfterBound()
{
    Fixture f;
    Setup w(f.services, f.timers, &f.panel);
    w.show();
    w.toggleMeterTime();
    int otherEvents = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++otherEvents; });
    other.start(50);
    QElapsedTimer t;
    t.start();
    w.tick();
    const qint64 ms = t.elapsed();
    QVERIFY2(ms >= 1000 && ms < 2500, qPrintable(QString::number(ms)));
    QVERIFY(otherEvents >= 10); // the window kept running its events
    QCOMPARE(label(w, "LblMeterTime")->text(), QStringLiteral("Meter Time"));
    QVERIFY(f.link.writes().size() > 10);
    QVERIFY(!f.lock.busy());
    // The next tick tries again and this time the meter answers.
    f.link.clearWrites();
    f.link.respond = [](const QByteArray& b) {
        return b == "I" ? QByteArray::fromHex("000000010131") : QByteArray();
    };
    w.tick();
    QCOMPARE(label(w, "LblMeterTime")->text(), QStringLiteral("2031/01/01 00:00:00"));
    QCOMPARE(f.link.writes(), QList<QByteArray>{"I"});
}

void TestControlWindows::closingRestartsPanelTimers()
{
    Fixture f;
    f.link.respond = [](const QByteArray& b) {
        return b == "I" ? QByteArray::fromHex("050907030226") : QByteArray();
    };
    {
        Setup w(f.services, f.timers, &f.panel);
        w.show();
        w.toggleMeterTime();
        w.tick();
        w.toggleMeterTime(); // readout off again: the panel's timers still wait for the close
        w.tick();
        QCOMPARE(f.timers.switches, QList<bool>{false});
        click(w.findChild<QPushButton*>("CmdExit"));
        QVERIFY(!w.isVisible());
        QCOMPARE(f.timers.switches, (QList<bool>{false, true}));
        QVERIFY(!w.findChild<QTimer*>("Timer1")->isActive());
    }
    QCOMPARE(f.timers.switches.size(), 2); // not switched again when the window goes
    // Closed by the window's own close, without any exchange: on as well.
    Setup w2(f.services, f.timers, &f.panel);
    w2.show();
    w2.close();
    QCOMPARE(f.timers.switches.last(), true);
}

void TestControlWindows::samplingChoiceKeepsFlagUnlessConfirmed()
{
    Fixture f;
    {
        SamplingChoice w(&f.panel);
        QCOMPARE(w.windowTitle(), QStringLiteral("Sampling Rate"));
        QVERIFY(w.isModal());
        auto* meter = w.findChild<QRadioButton*>("OptMeter");
        QCOMPARE(meter->text(), QStringLiteral("Meter Sampling Rate"));
        QVERIFY(meter->isChecked());
        w.show();
        click(w.findChild<QPushButton*>("CmdOK")); // untouched options: the meter's rate
        QCOMPARE(w.usePcSampling(), std::optional<bool>(false));
    }
    {
        SamplingChoice w(&f.panel);
        w.show();
        w.findChild<QRadioButton*>("OptPC")->click();
        QCOMPARE(w.findChild<QRadioButton*>("OptPC")->text(), QStringLiteral("PC Sampling Rate"));
        click(w.findChild<QPushButton*>("CmdOK"));
        QCOMPARE(w.usePcSampling(), std::optional<bool>(true));
    }
    {
        SamplingChoice w(&f.panel);
        QVERIFY(w.findChild<QRadioButton*>("OptMeter")->isChecked()); // every opening starts there
        w.show();
        w.close();
        QVERIFY(!w.usePcSampling().has_value()); // the last answer stands
    }
}

void TestControlWindows::placement()
{
    QCOMPARE(twipsToPixels(1440, 96), 96);
    QCOMPARE(twipsToPixels(1000, 96), 67);
    QCOMPARE(twipsToPixels(1000, 120), 83);
    QCOMPARE(samplingChoicePosition(QRect(10, 20, 800, 600), 96, 96), QPoint(77, 87));
    QCOMPARE(setupPosition(QRect(10, 20, 800, 600), 300, 96), QPoint(260, 87));

    Fixture f;
    const double dpi = screenDpiY(&f.panel);
    SamplingChoice choice(&f.panel);
    QCOMPARE(choice.pos(), f.panel.frameGeometry().topLeft() +
                               QPoint(twipsToPixels(1000, screenDpiX(&f.panel)), twipsToPixels(1000, dpi)));
    Setup setup(f.services, f.timers, &f.panel);
    QCOMPARE(setup.pos(), setupPosition(f.panel.frameGeometry(), setup.frameGeometry().width(), dpi));
}

void TestControlWindows::readoutsAreButtonsForKeysAndScreenReaders()
{
    Fixture f;
    f.link.respond = [](const QByteArray& b) {
        return b == "I" ? QByteArray::fromHex("050907030226") : QByteArray();
    };
    Setup w(f.services, f.timers, &f.panel);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // It still opens on Exit, so an Enter at once closes it rather than reaching a readout.
    QCOMPARE(QApplication::focusWidget(), w.findChild<QPushButton*>(QStringLiteral("CmdExit")));

    // The press action of the meter readout is its click: the next tick reads the meter.
    QAccessibleInterface* meter = QAccessible::queryAccessibleInterface(label(w, "LblMeterTime"));
    QVERIFY(meter);
    QCOMPARE(meter->role(), QAccessible::Button);
    QCOMPARE(meter->text(QAccessible::Name), QStringLiteral("Meter Time"));
    QVERIFY(meter->actionInterface());
    QVERIFY(meter->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    meter->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    w.tick();
    QCOMPARE(label(w, "LblMeterTime")->text(), QStringLiteral("2026/02/03 07:09:05"));
    QCOMPARE(meter->text(QAccessible::Name), QStringLiteral("2026/02/03 07:09:05"));
    QCOMPARE(f.link.writes(), QList<QByteArray>{"I"});
    meter->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    w.tick();
    QCOMPARE(label(w, "LblMeterTime")->text(), QStringLiteral("Meter Time"));
    QCOMPARE(f.link.writes().size(), 1);

    // Tab reaches the PC readout; Space switches it on, Enter off, and the window stays open.
    QLabel* pc = label(w, "LblPCTime");
    for (int i = 0; i < 6 && QApplication::focusWidget() != pc; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), pc);
    QTest::keyClick(pc, Qt::Key_Space);
    w.tick();
    QCOMPARE(pc->text(), QStringLiteral("2031/01/01 00:00:00"));
    QTest::keyClick(pc, Qt::Key_Return);
    w.tick();
    QCOMPARE(pc->text(), QStringLiteral("PC System Time"));
    QVERIFY(w.isVisible());
    QCOMPARE(f.link.writes().size(), 1);
}

QTEST_MAIN(TestControlWindows)
#include "test_settings_windows.moc"
