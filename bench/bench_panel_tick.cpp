// The panel's one-second sampling tick with full trend buffers and both histograms redrawn,
// idle and while recording, and the resident memory of the panel with full trend buffers and a
// full list. Prints figures.
#include "app/PanelWiring.h"
#include "graphs/LiveTrends.h"
#include "link/FrameDecoder.h"
#include "live/Panel.h"
#include "measurement/RecordListModel.h"
#include "meter/MeterSession.h"
#include "recording/Recorder.h"
#include "shared/PanelState.h"
#include "support/QuietLink.h"
#include "support/ResidentMemory.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace slm;

namespace
{
void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%s over %zu ticks: median %.2f ms, 99th percentile %.2f ms, worst %.2f ms\n", what,
                ms.size(), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    TestServices<QuietLink> platform;
    ScriptedDialogs& dialogs = platform.dialogs;
    FixedClock& clock = platform.clock;
    Services& services = platform.services;
    PanelState state;
    MeterSession session(services, state);
    Panel panel(state);
    PanelWiring wiring(panel, session, services, state);
    panel.show();
    const long startKb = residentKb();

    // Full buffers: the write position just before the wrap, levels spread over 40 dB.
    LiveTrends& trends = wiring.trends();
    const double none = 0; // no Leq and SEL yet
    for (int i = 0; i < 2000; ++i)
        trends.addSample(40.0 + (i % 400) / 10.0, none, none);
    {
        // On to the wrap without the graphs redrawing each of these samples.
        const QSignalBlocker quiet(&trends);
        for (int i = 2000; i < TrendSlots - 1500; ++i)
            trends.addSample(40.0 + (i % 400) / 10.0, none, none);
    }
    LiveReading live;
    Sampling& sampling = session.sampling();
    auto sample = [&](int i) {
        DecodeLevelWord(live, static_cast<unsigned char>((400 + i % 400) >> 8),
                        static_cast<unsigned char>((400 + i % 400) & 0xff));
        sampling.setReading(sampleOfReading(live));
        clock.advance(1);
        QElapsedTimer t;
        t.start();
        sampling.tick(clock.now());
        QCoreApplication::processEvents(); // the queued replots
        return t.nsecsElapsed() / 1e6;
    };
    std::vector<double> idle, recording;
    for (int i = 0; i < 1000; ++i)
        idle.push_back(sample(i));
    report("sampling tick, idle (list row, five graphs)", idle);

    dialogs.saveAnswers.enqueue(dir.filePath("bench.slmm"));
    wiring.recorder().setSaveMode(SaveMode::Recording);
    wiring.recorder().saveOk();
    for (int i = 0; i < 500; ++i)
        recording.push_back(sample(i));
    report("sampling tick, recording (plus a record forced to disk)", recording);
    wiring.recorder().stopRecording();

    // A full list on top of the full buffers.
    RecordListModel& list = wiring.listModel();
    for (int i = list.recordCount() + 1; i <= RecordLimit; ++i)
        list.append(QString::number(i), QStringLiteral("2026/12/08 10:00:00"), QStringLiteral("65.3"));
    QCoreApplication::processEvents();
    std::printf("resident memory with full trend buffers and %d list rows: %.1f MB (%.1f MB before "
                "filling)\n",
                list.recordCount(), residentKb() / 1024.0, startKb / 1024.0);
    return 0;
}
