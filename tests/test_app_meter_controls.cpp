// The meter keys, the toolbar's setting commands and the clock window against the simulated
// meter over a real pseudo-terminal, through the panel's own buttons.
#include "live/MeterKeys.h"
#include "recording/Recorder.h"
#include "settings/Setup.h"
#include "settings/ToolbarCommands.h"
#include "support/SimPanelRig.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QtTest>

using namespace slm;

namespace
{
const char* const RangeTexts[] = {"80-140", "70-130", "60-120", "50-110", "40-100", "30-90"};

SimPanelOptions fastMeter()
{
    SimPanelOptions o;
    o.sim.pacing = false;
    o.sim.level = 62.5;
    o.sim.clock = "2026-02-03 07:09:05";
    o.wiring = true;
    o.fixedTime = QDateTime(QDate(2031, 1, 1), QTime(0, 0, 0));
    return o;
}

struct Rig : SimPanelRig {
    Rig() : SimPanelRig(fastMeter()) {}

    bool start()
    {
        if (!SimPanelRig::start())
            return false;
        panel->show();
        return startUp() && rangeShown(3);
    }

    QString text(const char* name) const
    {
        return panel->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    QPushButton* button(const char* name) const
    {
        return panel->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    bool rangeShown(int index) const
    {
        return QTest::qWaitFor([&] { return text("BoardLevel") == QLatin1String(RangeTexts[index]); }, 3000);
    }
    // Every byte the meter got since the last clear, once at least count have arrived.
    QByteArray received(std::size_t count = 0)
    {
        meter.waitForReceived(count, std::chrono::milliseconds(2000));
        const std::string b = meter.receivedBytes();
        return QByteArray(b.data(), static_cast<qsizetype>(b.size()));
    }
    void toolbar(const char* key) { panel->widgets().toolButtons.value(QString::fromLatin1(key))->trigger(); }
    // Answers the sampling-source window once it is up, as a user would.
    static void chooseSource(bool pc)
    {
        QTimer::singleShot(0, [pc] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || w->objectName() != u"SamplingChoice")
                return;
            if (pc)
                w->findChild<QRadioButton*>(QStringLiteral("OptPC"))->click();
            w->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
        });
    }
};

// "A" one or more times, then exactly the key command.
bool attentionThenKey(const QByteArray& got, int code)
{
    QByteArray key("K\0\0", 3);
    key.append(static_cast<char>(code));
    if (!got.endsWith(key) || got.size() < 5)
        return false;
    const QByteArray head = got.left(got.size() - 4);
    return head.count('A') == head.size();
}
} // namespace

class TestControlMeter : public QObject
{
    Q_OBJECT
private slots:
    void keysDownThenUpMoveTheRange();
    void keysWorkTheMeterState();
    void toolbarSettingCommandsWriteOneLetter();
    void rangeEndsDisableUpAndDown();
    void meterSamplingSource();
    void pcSamplingSourceSendsNothing();
    void clockWindow();
    void clockWindowFromToolbarRestartsTimers();
    void silentMeterKeyPressGivesUpAndPollGoesOn();
};

void TestControlMeter::keysDownThenUpMoveTheRange()
{
    Rig r;
    QVERIFY(r.start());
    r.meter.clearLog();
    QTest::mouseClick(r.button("BtnDown"), Qt::LeftButton);
    QByteArray got = r.received(5);
    QVERIFY2(attentionThenKey(got, 0x0A), got.toHex().constData());
    QVERIFY(r.rangeShown(4));
    QCOMPARE(r.meter.status().rangeIndex, 4);

    r.meter.clearLog();
    QTest::mouseClick(r.button("BtnUp"), Qt::LeftButton);
    got = r.received(5);
    QVERIFY2(attentionThenKey(got, 0x09), got.toHex().constData());
    QVERIFY(r.rangeShown(3));
    QCOMPARE(r.meter.protocolErrors(), 0);
}

void TestControlMeter::keysWorkTheMeterState()
{
    Rig r;
    QVERIFY(r.start());
    QTest::mouseClick(r.button("BtnCA"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return r.text("BoardCA") == u"C"; }, 2000));
    QTest::mouseClick(r.button("BtnFastSlow"), Qt::LeftButton);
    QVERIFY(
        QTest::qWaitFor([&] { return r.text("BoardSFI").compare(u"Slow", Qt::CaseInsensitive) == 0; }, 2000));
    for (const char* name : {"BtnLeq", "BtnMax", "BtnDate", "BtnInteg"})
        QTest::mouseClick(r.button(name), Qt::LeftButton);
    QCOMPARE(r.meter.status().freqWeighting, slmsim::FreqWeighting::C);
    QCOMPARE(r.meter.status().timeWeighting, slmsim::TimeWeighting::Slow);
    QCOMPARE(r.meter.protocolErrors(), 0);
}

void TestControlMeter::toolbarSettingCommandsWriteOneLetter()
{
    Rig r;
    QVERIFY(r.start());
    r.meter.clearLog();
    r.toolbar("Up");
    QTest::qWait(300);
    QCOMPARE(r.received(1), QByteArray("E")); // and nothing else
    QVERIFY(r.rangeShown(2));
    QVERIFY(r.session->livePollEnabled() && r.session->samplingTickEnabled());

    r.meter.clearLog();
    r.toolbar("Down");
    r.toolbar("AC");
    r.toolbar("FSI");
    QCOMPARE(r.received(3), QByteArray("FGD"));
    QVERIFY(r.rangeShown(3));
    QVERIFY(QTest::qWaitFor([&] { return r.text("BoardCA") == u"C"; }, 2000));
    QCOMPARE(r.meter.status().timeWeighting, slmsim::TimeWeighting::Slow);
    QCOMPARE(r.meter.protocolErrors(), 0);
}

void TestControlMeter::rangeEndsDisableUpAndDown()
{
    Rig r;
    QVERIFY(r.start());
    QAction* up = r.panel->widgets().toolButtons.value(QStringLiteral("Up"));
    QAction* down = r.panel->widgets().toolButtons.value(QStringLiteral("Down"));
    for (int i = 0; i < 3; ++i)
        r.toolbar("Up");
    QVERIFY(r.rangeShown(0));
    QVERIFY(!up->isEnabled() && down->isEnabled());
    r.meter.clearLog();
    r.toolbar("Up"); // disabled: nothing goes out
    QTest::qWait(300);
    QCOMPARE(r.received(), QByteArray());
    for (int i = 0; i < 5; ++i)
        QTest::mouseClick(r.button("BtnDown"), Qt::LeftButton);
    QVERIFY(r.rangeShown(5));
    QVERIFY(up->isEnabled() && !down->isEnabled());
    QCOMPARE(r.meter.protocolErrors(), 0);
}

void TestControlMeter::meterSamplingSource()
{
    Rig r;
    QVERIFY(r.start());
    r.meter.clearLog();
    r.dialogs.inputAnswers << QStringLiteral("300");
    Rig::chooseSource(false);
    r.toolbar("Sampling");
    QCOMPARE(r.received(4), QByteArray::fromHex("4a4300ff"));
    QCOMPARE(r.dialogs.inputPrompts.last().section(u'|', 2, 2), QStringLiteral("1")); // the meter's interval
    QCOMPARE(r.wiring->settingCommands().meterSamplingTime(), 255);

    r.meter.clearLog();
    r.dialogs.inputAnswers << QStringLiteral("1");
    Rig::chooseSource(false);
    r.toolbar("Sampling");
    QCOMPARE(r.received(4), QByteArray::fromHex("4a430001"));
    QCOMPARE(r.dialogs.inputPrompts.last().section(u'|', 2, 2), QStringLiteral("255"));
    QVERIFY(QTest::qWaitFor([&] { return r.meter.status().loggingInterval == 1; }, 1000));
    QVERIFY(r.session->livePollEnabled() && r.session->samplingTickEnabled());

    // A reply one byte short keeps the last known interval as the default.
    r.meter.setWrongLengthReplies(true);
    r.dialogs.inputAnswers << QString();
    Rig::chooseSource(false);
    r.toolbar("Sampling");
    QCOMPARE(r.dialogs.inputPrompts.last().section(u'|', 2, 2), QStringLiteral("1"));
    QCOMPARE(r.wiring->settingCommands().meterSamplingTime(), 1);
    QVERIFY(r.session->livePollEnabled());
    QCOMPARE(r.meter.protocolErrors(), 0);
}

void TestControlMeter::pcSamplingSourceSendsNothing()
{
    Rig r;
    QVERIFY(r.start());
    r.meter.clearLog();
    const struct {
        const char* answer;
        int expected;
    } cases[] = {{"0", 1}, {"100000", 86400}, {"2.5", 2}, {"3.5", 4}};
    Sampling& sampling = r.session->sampling();
    for (const auto& c : cases) {
        sampling.tick(r.services.clock.now()); // the countdown away from 0
        QVERIFY(sampling.countdown() > 0);
        r.dialogs.inputAnswers << QString::fromLatin1(c.answer);
        Rig::chooseSource(true);
        r.toolbar("Sampling");
        QCOMPARE(sampling.interval(), c.expected);
        QCOMPARE(sampling.countdown(), 0);
    }
    sampling.tick(r.services.clock.now());
    const int countdown = sampling.countdown();
    QVERIFY(countdown > 0);
    r.dialogs.inputAnswers << QString();
    Rig::chooseSource(true);
    r.toolbar("Sampling");
    QCOMPARE(sampling.interval(), 4);
    QCOMPARE(sampling.countdown(), countdown);
    QVERIFY(r.wiring->settingCommands().usePcSampling());
    QTest::qWait(200);
    QCOMPARE(r.received(), QByteArray());
}

void TestControlMeter::clockWindow()
{
    Rig r;
    QVERIFY(r.start());
    r.meter.clearLog();
    Setup w(r.services, *r.session, r.panel.get());
    w.show();
    auto* meterTime = w.findChild<QLabel*>(QStringLiteral("LblMeterTime"));
    auto* pcTime = w.findChild<QLabel*>(QStringLiteral("LblPCTime"));

    QTest::qWait(800); // two ticks with both readouts off
    QCOMPARE(r.received(), QByteArray());
    QCOMPARE(meterTime->text(), QStringLiteral("Meter Time"));
    QCOMPARE(pcTime->text(), QStringLiteral("PC System Time"));
    QVERIFY(r.session->livePollEnabled());

    QTest::mouseClick(meterTime, Qt::LeftButton);
    QTest::mouseClick(pcTime, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return meterTime->text().startsWith(u"2026/02/03 07:09:0"); }, 2000));
    QCOMPARE(pcTime->text(), QStringLiteral("2031/01/01 00:00:00"));
    QVERIFY(!r.session->livePollEnabled() && !r.session->samplingTickEnabled());
    const QByteArray reads = r.received();
    QVERIFY(!reads.isEmpty() && reads.count('I') == reads.size());

    r.meter.clearLog();
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("CmdSetTime")), Qt::LeftButton);
    const QByteArray set = QByteArray::fromHex("42000000010131");
    QVERIFY(r.received(7).contains(set));
    QVERIFY(QTest::qWaitFor([&] { return meterTime->text().startsWith(u"2031/01/01 00:00:0"); }, 2000));
    QVERIFY(!r.session->livePollEnabled());

    QTest::mouseClick(meterTime, Qt::LeftButton); // readout off: the panel still waits for the close
    QTest::qWait(400);
    QVERIFY(!r.session->livePollEnabled());
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("CmdExit")), Qt::LeftButton);
    QVERIFY(r.session->livePollEnabled() && r.session->samplingTickEnabled());
    QCOMPARE(r.meter.protocolErrors(), 0);
}

void TestControlMeter::clockWindowFromToolbarRestartsTimers()
{
    Rig r;
    QVERIFY(r.start());
    bool sawSetup = false;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        sawSetup = w && w->objectName() == u"Setup";
        if (!sawSetup)
            return;
        auto* setTime = w->findChild<QPushButton*>(QStringLiteral("CmdSetTime"));
        setTime->click(); // switches the panel's timers off for the rest of the window's life
        QTimer::singleShot(400, w, [w] { w->findChild<QPushButton*>(QStringLiteral("CmdExit"))->click(); });
    });
    r.toolbar("RTC");
    QVERIFY(sawSetup);
    QVERIFY(r.session->livePollEnabled() && r.session->samplingTickEnabled());
    QVERIFY(r.rangeShown(3));
}

void TestControlMeter::silentMeterKeyPressGivesUpAndPollGoesOn()
{
    Rig r;
    QVERIFY(r.start());
    r.meter.setSilent(true);
    r.meter.clearLog();
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(r.button("BtnCA"), Qt::LeftButton);
    const qint64 ms = t.elapsed();
    QVERIFY2(ms >= 5000 && ms < 6500, qPrintable(QString::number(ms)));
    QCOMPARE(r.panel->statusBar()->currentMessage(), MeterKeys::givenUpText());
    const QByteArray got = r.received();
    QVERIFY(got.size() >= 20 && got.count('A') == got.size()); // never the key command

    // The poll runs again: it notices the silent meter and, waiting inside its tick for frames,
    // picks up as soon as the meter talks again.
    bool sawNoCom = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (r.text("LblCOM") == u"No COM") {
            sawNoCom = true;
            r.meter.setSilent(false);
        }
    });
    watch.start(50);
    QVERIFY(QTest::qWaitFor([&] { return sawNoCom && r.text("LblCOM") == u"SIM"; }, 5000));
    watch.stop();
    QTest::mouseClick(r.button("BtnCA"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return r.text("BoardCA") == u"C"; }, 2000));
    QCOMPARE(r.meter.protocolErrors(), 0);
}

QTEST_MAIN(TestControlMeter)
#include "test_app_meter_controls.moc"
