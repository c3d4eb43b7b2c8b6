// A recording in a process of its own, for the tests of what follows a crash: it records a fixed
// series of levels on a fixed clock into the given folder, then either stops as the toolbar's
// "Save" does or says "ready" and waits to be killed.
//
//   slm-recording-child <folder> <record file> <records> stop|wait
#include "measurement/RecordListModel.h"
#include "recording/Recorder.h"
#include "recording/RecordingFile.h"
#include "shared/Clock.h"
#include "support/QuietRecorderView.h"
#include "support/RecordingSeries.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

using namespace slm;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 2;
    const QString folder = args[1];
    const int records = args[3].toInt();
    const bool stop = args[4] == QLatin1String("stop");

    RecordListModel list;
    FixedClock clock(recordingSeriesStart());
    ScriptedDialogs dialogs;
    dialogs.saveAnswers << args[2];
    QuietRecorderView view;
    Sampling sampling;
    sampling.setReading(testReading(0, QString()));
    Recorder recorder(sampling, list, clock, dialogs, view, folder);

    recorder.setSaveMode(SaveMode::Recording);
    recorder.saveOk();
    if (!recorder.recording())
        return 3;
    while (recorder.file().recordCount() < records) {
        setRecordingSeriesLevel(sampling, recorder.file().recordCount());
        clock.advance(1);
        sampling.tick(clock.now());
    }
    if (stop) {
        recorder.stopRecording();
        return dialogs.messages.isEmpty() ? 0 : 4;
    }
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}
