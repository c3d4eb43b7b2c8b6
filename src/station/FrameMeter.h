#pragma once

#include "link/LinkLock.h"
#include "link/SerialMeterLink.h"
#include "link/SimulatorProcess.h"
#include "meter/LiveMeter.h"
#include "station/StationClock.h"
#include "station/StationMeter.h"

#include <QTimer>
#include <memory>

namespace slm::station
{

// A meter on a serial port (or a simulated one on its pseudo-terminal), read by the live frames
// the panel reads too: the newest frame as it arrives, without waits. The sampling tick, on the
// station's whole seconds, takes the reading as it stands. Dozens of meters thus share one
// thread: nothing here blocks. What is the station's own: the simulated meter's process, the
// quiet retries of a port that cannot be opened, and the journal of the link's ups and downs.
class FrameMeter : public StationMeter
{
    Q_OBJECT
public:
    FrameMeter(const QString& name, const QString& port, const QStringList& simulatorArguments,
               int intervalSeconds, const StationClock& clock, QObject* parent = nullptr);
    ~FrameMeter() override;

    void start() override;
    void stop() override;
    bool linkUp() const override { return m_up; }
    QString portText() const override { return m_device; }

private:
    void startSimulator();
    void openPort();
    void tick();
    void armTick();
    void checkLink();
    void setLinkUp(bool up, const QString& detail);
    void portFailed(const QString& detail);
    QString openFailure() const;

    QString m_name;
    QString m_port;
    QStringList m_simulatorArguments;
    int m_interval;
    const StationClock& m_clock;
    std::unique_ptr<SimulatorProcess> m_simulator;
    QString m_device;
    SerialMeterLink m_link;
    LinkLock m_lock; // the station runs no exchanges: never held
    LiveMeter m_frames;
    qint64 m_lastSecond = 0;
    bool m_opened = false;
    bool m_up = false;
    bool m_running = false;
    bool m_openFailureLogged = false;
    QString m_staleLockReported;
    QTimer m_tickTimer;
    QTimer m_retryTimer;
    QTimer m_silenceTimer;
};

} // namespace slm::station
