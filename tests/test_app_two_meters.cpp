// Two meters in one process: each session on its own simulated meter, with its own list, trends,
// figures and recording, and nothing shared but the dialogs and the clock.
#include "graphs/LiveTrends.h"
#include "link/LinkLock.h"
#include "link/SerialMeterLink.h"
#include "link/WaitSeconds.h"
#include "measurement/RecordListModel.h"
#include "meter/MeterSession.h"
#include "recording/Recorder.h"
#include "recording/RecordingFile.h"
#include "recording/RunningFigures.h"
#include "shared/Clock.h"
#include "shared/StatusNotices.h"
#include "slm-sim/SimMeter.h"
#include "support/QuietRecorderView.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace slm;

namespace
{

// One meter and everything that follows it; the desk is the caller's.
struct Station {
    Station(double level, const Desk& desk, const QString& folder)
        : meter([level] {
              slmsim::SimOptions o;
              o.level = level;
              o.pacing = false;
              return o;
          }()),
          folder(folder)
    {
        if (!meter.start())
            qFatal("simulated meter did not start");
        session = std::make_unique<MeterSession>(
            line, desk.clock, MeterPort{QString::fromStdString(meter.ptyPath()), QStringLiteral("SIM")});
        // Faster than the panel's second, so the test takes a few records quickly.
        session->timer2()->setInterval(250);
        recorder =
            std::make_unique<Recorder>(session->sampling(), list, desk.clock, desk.dialogs, view, folder);
        QObject::connect(recorder.get(), &Recorder::levelsUpdated, &trends, &LiveTrends::addSample);
    }
    ~Station()
    {
        recorder.reset();
        session.reset();
        link.setPortOpen(false);
        meter.stop();
    }

    slmsim::SimMeter meter;
    QString folder;
    SerialMeterLink link;
    LinkLock lock;
    EventLoopWaiter waiter;
    StatusNotices notices;
    MeterLine line{link, lock, waiter, notices};
    RecordListModel list;
    LiveTrends trends;
    QuietRecorderView view;
    std::unique_ptr<MeterSession> session;
    std::unique_ptr<Recorder> recorder;
};

} // namespace

class TestTwoMeters : public QObject
{
    Q_OBJECT
private slots:
    void eachSessionKeepsItsOwnMeasurement()
    {
        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        SystemClock clock;
        const Desk desk{dialogs, clock};
        Station quiet(45.5, desk, dir.filePath(QStringLiteral("quiet")));
        Station loud(82.3, desk, dir.filePath(QStringLiteral("loud")));
        QVERIFY(!quiet.session->startUp());
        QVERIFY(!loud.session->startUp());
        // Each session decodes its own meter's frames.
        QTRY_COMPARE_WITH_TIMEOUT(quiet.session->reading().LevelText, QStringLiteral("45.5"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(loud.session->reading().LevelText, QStringLiteral("82.3"), 5000);

        for (Station* s : {&quiet, &loud}) {
            dialogs.saveAnswers << s->folder + QStringLiteral(".slmm");
            s->recorder->setSaveMode(SaveMode::Recording);
            s->recorder->saveOk();
            QVERIFY(s->recorder->recording());
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            quiet.recorder->file().recordCount() >= 4 && loud.recorder->file().recordCount() >= 4, 10000);
        quiet.recorder->stopRecording();
        loud.recorder->stopRecording();
        quiet.session->shutDown();
        loud.session->shutDown();
        QVERIFY(dialogs.messages.isEmpty());

        const struct {
            Station& station;
            const char* level;
            double value;
        } cases[] = {{quiet, "45.5", 45.5}, {loud, "82.3", 82.3}};
        for (const auto& c : cases) {
            const QString level = QString::fromLatin1(c.level);
            // The list: only this meter's level, after the first frames came in.
            const RecordListModel& list = c.station.list;
            QVERIFY(list.recordCount() >= 4);
            QCOMPARE(list.text(list.recordCount(), 2), level);
            // The trends and the figures.
            QCOMPARE(c.station.trends.decLevelMax(), int(std::lround(c.value * 10)));
            QCOMPARE(c.station.recorder->figures().leqText(), level);
            QCOMPARE(c.station.recorder->figures().maxLevel(), c.value);
            // The recording file: every record, and its maximum, this meter's.
            const QList<QByteArray> lines = readAll(c.station.folder + QStringLiteral(".slmm")).split('\n');
            QCOMPARE(lines[5], QByteArray(c.level) + '\r');
            int records = 0;
            for (const QByteArray& line : lines.mid(10)) {
                if (line.isEmpty())
                    continue;
                QVERIFY2(line.endsWith(QByteArray("\t") + c.level + "\t\r"), line.constData());
                ++records;
            }
            QVERIFY(records >= 4);
        }
    }
};

QTEST_MAIN(TestTwoMeters)
#include "test_app_two_meters.moc"
