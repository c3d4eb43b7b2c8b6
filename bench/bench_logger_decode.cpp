// Decoding a set of 30000 records into the "Data List" window: time, caption progress and
// how often the event loop ran meanwhile.

#include "../tests/test_logger_fixture.h"
#include "../tests/test_logger_sets.h"

#include "logger/DataListWindow.h"
#include "logger/MemoryWindow.h"
#include "measurement/RecordListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QTimer>
#include <cstdio>

using namespace slm;

using namespace loggertest;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    LoggerRig rig;
    const QByteArray logged = makeSet(setOf(30000, 1));
    rig.meter.setMemory(std::vector<std::uint8_t>(logged.begin(), logged.end()));
    rig.panel.show();
    rig.commands->memory();
    if (rig.commands->sets().size() != 1)
        return 1;

    QStringList captions;
    int beats = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        ++beats;
        if (DataListWindow* w = rig.commands->dataListWindow())
            if (captions.isEmpty() || captions.last() != w->windowTitle())
                captions << w->windowTitle();
    });
    sampler.start(20);

    QElapsedTimer t;
    t.start();
    rig.commands->showSet(1);
    const double seconds = t.nsecsElapsed() / 1e9;
    const DataListWindow* w = rig.commands->dataListWindow();
    std::printf("records listed        %d\n", w ? w->model().recordCount() : 0);
    std::printf("decode into the list  %.3f s (target <= 1 s)\n", seconds);
    std::printf("caption samples       %lld distinct (every 20 ms), first \"%s\", last \"%s\"\n",
                static_cast<long long>(captions.size()), qPrintable(captions.value(0)),
                qPrintable(captions.value(captions.size() - 1)));
    std::printf("event-loop turns      %d of %d (20 ms timer)\n", beats, static_cast<int>(seconds * 50));
    std::printf("caption afterwards    \"%s\"\n", w ? qPrintable(w->windowTitle()) : "");
    return 0;
}
