#pragma once

#include "measurement/RecordRow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace slm
{

// The bytes of a record file (.slmm): single-byte text (Latin-1), CR LF line ends, every field of
// the title and record lines followed by a TAB. Three kinds, told apart by the first line.

inline const QString RecordFileFilter = QStringLiteral("Data Files (*.slmm)|*.slmm|All Files (*.*)|*.*|");
inline const QString RealTimeKindLine = QStringLiteral("Real Time");
inline const QString DataLoggerKindLine = QStringLiteral("Data Logger");
inline const QString SelNotComputed = QStringLiteral("XXX");

enum class RecordFileKind { RealTime, DataLogger, List };

// Header lines before the title line: 9, 14 or 0.
int headerLineCount(RecordFileKind kind);

// "Real Time" is looked for first, so a line holding both words is a real-time file; a first
// line with neither makes a list file (that line is its title line, or its first record).
RecordFileKind recordFileKind(const QString& firstLine);

// "No.s", TAB, "Date Time", TAB, "dB", TAB.
QString titleLine();
// number, TAB, date-time, TAB, level, TAB.
QString recordLine(const RecordRow& row);
QString recordLine(const QString& number, const QString& dateTime, const QString& level);

// One line as it goes to disk: Latin-1 bytes and CR LF. Characters outside Latin-1 cannot occur
// in what the meter or the panel produce; they would become '?'.
QByteArray encodeLine(const QString& line);

// The fields a record file's header can hold, and the one layout of each kind: which field each
// header line carries (line 0 the kind line) and how the list views label it.
enum class HeaderField {
    Kind,
    Interval,
    FreqWeighting,
    TimeWeighting,
    LevelRange,
    L05,
    L10,
    L50,
    L90,
    L95,
    MaxLevel,
    MaxTime,
    Sel,
    Leq,
};
inline constexpr int HeaderFieldCount = int(HeaderField::Leq) + 1;
// The fields of the header lines of `kind`, in file order (empty for a list file).
QList<HeaderField> headerLayout(RecordFileKind kind);
// "Freq Weight", "Max dB", "L 05", ...; "" for the kind line and the interval.
QString headerFieldLabel(HeaderField field);

// A header as the file says it: each field's text, read or to be written as it stands.
struct RecordHeader {
    RecordFileKind kind = RecordFileKind::List;
    QString fields[HeaderFieldCount];

    const QString& text(HeaderField field) const { return fields[int(field)]; }
    void set(HeaderField field, const QString& text) { fields[int(field)] = text; }
    // The interval the header gives, when it is a number above 0.
    std::optional<double> interval() const;
};
// The header lines of `header.kind`, in its layout; the kind line is the kind's own.
QStringList headerLines(const RecordHeader& header);
// A header from the lines read (line 0 the kind line); missing lines give "".
RecordHeader recordHeaderOf(RecordFileKind kind, const QStringList& lines);

// Header of a real-time file. Texts go in as written; maxLevel is already a text because the list
// save writes it as a number (formatHeaderNumber) and a recording as the level text it saw.
struct RealTimeHeader {
    int samplingInterval = 1;
    QString freqWeighting;
    QString timeWeighting;
    QString levelRange;
    QString maxLevel;
    QString maxTime;
    QString sel;
    QString leq;
};
RecordHeader toRecordHeader(const RealTimeHeader& header);
QStringList headerLines(const RealTimeHeader& header);

// Header of a data-logger file: the set's interval and the data list's field texts.
struct DataLoggerHeader {
    int samplingInterval = 1;
    QString freqWeighting;
    QString timeWeighting;
    QString levelRange;
    QString l05;
    QString l10;
    QString l50;
    QString l90;
    QString l95;
    QString maxLevel;
    QString maxTime;
    QString sel;
    QString leq;
};
RecordHeader toRecordHeader(const DataLoggerHeader& header);
QStringList headerLines(const DataLoggerHeader& header);

// Splits a record line into its three fields: each is the text up to the next TAB. A line with
// fewer than three TABs is not a record line.
std::optional<RecordRow> splitRecordLine(const QString& line);

} // namespace slm
