#pragma once

#include "shared/LiveReading.h"

#include <QDateTime>

namespace slm
{

// A fixed series of live levels for recordings in tests: a marked reading, one below the range
// and a maximum that repeats (the first of them counts).
inline void setRecordingSeriesLevel(LiveReading& live, int index)
{
    static const char* const texts[] = {"55.2", "61.0*", "- - -", "70.4", "48.9", "70.4", "66.6", "59.0"};
    static const double levels[] = {55.2, 61.0, 0.0, 70.4, 48.9, 70.4, 66.6, 59.0};
    const int i = index % 8;
    live.LevelText = QString::fromLatin1(texts[i]);
    live.Level = levels[i];
}

// Just before midnight, so the records cross a day.
inline QDateTime recordingSeriesStart()
{
    return QDateTime(QDate(2026, 3, 14), QTime(23, 59, 57));
}

} // namespace slm
