// Figures for record files at the full list size: writing a list file of 348000 rows, stopping a
// recording of 348000 records (the copy of "Fake" into the real-time file) and reading it back.
#include "measurement/MeasurementReader.h"
#include "measurement/RecordFileWriter.h"
#include "measurement/RecordListModel.h"
#include "recording/Recorder.h"
#include "recording/RecorderView.h"
#include "recording/RecordingFile.h"
#include "shared/BusyCaption.h"
#include "shared/Clock.h"
#include "shared/PanelState.h"
#include "shared/TextHelpers.h"
#include "support/QuietRecorderView.h"
#include "support/RecordingSeries.h"
#include "support/ScriptedDialogs.h"
#include "views/FileTransfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace slm;

namespace
{

using QuietView = QuietRecorderView;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QDateTime start(QDate(2026, 1, 1), QTime(0, 0));

    RecordListModel list;
    for (int n = 1; n <= RecordLimit; ++n)
        list.append(QString::number(n), formatDateTime(start.addSecs(n)), QStringLiteral("65.3"));

    QElapsedTimer timer;
    timer.start();
    const QString listPath = dir.filePath(QStringLiteral("list.slmm"));
    const QString error = writeListFile(listPath, list, nullptr);
    const double writeMs = timer.nsecsElapsed() / 1e6;

    // A recording's lines as the tick writes them: one flushed line at a time.
    const QString fakePath = dir.filePath(QStringLiteral("Fake"));
    const int fakeLines = 2000;
    timer.start();
    {
        RecordFileWriter fake(fakePath, RecordFileWriter::Mode::Stream);
        fake.open();
        for (int n = 1; n <= fakeLines; ++n)
            fake.writeRecord(RecordRow{QString::number(n), formatDateTime(start.addSecs(n)), "65.3"});
        fake.commit();
    }
    const double perTickUs = timer.nsecsElapsed() / 1e3 / fakeLines;

    timer.start();
    QFile in(listPath);
    in.open(QIODevice::ReadOnly);
    MeasurementReader reader(in);
    RecordListModel back;
    reader.readInto(back.measurement());
    const double readMs = timer.nsecsElapsed() / 1e6;

    // The stop of a full recording: "Fake" holds 348000 records (put there directly rather than
    // by 348000 ticks), the stop copies them behind the header.
    RecordListModel panelList;
    FixedClock clock;
    ScriptedDialogs dialogs;
    QuietView view;
    Sampling sampling;
    sampling.setReading(testReading(0, QString()));
    Recorder recorder(sampling, panelList, clock, dialogs, view, dir.filePath(QStringLiteral("work")));
    dialogs.saveAnswers << dir.filePath(QStringLiteral("recording.slmm"));
    recorder.setSaveMode(SaveMode::Recording);
    recorder.saveOk();
    {
        QFile fake(recorder.file().fakePath());
        fake.open(QIODevice::Append);
        QByteArray lines;
        for (int n = 1; n <= RecordLimit; ++n)
            lines += encodeLine(recordLine(QString::number(n), formatDateTime(start.addSecs(n)), "65.3"));
        fake.write(lines);
    }
    timer.start();
    recorder.stopRecording();
    const double stopMs = timer.nsecsElapsed() / 1e6;

    std::printf("write list file, %d rows:      %8.1f ms, %lld bytes %s\n", RecordLimit, writeMs,
                static_cast<long long>(QFile(listPath).size()), error.isEmpty() ? "" : qPrintable(error));
    std::printf("one flushed record line (tick): %8.1f us\n", perTickUs);
    std::printf("stop of a 348000-record recording: %5.1f ms, %lld bytes, %lld messages\n", stopMs,
                static_cast<long long>(QFile(dir.filePath(QStringLiteral("recording.slmm"))).size()),
                static_cast<long long>(dialogs.messages.size()));
    std::printf("read it back into a list:       %8.1f ms, %d records\n", readMs, back.recordCount());
    return 0;
}
