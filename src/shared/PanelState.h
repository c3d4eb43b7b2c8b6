#pragma once

#include "shared/LiveReading.h"

#include <QString>
#include <array>
#include <vector>

// Number of slots of each trend buffer: ten days at one sample per second, plus one.
inline constexpr int TrendSlots = 864001;
// A recording stops, and the panel's list saves itself, at this many rows.
inline constexpr int RecordLimit = 348000;

// The state the main window owns and hands to the windows that read or write it.
// Grouped by the subsystem that owns each field.
struct PanelState {
    // Port choice.
    int ComPortNumber = 0; // 1..16 when a COMn name was chosen
    QString PortName;      // the device actually opened (COMn, /dev/ttyS.., /dev/pts/..)
    QString PortLabel;     // what LblCOM shows while connected

    // Live reading.
    LiveReading Live;

    // Panel display.
    int SaveMode = 0; // 1 record by PC sampling rate, 2 save the list

    // PC sampling, set by the toolbar and read by the recorder (which keeps its own counters).
    int PcSamplingTime = 1;


    // Panel trend graphs: buffers allocated once, histograms and their extremes.
    std::vector<double> LevelTrend = std::vector<double>(TrendSlots, 0.0);
    std::vector<double> LeqTrend = std::vector<double>(TrendSlots, 0.0);
    std::vector<double> SelTrend = std::vector<double>(TrendSlots, 0.0);
    int TrendWriteIndex = 0;
    std::array<int, 141> IntHistogram{};
    std::array<int, 1401> DecHistogram{};
    int DecLevelMin = 1450;
    int DecLevelMax = 0;
    int IntClassMin = 145;
    int IntClassMax = 0;
    double LeqMin = 145;
    double LeqMax = 0;
    double SelMin = 145;
    double SelMax = 0;
};
