#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace slm
{

class RecordListModel;
struct RecordHeader;

// What a printed list shows above its records: each header field's caption with its value, and
// the titles of the number and date-time columns.
struct ListPrintHeader {
    QString freqLabel, freqWeight;    // "Freq Weight" and BoardCA
    QString timeLabel, timeWeight;    // "Time Weight" and BoardSFI
    QString rangeLabel, levelRange;   // "Level Range" and BoardLevel
    QString maxLabel, maxDb, maxTime; // "Max dB", BoardMaxdB and BoardMaxTime
    QString numberTitle = QStringLiteral("No.s");
    QString dateTimeTitle = QStringLiteral("Date Time");
};

// The printed header of a list: the fields of the measurement's header under the captions the list
// views give them, and the list's own column titles.
ListPrintHeader listPrintHeader(const RecordHeader& header, const RecordListModel& records);

// Field widths of a record line: number, date-time, each level.
inline constexpr int NumberWidth = 14;
inline constexpr int DateTimeWidth = 21;
inline constexpr int LevelWidth = 9;
inline constexpr int HeaderLineCount = 14;

// The rule under the column titles: 9 blanks and 71 hyphens.
QString printRule();

// Blanks in front of `text` up to `width` characters. A longer text is kept whole, so the line
// grows rather than losing characters.
QString rightAligned(const QString& text, int width);

// Lines 1 to 14 of one copy: four blanks, the five header lines (the level range once more on
// the fifth), three dashes, the column titles and the rule.
QStringList headerLines(const ListPrintHeader& header);

// The answer to "Input record(s) to print in one row (1-5)": its leading number, whole part
// taken; nothing when it is below 1 or above 5 (the question is asked again).
std::optional<int> recordsPerLineFrom(const QString& answer);

// Every line of a printout, made on demand: a list of a few hundred thousand records is read
// from the list as it is printed, not copied first. The copies follow one another, each from its
// four blank lines on.
class ListPrintout
{
public:
    ListPrintout(const ListPrintHeader& header, const RecordListModel& records, int recordsPerLine,
                 int copies = 1);

    int lineCount() const { return linesPerCopy() * m_copies; }
    int linesPerCopy() const { return HeaderLineCount + recordLineCount(); }
    int recordLineCount() const;
    int recordsPerLine() const { return m_perLine; }
    int copies() const { return m_copies; }

    QString line(int index) const;
    // The first record of a record line (1-based), 0 for a header line.
    int firstRecord(int index) const;

private:
    QStringList m_header;
    const RecordListModel& m_records;
    int m_perLine;
    int m_copies;
};

} // namespace slm
