// Live frame decoding and the front panel's display rules.
#include "link/FrameDecoder.h"
#include "live/LcdDigits.h"
#include "live/Panel.h"
#include "live/PanelDisplay.h"
#include "shared/PanelState.h"
#include "support/QuietLink.h"
#include "support/TestServices.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QtTest>

using namespace slm;

namespace
{
LiveReading decodeFrame(const QByteArray& hex)
{
    const QByteArray f = QByteArray::fromHex(hex);
    LiveReading r;
    DecodeRangeByte(r, static_cast<unsigned char>(f[1]));
    DecodeStatusByte(r, static_cast<unsigned char>(f[2]));
    DecodeLevelWord(r, static_cast<unsigned char>(f[3]), static_cast<unsigned char>(f[4]));
    return r;
}

// A panel on a link that stays quiet: its display is driven by hand.
struct QuietPanel : TestServices<QuietLink> {
    PanelState state;
    Panel panel{state};
};
} // namespace

class LiveDecodingTest : public QObject
{
    Q_OBJECT
private slots:
    void decodesTheReferenceFrame()
    {
        const LiveReading r = decodeFrame("020015051403");
        QCOMPARE(r.RangeHigh, 140);
        QCOMPARE(r.RangeLow, 80);
        QVERIFY(!r.OverFlag);
        QCOMPARE(r.TimeWeighting, QStringLiteral("SLOW"));
        QVERIFY(r.RunFlag);
        QVERIFY(!r.PauseFlag);
        QVERIFY(r.StopFlag);
        QCOMPARE(r.FreqWeighting, QStringLiteral("A"));
        QVERIFY(!r.UnderFlag);
        QCOMPARE(r.Level, 130.0);
        QCOMPARE(r.LevelText, QStringLiteral("130.0"));
    }

    void decodesStatusAndRangeCorners()
    {
        LiveReading r;
        DecodeStatusByte(r, 0x60);
        QCOMPARE(r.FreqWeighting, QStringLiteral("AA"));
        QCOMPARE(r.TimeWeighting, QStringLiteral("FAST"));
        DecodeStatusByte(r, 0x83);
        QCOMPARE(r.TimeWeighting, QString());
        QVERIFY(r.UnderFlag);

        DecodeRangeByte(r, 0x05);
        QCOMPARE(r.RangeHigh, 90);
        QCOMPARE(r.RangeLow, 30);
        DecodeRangeByte(r, 0x86); // index 6 keeps the range, over still decoded
        QCOMPARE(r.RangeHigh, 90);
        QCOMPARE(r.RangeLow, 30);
        QVERIFY(r.OverFlag);
    }

    void writesLevelTexts_data()
    {
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<double>("level");
        QTest::addColumn<QString>("text");
        QTest::newRow("1234") << 0x04 << 0xD2 << 123.4 << "123.4";
        QTest::newRow("800") << 0x03 << 0x20 << 80.0 << "80.0";
        QTest::newRow("marked 655") << 0x82 << 0x8F << 65.5 << "65.5*";
        QTest::newRow("7") << 0x00 << 0x07 << 0.7 << ".7";
        QTest::newRow("marked 0") << 0x80 << 0x00 << 0.0 << ".0*";
    }
    void writesLevelTexts()
    {
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(double, level);
        QFETCH(QString, text);
        LiveReading r;
        DecodeLevelWord(r, static_cast<unsigned char>(high), static_cast<unsigned char>(low));
        QCOMPARE(r.Level, level);
        QCOMPARE(r.LevelText, text);
    }

    void refusesBlocksThatAreNoFrame()
    {
        QVERIFY(isPlausibleLiveFrame(QByteArray::fromHex("020015051403")));
        QVERIFY(!isPlausibleLiveFrame(QByteArray::fromHex("02ffffffff03"))); // acknowledgement
        QVERIFY(!isPlausibleLiveFrame(QByteArray::fromHex("010015051403")));
        QVERIFY(!isPlausibleLiveFrame(QByteArray::fromHex("020015051402")));
        QVERIFY(isPlausibleLiveFrame(QByteArray::fromHex("028617051403")));  // index 6, no time weighting
        QVERIFY(isPlausibleLiveFrame(QByteArray::fromHex("024815051403")));  // unused range bits set
        QVERIFY(!isPlausibleLiveFrame(QByteArray::fromHex("0200157fff03"))); // 3276.7 dB
        QVERIFY(!isPlausibleLiveFrame(QByteArray::fromHex("020015064003"))); // 160.0 dB
        QVERIFY(isPlausibleLiveFrame(QByteArray::fromHex("020015863f03")));  // marked 159.9 dB
    }

    void displayFollowsRangeAndLevel()
    {
        LiveReading r = decodeFrame("020015051403");
        PanelDisplay d = computePanelDisplay(r, true);
        QVERIFY(!d.upEnabled);
        QVERIFY(d.downEnabled);
        QCOMPARE(d.barMinimum, 800);
        QCOMPARE(d.barMaximum, 1400);
        QCOMPARE(d.boardLevel, QStringLiteral("80-140"));
        QCOMPARE(d.barMaxText, QStringLiteral("140"));

        r.Level = 74.9;
        r.LevelText = QStringLiteral("74.9");
        d = computePanelDisplay(r, true);
        QCOMPARE(d.shownLCD, QStringLiteral("- - -"));
        QCOMPARE(d.levelValue, QStringLiteral("74.9"));
        QCOMPARE(d.barValue, 800);
        r.Level = 75.0;
        r.LevelText = QStringLiteral("75.0");
        d = computePanelDisplay(r, true);
        QCOMPARE(d.shownLCD, QStringLiteral("75.0"));
        QCOMPARE(d.barValue, 800);
        r.Level = 150.0;
        QCOMPARE(computePanelDisplay(r, true).barValue, 1400);

        DecodeRangeByte(r, 5);
        d = computePanelDisplay(r, true);
        QVERIFY(d.upEnabled);
        QVERIFY(!d.downEnabled);
    }

    void panelAppliesTheDisplay()
    {
        QuietPanel rig;
        PanelState& state = rig.state;
        Panel& panel = rig.panel;
        const PanelWidgets& ui = panel.widgets();

        LiveReading live = decodeFrame("028015051403"); // over, SLOW, A
        panel.updateDisplay(live);
        QCOMPARE(ui.lblValue->text(), QStringLiteral("130.0"));
        QCOMPARE(ui.shownLCD->text(), QStringLiteral("130.0"));
        QVERIFY(!ui.lblOver->isHidden());
        QVERIFY(ui.lblUnder->isHidden());
        QVERIFY(!ui.lblSlow->isHidden());
        QVERIFY(ui.lblFast->isHidden());
        QVERIFY(!ui.toolButtons.value("Up")->isEnabled());
        QCOMPARE(ui.soundBar->value(), 1300);
        QCOMPARE(ui.boardCA->text(), QStringLiteral("A"));

        // "AA" blinks the weighting annunciator from one tick to the next.
        DecodeStatusByte(live, 0x60);
        panel.updateDisplay(live);
        const bool first = ui.lblCA->isHidden();
        panel.updateDisplay(live);
        QCOMPARE(ui.lblCA->isHidden(), !first);
        QCOMPARE(ui.lblCA->text(), QStringLiteral("A"));
        QCOMPARE(ui.boardCA->text(), QStringLiteral("20-200Hz Filter"));
        QVERIFY(!ui.lblFast->isHidden());

        // An empty time weighting leaves the annunciators as they were.
        DecodeStatusByte(live, 0x03);
        panel.updateDisplay(live);
        QVERIFY(!ui.lblFast->isHidden());
        QVERIFY(ui.lblSlow->isHidden());
        QCOMPARE(ui.boardSFI->text(), QString());
    }

    void captionToggleAndTrendChoice()
    {
        QuietPanel rig;
        Panel& panel = rig.panel;
        QCOMPARE(panel.windowTitle(), QStringLiteral("Panel   V8.01"));
        auto* com = panel.findChild<QLabel*>("LblCOM");
        QVERIFY(com);
        QTest::mouseClick(com, Qt::LeftButton);
        QCOMPARE(panel.windowTitle(), QStringLiteral("Panel   V8.01   121203"));
        QTest::mouseClick(com, Qt::LeftButton);
        QCOMPARE(panel.windowTitle(), QStringLiteral("Panel   V8.01"));
        // A real click only comes back to the label when the label takes the press.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), com->mapToGlobal(QPointF(2, 2)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        press.setAccepted(false);
        QApplication::sendEvent(com, &press);
        QVERIFY(press.isAccepted());
    }
};

QTEST_MAIN(LiveDecodingTest)
#include "test_live_decoding.moc"
