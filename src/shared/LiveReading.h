#pragma once

#include <QString>

namespace slm
{

// The newest decoded live frame. One instance lives in PanelState and every decode overwrites
// only the fields its own byte carries, so a frame decoded from logger memory updates it too.
struct LiveReading {
    int RangeHigh = 0;
    int RangeLow = 0;
    bool OverFlag = false;
    bool UnderFlag = false;
    bool RunFlag = false;
    bool PauseFlag = false;
    bool StopFlag = false;
    QString TimeWeighting;
    QString FreqWeighting;
    double Level = 0.0;
    QString LevelText;
};

} // namespace slm
