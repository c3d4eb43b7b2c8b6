#pragma once

#include "meter/Sampling.h"

#include <QDateTime>
#include <cmath>

namespace slm
{

// A reading as the recorder tests give it: the level and the text the display shows for it
// ("" before any frame, "- - -" below the range, "*" after a paused one), under the settings
// A, FAST, 30-90.
inline Sample testReading(double level, const QString& text)
{
    Sample s;
    s.tenths = int(std::lround(level * 10));
    s.marked = text.endsWith(u'*');
    s.shown = text.isEmpty()          ? Sample::Shown::Nothing
              : text.startsWith(u'-') ? Sample::Shown::BelowRange
                                      : Sample::Shown::Level;
    s.frequencyWeighting = FrequencyWeighting::A;
    s.timeWeighting = TimeWeighting::Fast;
    s.range = {30, 90};
    return s;
}

// A fixed series of live levels for recordings in tests: a marked reading, one below the range
// and a maximum that repeats (the first of them counts).
inline void setRecordingSeriesLevel(Sampling& sampling, int index)
{
    static const char* const texts[] = {"55.2", "61.0*", "- - -", "70.4", "48.9", "70.4", "66.6", "59.0"};
    static const double levels[] = {55.2, 61.0, 0.0, 70.4, 48.9, 70.4, 66.6, 59.0};
    const int i = index % 8;
    sampling.setReading(testReading(levels[i], QString::fromLatin1(texts[i])));
}

// Just before midnight, so the records cross a day.
inline QDateTime recordingSeriesStart()
{
    return QDateTime(QDate(2026, 3, 14), QTime(23, 59, 57));
}

} // namespace slm
