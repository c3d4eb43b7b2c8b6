#pragma once

#include "link/SimulatorProcess.h"
#include "shared/LiveReading.h"
#include "station/StationClock.h"
#include "station/StationMeter.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>
#include <memory>

namespace slm::station
{

// A meter on a serial port (or a simulated one on its pseudo-terminal) read without waits: the
// meter sends a live frame about every 100 ms, the port's readyRead hands over what came, and the
// newest frame is decoded into the reading. The sampling tick, on the station's whole seconds,
// takes the reading as it stands. Dozens of meters thus share one thread: nothing here blocks.
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
    void readFrames();
    void tick();
    void armTick();
    void checkSilence();
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
    QSerialPort m_serial;
    QByteArray m_buffer;
    LiveReading m_reading;
    bool m_haveReading = false;
    qint64 m_lastSecond = 0;
    QElapsedTimer m_sinceFrame;
    bool m_up = false;
    bool m_running = false;
    bool m_openFailureLogged = false;
    QString m_staleLockReported;
    QTimer m_tickTimer;
    QTimer m_retryTimer;
    QTimer m_silenceTimer;
};

} // namespace slm::station
