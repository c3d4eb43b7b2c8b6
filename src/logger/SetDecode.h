#pragma once

#include "logger/LoggerMemory.h"
#include "measurement/RecordRow.h"
#include "shared/LiveReading.h"

#include <QDateTime>
#include <QString>

namespace slm
{

// What the "Data List" window shows of one set besides its records.
struct SetFields {
    QString freqWeight; // BoardCA: "20-200Hz Filter" for AA
    QString timeWeight; // BoardSFI
    QString levelRange; // BoardLevel, "80-140"
    QString maxDb;      // BoardMaxdB
    QString maxTime;    // BoardMaxTime
    QString peakDb;     // BoardPeakdB
    QString peakTime;   // BoardPeakTime
    // The meter's own Leq and SEL, from the two level words at the head of the trailer's levels.
    QString meterLeq; // BoardMeterLeq
    QString meterSel; // BoardMeterSEL
};

// Shown for the values the meter's memory does not give (L05..L95, SEL, Leq).
inline const QString NotComputed = QStringLiteral("XXX");

// Reads one set. The set's header bytes are decoded into a copy of the panel's reading, so a
// range index the decoders ignore keeps the panel's range while the panel's own live reading
// (which a running recording samples) is left alone.
class SetDecoder
{
public:
    SetDecoder(const DataSet& set, const LiveReading& panelReading, int pcYear);

    int recordCount() const { return m_set.recordCount; }
    int interval() const { return m_set.interval; }
    // False when the start date-time is not a date (the records then get no times).
    bool hasStart() const { return m_start.isValid(); }
    // The start as "yyyy/mm/dd hh:nn:ss", its digits the BCD bytes' hex digits.
    QString startText() const { return m_startText; }
    // Record i, 1-based: number, start + (i - 1) x interval, level text.
    RecordRow record(int i) const;
    SetFields fields() const;

private:
    QString trailerDateTime(int offset) const;
    unsigned char byteAt(qsizetype index) const { return static_cast<unsigned char>(m_set.bytes[index]); }

    const DataSet& m_set;
    LiveReading m_reading;
    QString m_century;
    QString m_startText;
    QDateTime m_start;
};

} // namespace slm
