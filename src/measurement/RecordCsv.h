#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

namespace slm
{

class Measurement;
class RecordListModel;

// Records as CSV (RFC 4180: comma-separated, CR LF line ends, a field holding a comma, a quote or
// a line break quoted with its quotes doubled) that a spreadsheet opens as it is:
//
//   number,time,level,flag
//   12,2026-01-17T08:30:05+01:00,65.3,
//   13,2026-01-17T08:30:06+01:00,,paused
//
// The time is the record's local time in ISO 8601 with its offset from UTC; a time text that is no
// date-time is kept as it stands. The level is a plain number with a dot, empty when the record is
// not a level; the flag says why: paused, below-range, over or not-level.
//
// A time in a daylight-saving gap (the hour the clocks skip) is read as the meter's clock would
// have meant it before the change: its digits stay, and the offset is the one in force at that
// instant, the one after the change ("02:30" on the day clocks go from +01:00 to +02:00 gives
// "02:30+02:00").

// Builds the CSV text row by row. The cells come as UTF-8 bytes, as the record lists keep them.
class RecordCsvWriter
{
public:
    RecordCsvWriter();
    const QByteArray& text() const { return m_out; }
    QByteArray take() { return std::move(m_out); }
    void addRecord(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level);

private:
    QByteArray isoTime(QByteArrayView dateTime);

    QByteArray m_out;
    // The offset of the last hour converted: records of one hour share it, and working it out for
    // each of 348000 records would cost more than the rest of the export.
    QDate m_offsetDate;
    int m_offsetHour = -1;
    QByteArray m_offsetText;
};

// The whole list as CSV.
QByteArray recordListCsv(const RecordListModel& list);
QByteArray recordListCsv(const Measurement& measurement);

// Writes `bytes` to `path` as a whole: the file appears complete or not at all (an earlier file at
// the path stays as it was). "" on success, else the message naming the file.
QString writeFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace slm
