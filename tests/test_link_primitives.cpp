// The exchange primitives: the timed wait, the attention exchange, port names, command bytes.
#include "link/LinkLock.h"
#include "link/MeterAttention.h"
#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/PortNames.h"
#include "link/SerialMeterLink.h"
#include "link/WaitSeconds.h"
#include "port/PortWindow.h"
#include "shared/Clock.h"
#include "shared/Services.h"
#include "shared/Twips.h"
#include "support/ScriptedDialogs.h"

#include "shared/StatusNotices.h"
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimer>

#include <QtTest>

using namespace slm;

namespace
{
// A link and a waiter that write every operation into one trace, so the order of writes,
// waits and reads can be asserted. Each read serves the next scripted block.
struct Trace {
    QStringList ops;
    QList<QByteArray> blocks; // what each wait makes arrive
    QByteArray pending;
};

class TraceLink : public MeterLink
{
public:
    explicit TraceLink(Trace& t) : m_t(t) {}
    void setCommPort(const QString&) override {}
    bool setSettings(const QString&) override { return true; }
    bool portOpen() const override { return true; }
    bool setPortOpen(bool) override { return true; }
    void setInputLen(int n) override { m_t.ops << QStringLiteral("len %1").arg(n); }
    QByteArray input() override
    {
        m_t.ops << QStringLiteral("read %1").arg(m_t.pending.size());
        return std::exchange(m_t.pending, {});
    }
    int inBufferCount() override { return static_cast<int>(m_t.pending.size()); }
    void output(const QByteArray& b) override
    {
        m_t.ops << QStringLiteral("write ") + QString::fromLatin1(b.toHex());
    }

private:
    Trace& m_t;
};

class TraceWaiter : public Waiter
{
public:
    explicit TraceWaiter(Trace& t) : m_t(t) {}
    void waitSeconds(double s) override
    {
        m_t.ops << QStringLiteral("wait %1").arg(s);
        if (!m_t.blocks.isEmpty())
            m_t.pending += m_t.blocks.takeFirst();
    }

private:
    Trace& m_t;
};
} // namespace

class LinkPrimitivesTest : public QObject
{
    Q_OBJECT
private slots:
    void waitLastsItsFullTimeAcrossMidnight()
    {
        // The wait runs on a monotonic clock: the time of day it starts at cannot shorten it.
        FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59, 900)));
        QCOMPARE(clock.secondsSinceMidnight(), 86399.9);
        bool eventRan = false;
        QTimer::singleShot(50, [&] { eventRan = true; });
        QElapsedTimer t;
        t.start();
        EventLoopWaiter().waitSeconds(0.2);
        QVERIFY2(t.elapsed() >= 199, qPrintable(QString::number(t.elapsed())));
        QVERIFY(t.elapsed() < 400);
        QVERIFY(eventRan); // the user interface kept running
    }

    void attentionRetriesUntilTheAckIsNewest()
    {
        Trace trace;
        const QByteArray frame = QByteArray::fromHex("020315023a03");
        trace.blocks = {frame, frame + frame.left(3), frame.right(3) + QByteArray::fromHex("02ffffffff03")};
        TraceLink link(trace);
        TraceWaiter waiter(trace);
        ScriptedDialogs dialogs;
        FixedClock clock;
        LinkLock lock;
        StatusNotices notices;
        Services s{link, dialogs, clock, waiter, lock, notices};
        QVERIFY(MeterAttention(s));
        QVERIFY(!lock.busy());
        const QStringList round = {"len 0", "read %1", "write 41", "wait 0.2", "len 0", "read %2"};
        QStringList expected;
        expected << round[0] << round[1].arg(0) << round[2] << round[3] << round[4] << round[5].arg(6);
        expected << round[0] << round[1].arg(0) << round[2] << round[3] << round[4] << round[5].arg(9);
        expected << round[0] << round[1].arg(0) << round[2] << round[3] << round[4] << round[5].arg(9);
        QCOMPARE(trace.ops, expected);
    }

    void attentionGivesUpAfterItsBound()
    {
        Trace trace; // a meter that never answers
        TraceLink link(trace);
        EventLoopWaiter waiter;
        ScriptedDialogs dialogs;
        FixedClock clock;
        LinkLock lock;
        StatusNotices notices;
        Services s{link, dialogs, clock, waiter, lock, notices};
        QElapsedTimer t;
        t.start();
        QVERIFY(!MeterAttention(s, 0.5));
        QVERIFY(t.elapsed() >= 500 && t.elapsed() < 1200);
        QVERIFY(trace.ops.filter("write 41").size() >= 2);
        QVERIFY(!lock.busy());
    }

    void mapsPortNames()
    {
        QCOMPARE(comPortNumber("COM12"), 12);
        QCOMPARE(comPortNumber("COM1"), 1);
        QCOMPARE(comPortNumber("COM16"), 16);
        QCOMPARE(comPortNumber("COM17"), 0);
        QCOMPARE(comPortNumber("com12"), 0);
        QCOMPARE(comPortNumber("COM12 "), 0);
        QCOMPARE(comPortNumber("COM012"), 0);

        const PortChoice com = resolvePortChoice("COM12");
        QCOMPARE(com.kind, PortChoice::Kind::ComNumber);
        QCOMPARE(com.label, QStringLiteral("COM12"));
#ifndef Q_OS_WIN
        QCOMPARE(com.device, QStringLiteral("/dev/ttyS11"));
        QCOMPARE(resolvePortChoice("/dev/null").kind, PortChoice::Kind::Device);
        QCOMPARE(resolvePortChoice("/dev/null").label, QStringLiteral("null"));
        QCOMPARE(resolvePortChoice("/dev/no-such-port").kind, PortChoice::Kind::None);
#endif
        QCOMPARE(resolvePortChoice("com12").kind, PortChoice::Kind::None);
        QCOMPARE(resolvePortChoice("Simulated meter").kind, PortChoice::Kind::Simulated);
        QCOMPARE(deviceShortName("/dev/ttyUSB0"), QStringLiteral("ttyUSB0"));
    }

    void portWindowOffersThePortsAndTheDeviceList()
    {
        ScriptedDialogs dialogs;
        PortWindow window(dialogs);
        QCOMPARE(window.windowTitle(), QStringLiteral("COM Port"));
        auto* txt = window.findChild<QComboBox*>("TxtCOM");
        QVERIFY(txt);
        QCOMPARE(txt->currentText(), QStringLiteral("COM1"));
        for (int n = 1; n <= 16; ++n)
            QCOMPARE(txt->itemText(n - 1), QStringLiteral("COM%1").arg(n));
        QCOMPARE(txt->itemText(txt->count() - 1), QStringLiteral("Simulated meter"));
        QCOMPARE(window.pos(),
                 QPoint(twipsToPixels(3700, screenDpiX(&window)), twipsToPixels(2700, screenDpiX(&window))));

        QWidget* picture = window.findChild<QWidget*>("Picdevice");
        QVERIFY(picture->isHidden());
        window.findChild<QPushButton*>("CmdDevice")->click();
        QVERIFY(!picture->isHidden());
        QCOMPARE(window.size(),
                 QSize(twipsToPixels(5145, screenDpiX(&window)), twipsToPixels(3135, screenDpiX(&window))));
        // Here the device manager is the list of serial devices; close it when it shows.
        QTimer::singleShot(200, [] {
            if (QWidget* list = QApplication::activeModalWidget())
                list->close();
        });
        window.findChild<QPushButton*>("CmdGo")->click();
        QVERIFY(picture->isHidden());

        txt->setEditText(QStringLiteral("COM12"));
        window.findChild<QPushButton*>("CmdOK")->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(window.chosenText(), QStringLiteral("COM12"));
    }

    void parsesLineSettings()
    {
        LineSettings s;
        QVERIFY(parseLineSettings("38400,n,8,1", s));
        QCOMPARE(s.baud, 38400);
        QCOMPARE(s.parity, 'n');
        QVERIFY(!parseLineSettings("38400,x,8,1", s));
        QVERIFY(!parseLineSettings("fast", s));
    }

    void buildsCommandBytes()
    {
        using namespace MeterCommands;
        QCOMPARE(SetLoggingInterval(60).toHex(), QByteArray("43003c"));
        QCOMPARE(SetLoggingInterval(300).toHex(), QByteArray("4300ff"));
        QCOMPARE(SetClock(QDateTime(QDate(2009, 3, 4), QTime(8, 0))).toHex(), QByteArray("42000008040309"));
        QCOMPARE(SetClock(QDateTime(QDate(2026, 12, 6), QTime(18, 46, 16))).toHex(),
                 QByteArray("42164618061226"));
        QCOMPARE(KeyPress(Key::Up).toHex(), QByteArray("4b000009"));
        QCOMPARE(KeyPress(Key::Down).toHex(), QByteArray("4b00000a"));
        QCOMPARE(bcdText(0x06), QStringLiteral("06"));
        QCOMPARE(bcdText(0x1A), QStringLiteral("1A"));
        QVERIFY(endsWithAck(QByteArray::fromHex("1403"
                                                "02ffffffff03")));
        QVERIFY(!endsWithAck(QByteArray::fromHex("02ffffffff0300")));
    }
};

QTEST_MAIN(LinkPrimitivesTest)
#include "test_link_primitives.moc"
