#pragma once

#include <QString>

namespace slm
{

// The newest decoded live frame, as each meter's live frames keep it. Every decode overwrites
// only the fields its own byte carries; a logged set is decoded into a copy that starts from it.
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
