#pragma once

#include "measurement/LevelFigures.h"
#include "measurement/RecordFileFormat.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <limits>
#include <optional>

namespace slm
{

struct LiveReading;

// The meter's frequency weighting as its status byte gives it.
enum class FrequencyWeighting : std::uint8_t { A, C, Z, Filter20To200 };
// The meter's time weighting; `None` for the status value that names none.
enum class TimeWeighting : std::uint8_t { Fast, Slow, Impulse, None };

// The level range in force, in dB ("80-140" is {80, 140}); {0, 0} before the meter named one.
struct LevelRange {
    int low = 0;
    int high = 0;
    bool operator==(const LevelRange&) const = default;
};

// As a record file's header and the panel's boards write them: "A", "C", "Z", "20-200Hz Filter";
// "FAST", "SLOW", "IMP", ""; "80-140".
QString frequencyWeightingText(FrequencyWeighting weighting);
QString timeWeightingText(TimeWeighting weighting);
QString levelRangeText(LevelRange range);

// One sample of one meter, as the sampling tick takes it: when, the level as the meter sent it
// (whole tenths of a dB and its pause mark), what the meter says of the range, the settings in
// force and the sampling interval it was taken at.
struct Sample {
    // What stands for the level in the record text: the level, nothing yet (no frame decoded),
    // or "- - -" below the range and "OL" over it where a list wrote those.
    enum class Shown : std::uint8_t { Level, BelowRange, Over, Nothing };

    QDateTime time;
    int tenths = 0;      // the meter's level word, 0 .. 3276.7 dB in tenths
    bool marked = false; // the meter flagged the reading (paused): its text ends in "*"
    Shown shown = Shown::Level;
    // The frame's flags: the level is over the range's top or below its bottom. The record text
    // keeps the level the meter sent either way.
    bool overRange = false;
    bool belowRange = false;
    FrequencyWeighting frequencyWeighting = FrequencyWeighting::A;
    TimeWeighting timeWeighting = TimeWeighting::Fast;
    LevelRange range;
    int interval = 1; // seconds: the sampling interval in force when it was taken

    double level() const { return tenths / 10.0; }
    // What the record text says of it: a level, paused, below or over the range, or nothing.
    LevelTextKind kind() const
    {
        switch (shown) {
        case Shown::Level:
            break;
        case Shown::BelowRange:
            return LevelTextKind::BelowRange;
        case Shown::Over:
            return LevelTextKind::Over;
        case Shown::Nothing:
            return LevelTextKind::NotLevel;
        }
        return marked ? LevelTextKind::Paused : LevelTextKind::Level;
    }
};

// The level text of a sample as the meter's display and every record file write it: one
// decimal, no digit before the point below 1 dB (".7"), "*" after a flagged reading.
QString sampleLevelText(const Sample& sample);
QString levelTextOfTenths(int tenths, bool marked);
// The record line of a sample: its number, its local time "yyyy/mm/dd hh:nn:ss" and its level.
QString sampleRecordLine(int number, const Sample& sample);

// A decoded live reading as one typed value: its level (or what stands for it), the range flags,
// the weightings and the range. The time and the interval are left for whoever takes the sample.
Sample sampleOfReading(const LiveReading& reading);

// The header a real-time record file starts with when its first sample is `sample`: its
// interval, weightings and range; no maximum yet, the running Leq and SEL not the file's ("XXX").
RealTimeHeader realTimeHeaderOf(const Sample& sample);

// One record of a measurement as the figures and assessments read it, parsed once when the
// record is stored: 16 bytes, so ten days at 1 s (864000 records) fit in 14 MB.
struct RecordSample {
    static constexpr std::int64_t NoTime = std::numeric_limits<std::int64_t>::min();
    // Seconds of the record's local date-time counted on the calendar (civilSeconds), NoTime when
    // the text is not a date-time. Local wall-clock time: the periods of a day are read on it.
    std::int64_t time = NoTime;
    float value = 0;          // the leading number, for Level (float keeps the usual texts exact to 0.01 dB)
    std::int16_t tenths = -1; // whole tenths when the text has at most one decimal, else -1
    LevelTextKind kind = LevelTextKind::NotLevel;

    bool isLevel() const { return kind == LevelTextKind::Level; }
    bool hasTime() const { return time != NoTime; }
    // The level in dB as the figures use it.
    double level() const { return tenths >= 0 ? tenths / 10.0 : double(value); }
};
static_assert(sizeof(RecordSample) == 16);

// A record's date-time and level texts parsed (the bytes of a record file or a list row).
RecordSample parseRecordSample(QByteArrayView dateTime, QByteArrayView levelText);
// A live sample as a record reads back.
RecordSample recordSampleOf(const Sample& sample);

// A record's local calendar seconds back to a date-time in the system's time zone. A time that
// falls in a daylight-saving gap takes the offset in force at that instant (Qt moves it forward).
QDateTime localDateTimeOf(std::int64_t civilSeconds);

} // namespace slm
