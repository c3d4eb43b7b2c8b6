#include "logger/LoggerCommands.h"

#include "link/ExchangeScope.h"
#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/WaitSeconds.h"
#include "logger/DataListWindow.h"
#include "logger/MemoryDownload.h"
#include "logger/MemoryWindow.h"
#include "logger/SetDecode.h"
#include "measurement/Measurement.h"
#include "measurement/MeasurementFigures.h"
#include "shared/Clock.h"
#include "shared/Dialogs.h"
#include "shared/PanelState.h"
#include "shared/PanelTimers.h"
#include "shared/Services.h"
#include "shared/TextHelpers.h"
#include "shared/WindowPlacement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <algorithm>

namespace slm
{

namespace
{
const QString ErrorText = QStringLiteral("Error! Try again!");
const QString NoDataText = QStringLiteral("No Data in Memory");
const QString EraseText = QStringLiteral("All saved data in memory will be deleted.");
// Let pending events run this often while a set fills the list.
constexpr qint64 DecodeEventsEveryMs = 15;
} // namespace

LoggerCommands::LoggerCommands(Services& services, PanelState& state, PanelTimers& timers, QWidget* panel)
    : m_s(services), m_state(state), m_timers(timers), m_panel(panel)
{
}

LoggerCommands::~LoggerCommands()
{
    delete m_memory.data();
    delete m_dataList.data();
}

MemoryWindow* LoggerCommands::memoryWindow() const
{
    return m_memory;
}

DataListWindow* LoggerCommands::dataListWindow() const
{
    return m_dataList;
}

void LoggerCommands::memory()
{
    if (m_memoryFormOpen)
        return;
    const ExchangeScope exchange(m_s, &m_timers);
    if (!exchange.entered())
        return;
    m_memoryFormOpen = true;
    m_cancel = false;

    MemoryDownload download;
    connect(&download, &MemoryDownload::sizeKnown, this, &LoggerCommands::openMemoryWindow);
    connect(&download, &MemoryDownload::progress, this, [this](double percent) {
        if (m_memory)
            m_memory->setProgress(percent);
    });
    DownloadResult result = [&] {
        const ReentryFlag::Guard downloading(m_downloading);
        return download.run(m_s.link, m_s.waiter, [this] { return m_cancel || m_s.waiter.cancelled(); });
    }();

    using Outcome = DownloadResult::Outcome;
    switch (result.outcome) {
    case Outcome::Listed:
        // Closed (or cancelled) while the last bytes came in, the window perhaps not deleted
        // yet: nothing to list into, and its close could not clear the flag meanwhile.
        if (m_cancel) {
            closeMemoryWindow();
            m_memoryFormOpen = false;
            break;
        }
        m_sets = std::move(result.sets);
        if (m_memory) {
            for (size_t i = 0; i < m_sets.size(); ++i)
                m_memory->addSet(static_cast<int>(i) + 1, m_sets[i]);
        } else {
            // Closed as the last bytes came in: the window is gone, so is the flag.
            m_memoryFormOpen = false;
        }
        break;
    case Outcome::NoData:
        m_s.dialogs.message(m_panel, NoDataText, QString(), Dialogs::Icon::Information);
        m_memoryFormOpen = false;
        break;
    case Outcome::Error:
        closeMemoryWindow();
        m_s.dialogs.message(m_panel, ErrorText, QString(), Dialogs::Icon::Critical);
        m_memoryFormOpen = false;
        break;
    case Outcome::Cancelled:
        // The user asked for it: no message. The rest of the block is dropped below.
        closeMemoryWindow();
        m_memoryFormOpen = false;
        break;
    }
    // Whatever is left of the reply is not the next live frame.
    m_s.link.flush();
}

void LoggerCommands::openMemoryWindow(int sizeK, double freeK)
{
    m_memory = new MemoryWindow(m_panel);
    connect(m_memory, &MemoryWindow::cancelRequested, this, [this] {
        if (m_downloading.active())
            m_cancel = true;
        else
            closeMemoryWindow();
    });
    connect(m_memory, &MemoryWindow::closed, this, [this] {
        // A download still running owns the flag and clears it when it has ended.
        m_cancel = true;
        if (!m_downloading.active())
            m_memoryFormOpen = false;
    });
    connect(m_memory, &MemoryWindow::setClicked, this, &LoggerCommands::showSet);
    m_memory->setMemory(sizeK, freeK);
    placeBesidePanel(m_memory, m_panel);
    m_memory->show();
}

void LoggerCommands::closeMemoryWindow()
{
    // The window deletes itself later; from now on it counts as gone.
    if (MemoryWindow* w = m_memory) {
        m_memory = nullptr;
        w->close();
    }
}

void LoggerCommands::erase()
{
    const bool ok = m_s.dialogs.confirm(m_panel, EraseText, QStringLiteral("Warning"));
    closeMemoryWindow();
    if (!ok)
        return;
    const ExchangeScope exchange(m_s, &m_timers);
    if (!exchange.entered())
        return;
    m_s.link.output(MeterCommands::EraseMemory());
    m_s.waiter.waitSeconds(0.02);
}

void LoggerCommands::showSet(int setNumber)
{
    // A long computation: the panel's timers stay off until the list is complete.
    TimersPaused paused(&m_timers);
    const int generation = ++m_decodeGeneration;
    if (m_dataList) {
        m_dataList->close();
        m_dataList = nullptr;
    }
    if (setNumber < 1 || setNumber > static_cast<int>(m_sets.size()))
        return;
    // A copy: a new download may replace the sets while this one is listed.
    const DataSet set = m_sets[setNumber - 1];

    // The set's records, kept while its window shows them.
    auto* measurement = new Measurement; // deleted with its window
    measurement->setOrigin({MeasurementOrigin::Kind::LoggedSet, QStringLiteral("Set %1").arg(setNumber)});
    QPointer<DataListWindow> window =
        new DataListWindow(m_s.desk(), DataListHeader{set.interval}, *measurement, &m_timers, m_panel);
    connect(window, &QObject::destroyed, [measurement] { delete measurement; });
    connect(window, &DataListWindow::assessRequested, this,
            [this, measurement] { emit assessRequested(*measurement); });
    connect(window, &DataListWindow::saved, this,
            [this, measurement](const QString& path) { emit listSaved(*measurement, path); });
    m_dataList = window;
    placeBesidePanel(window, m_panel);
    window->show();

    const SetDecoder decoder(set, m_liveReading ? *m_liveReading : LiveReading{},
                             m_s.clock.now().date().year());
    const QString caption = window->windowTitle();
    const int n = decoder.recordCount();
    QString shownProgress;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    bool complete = decoder.hasStart();
    for (int i = 1; complete && i <= n; ++i) {
        window->appendRecord(decoder.record(i));
        const QString progress = percentCompleted(100.0 * i / n);
        if (progress != shownProgress) {
            window->setWindowTitle(progress);
            shownProgress = progress;
        }
        if (sinceEvents.elapsed() >= DecodeEventsEveryMs || i == n) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
            // Closed, or replaced by a click on another set, while events ran.
            if (!window || generation != m_decodeGeneration || m_s.waiter.cancelled())
                complete = false;
        }
    }
    if (window) {
        window->setWindowTitle(caption);
        if (complete) {
            window->setFields(decoder.fields());
            window->showFigures(figuresOf(window->measurement(), set.interval));
        }
    }
    // Replaced by a click on another set: that decode switches the timers on when it ends.
    if (generation != m_decodeGeneration)
        paused.leaveOffAtEnd();
}

} // namespace slm
