// The program's own serial link on the simulated meter's pty: QSerialPort opens it, frames
// arrive, and a vanished terminal leaves the link closed rather than hanging or crashing.
#include "test_sim_common.h"

#include "link/MeterCommands.h"
#include "link/SerialMeterLink.h"

using namespace slm;

using namespace simtest;

class TestSimSerialPort : public QObject
{
    Q_OBJECT
private slots:
    void linkReadsFramesAndNoticesAVanishedTerminal()
    {
        slmsim::SimOptions o; // paced, as in use
        o.level = 60.0;
        slmsim::SimMeter meter(o);
        QVERIFY(meter.start());
        SerialMeterLink link;
        link.setCommPort(QString::fromStdString(meter.ptyPath()));
        QVERIFY(link.setSettings("38400,n,8,1"));
        QVERIFY2(link.setPortOpen(true), qPrintable(link.lastError()));
        QVERIFY(link.portOpen());
        link.flush();
        QTest::qWait(500);
        QVERIFY(link.inBufferCount() >= 24);
        const QByteArray block = link.readAll();
        QVERIFY(MeterCommands::endsWithFrame(block));
        QCOMPARE(block.right(6).toHex(' '), QByteArray("02 03 10 02 58 03"));

        // What the program writes reaches the meter byte for byte.
        link.output(MeterCommands::SetLoggingInterval(60));
        QVERIFY(meter.waitForReceived(3, 1000ms));
        QCOMPARE(hex(meter.receivedBytes()), hex(bytes({0x43, 0x00, 0x3C})));

        // The link notices the hang-up and closes, so the event loop does not spin on it.
        meter.closeTerminal();
        QTRY_VERIFY_WITH_TIMEOUT(!link.portOpen(), 2000);
        QCOMPARE(link.readAll(), QByteArray());
        link.output("A"); // no crash on a dead line
        QTest::qWait(200);
        QCOMPARE(link.inBufferCount(), 0);

        // Once the meter is back (new pty), opening again reaches it.
        QVERIFY(meter.reopenTerminal());
        link.setPortOpen(false);
        link.setCommPort(QString::fromStdString(meter.ptyPath()));
        QVERIFY(link.setPortOpen(true));
        QTest::qWait(300);
        QVERIFY(MeterCommands::endsWithFrame(link.readAll()));
    }
};

QTEST_GUILESS_MAIN(TestSimSerialPort)
#include "test_sim_serialport.moc"
