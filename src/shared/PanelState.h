#pragma once

#include "shared/LiveReading.h"

#include <QString>
#include <array>
#include <vector>

// A recording stops, and the panel's list saves itself, at this many rows.
inline constexpr int RecordLimit = 348000;

// The state the main window owns and hands to the windows that read or write it.
// Grouped by the subsystem that owns each field.
struct PanelState {
    // Port choice.
    int ComPortNumber = 0;  // 1..16 when a COMn name was chosen
    QString PortName;       // the device actually opened (COMn, /dev/ttyS.., /dev/pts/..)
    QString PortLabel;      // what LblCOM shows while connected

    // Live reading.
    LiveReading Live;

    // Panel display.
    int SaveMode = 0;  // 1 record by PC sampling rate, 2 save the list

    // Timed start, stored only.
    double TimedStartSeconds = 0.0;
    float TimedStartBegin = 0.0f;
    int TimedStartElapsed1 = 0;
    int TimedStartElapsed2 = 0;
    bool TimedStartArmed = false;

    // Recording and list.
    bool Recording = false;
    int PcSamplingTime = 1;
    int SamplingCountdown = 0;
    int RecordCount = 0;
    int ListCount = 0;
    QString RecordFilePath;
    bool FileChosen = false;
    double OverallMax = 0.0;
    QString OverallMaxTime;
    QString RecordingMax = QStringLiteral("0");
    QString RecordingMaxTime;
    QString LastSampleTime;
    QString LeqText;
    QString SelText;

    // Toolbar and data logger.
    int MeterSamplingTime = 1;
    bool MemoryFormOpen = false;
    int SetSamplingInterval = 0;

    // Sampling source.
    bool UsePCSampling = false;

    // Record plot and Ln statistics.
    int PlotRecordCount = 0;
    std::array<double, 100> LnValues{};
    int LnClassMin = 0;
    int LnClassMax = 0;
    double LnYMax = 0.0;
};
