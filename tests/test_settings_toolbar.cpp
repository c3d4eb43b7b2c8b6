// The toolbar's setting branches over a scripted link: answers, bytes and the panel's timers.
#include "link/ExchangeScope.h"
#include "meter/Sampling.h"
#include "settings/ToolbarCommands.h"
#include "shared/PanelState.h"
#include "support/CountingPanelTimers.h"
#include "support/ScriptedLink.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace slm;

namespace
{
struct Fixture : TestServices<ScriptedLink> {
    PanelState state;
    CountingPanelTimers timers;
    Sampling sampling;
    QWidget panel;
    ToolbarCommands toolbar{services, state, timers, sampling, &panel};
    // The recorder's countdown as the toolbar restarts it.
    int samplingCountdown = 0;

    Fixture()
    {
        QObject::connect(&toolbar, &ToolbarCommands::pcSamplingTimeSet, [this] { samplingCountdown = 0; });
    }

    // The source window answered without showing it.
    void chooseSource(bool pc)
    {
        toolbar.chooseSamplingSource = [pc] { return std::optional<bool>(pc); };
    }
};
} // namespace

class TestControlToolbar : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void pcSourceSetsTimeAndCountdown();
    void pcSourceEmptyOrNotANumberKeepsAll();
    void meterSourceReadsThenSends();
    void meterSourceShortReplyKeepsDefault();
    void meterSourceEmptyAnswerStillRestartsTimers();
    void settingKeysWriteOneLetter_data();
    void settingKeysWriteOneLetter();
    void everyClickHidesSaveBox();
    void busyLinkSendsNothing();
    void samplingWindowIsShownModally();
};

void TestControlToolbar::answers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("expected"); // -1: refused
    QTest::newRow("0 is 1") << "0" << 86400 << 1;
    QTest::newRow("too big") << "100000" << 86400 << 86400;
    QTest::newRow("2.5 to even") << "2.5" << 86400 << 2;
    QTest::newRow("3.5 to even") << "3.5" << 86400 << 4;
    QTest::newRow("blanks") << " 7 " << 86400 << 7;
    QTest::newRow("negative") << "-4" << 86400 << 1;
    QTest::newRow("huge") << "1e300" << 86400 << 86400;
    QTest::newRow("meter 300") << "300" << 255 << 255;
    QTest::newRow("meter 0.4") << "0.4" << 255 << 1;
    QTest::newRow("empty") << "" << 86400 << -1;
    QTest::newRow("word") << "ten" << 86400 << -1;
    QTest::newRow("trailing text") << "12abc" << 86400 << -1;
    QTest::newRow("infinite") << "inf" << 86400 << -1;
    QTest::newRow("nan") << "nan" << 255 << -1;
}

void TestControlToolbar::answers()
{
    QFETCH(QString, answer);
    QFETCH(int, high);
    QFETCH(int, expected);
    const std::optional<int> t = samplingAnswer(answer, 1, high);
    QCOMPARE(t.value_or(-1), expected);
}

void TestControlToolbar::pcSourceSetsTimeAndCountdown()
{
    // The clamping and rounding of the answer are in answers(); here the box and the state.
    Fixture f;
    f.chooseSource(true);
    f.sampling.setInterval(30);
    f.samplingCountdown = 12;
    f.dialogs.inputAnswers << QStringLiteral("2.5");
    QVERIFY(f.toolbar.run(QStringLiteral("Sampling")));
    QCOMPARE(f.dialogs.inputPrompts.size(), 1);
    QCOMPARE(f.dialogs.inputPrompts[0].section(u'|', 0, 0), QStringLiteral("Input Sampling Time"));
    QCOMPARE(f.dialogs.inputPrompts[0].section(u'|', 1, 1),
             QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) "));
    QCOMPARE(f.dialogs.inputPrompts[0].section(u'|', 2, 2), QStringLiteral("30"));
    QCOMPARE(f.sampling.interval(), 2);
    QCOMPARE(f.samplingCountdown, 0);
    QCOMPARE(f.timers.switches, QList<bool>{true});
    QVERIFY(f.link.writes().isEmpty());
}

void TestControlToolbar::pcSourceEmptyOrNotANumberKeepsAll()
{
    for (const QString& answer : {QString(), QStringLiteral("soon")}) {
        Fixture f;
        f.chooseSource(true);
        f.sampling.setInterval(30);
        f.samplingCountdown = 12;
        f.dialogs.inputAnswers << answer;
        f.toolbar.run(QStringLiteral("Sampling"));
        QCOMPARE(f.sampling.interval(), 30);
        QCOMPARE(f.samplingCountdown, 12);
        QVERIFY(f.timers.switches.isEmpty());
    }
}

void TestControlToolbar::meterSourceReadsThenSends()
{
    Fixture f;
    f.chooseSource(false);
    f.link.feed("stale"); // flushed before "J"
    f.link.respond = [](const QByteArray& w) {
        return w == "J" ? QByteArray::fromHex("0102") : QByteArray();
    };
    f.dialogs.inputAnswers << QStringLiteral("300");
    f.toolbar.run(QStringLiteral("Sampling"));
    QCOMPARE(f.dialogs.inputPrompts.size(), 1);
    QCOMPARE(f.dialogs.inputPrompts[0].section(u'|', 1, 1),
             QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 255 ) "));
    QCOMPARE(f.dialogs.inputPrompts[0].section(u'|', 2, 2),
             QStringLiteral("258")); // 1 * 256 + 2, as the meter said
    QCOMPARE(f.link.writes(), (QList<QByteArray>{"J", QByteArray::fromHex("4300ff")}));
    QCOMPARE(f.toolbar.meterSamplingTime(), 255);
    QCOMPARE(f.timers.switches, (QList<bool>{false, true}));
    QVERIFY(!f.lock.busy());
}

void TestControlToolbar::meterSourceShortReplyKeepsDefault()
{
    Fixture f;
    f.chooseSource(false);
    f.toolbar.setMeterSamplingTime(17);
    f.link.respond = [](const QByteArray& w) { return w == "J" ? QByteArray::fromHex("05") : QByteArray(); };
    f.dialogs.inputAnswers << QStringLiteral("abc");
    f.toolbar.run(QStringLiteral("Sampling"));
    QCOMPARE(f.dialogs.inputPrompts[0].section(u'|', 2, 2), QStringLiteral("17"));
    QCOMPARE(f.link.writes(), QList<QByteArray>{"J"}); // a word is not sent
    QCOMPARE(f.toolbar.meterSamplingTime(), 17);
    QCOMPARE(f.timers.switches, (QList<bool>{false, true}));
}

void TestControlToolbar::meterSourceEmptyAnswerStillRestartsTimers()
{
    Fixture f;
    f.chooseSource(false);
    f.toolbar.run(QStringLiteral("Sampling"));
    QCOMPARE(f.link.writes(), QList<QByteArray>{"J"});
    QCOMPARE(f.timers.switches, (QList<bool>{false, true}));
}

void TestControlToolbar::settingKeysWriteOneLetter_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("letter");
    QTest::newRow("AC") << "AC" << QByteArray("G");
    QTest::newRow("FSI") << "FSI" << QByteArray("D");
    QTest::newRow("Up") << "Up" << QByteArray("E");
    QTest::newRow("Down") << "Down" << QByteArray("F");
}

void TestControlToolbar::settingKeysWriteOneLetter()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, letter);
    Fixture f;
    f.link.feed("live"); // neither flushed nor read
    bool timersOffWhileWriting = false;
    f.link.respond = [&](const QByteArray&) {
        timersOffWhileWriting = !f.timers.livePollEnabled() && f.lock.busy();
        return QByteArray();
    };
    QElapsedTimer t;
    t.start();
    QVERIFY(f.toolbar.run(key));
    QVERIFY(t.elapsed() >= 19); // the 0.02 s pause after the letter
    QCOMPARE(f.link.writes(), QList<QByteArray>{letter});
    QVERIFY(timersOffWhileWriting);
    QCOMPARE(f.timers.switches, (QList<bool>{false, true}));
    QCOMPARE(f.link.inBufferCount(), 4);
}

void TestControlToolbar::everyClickHidesSaveBox()
{
    Fixture f;
    auto* box = new QWidget(&f.panel);
    box->setObjectName(QStringLiteral("PicSave"));
    f.panel.show();
    box->show();
    QVERIFY(!f.toolbar.run(QStringLiteral("Save"))); // another branch's key: refused, box hidden
    QVERIFY(!box->isVisible());
    QVERIFY(f.link.writes().isEmpty());
    box->show();
    QVERIFY(f.toolbar.run(QStringLiteral("Down")));
    QVERIFY(!box->isVisible());
}

void TestControlToolbar::busyLinkSendsNothing()
{
    Fixture f;
    QString status;
    QObject::connect(&f.notices, &StatusNotices::posted, [&](const QString& s) { status = s; });
    LinkLock::Hold keyPressWaiting(f.lock);
    QVERIFY(f.toolbar.run(QStringLiteral("Up")));
    QVERIFY(f.link.writes().isEmpty());
    QVERIFY(f.timers.switches.isEmpty());
    QCOMPARE(status, ExchangeScope::busyText());

    // Nor does the clock window open, whose "Set" would write into the other exchange.
    status.clear();
    QVERIFY(f.toolbar.run(QStringLiteral("RTC")));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(status, ExchangeScope::busyText());
}

void TestControlToolbar::samplingWindowIsShownModally()
{
    // The real window: pick "PC Sampling Rate" and confirm while it is modal.
    Fixture f;
    f.panel.move(100, 80);
    f.panel.resize(600, 400);
    f.panel.show();
    bool sawModal = false;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        sawModal = w && w->objectName() == u"SamplingChoice" && w->windowTitle() == u"Sampling Rate";
        if (!w)
            return;
        w->findChild<QRadioButton*>(QStringLiteral("OptPC"))->click();
        w->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    });
    f.dialogs.inputAnswers << QStringLiteral("5");
    f.toolbar.run(QStringLiteral("Sampling"));
    QVERIFY(sawModal);
    QVERIFY(f.toolbar.usePcSampling());
    QCOMPARE(f.sampling.interval(), 5);
}

QTEST_MAIN(TestControlToolbar)
#include "test_settings_toolbar.moc"
