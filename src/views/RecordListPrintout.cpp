#include "views/RecordListPrintout.h"

#include "measurement/RecordFileFormat.h"
#include "measurement/RecordListModel.h"
#include "shared/TextHelpers.h"

#include <algorithm>
#include <cmath>

namespace slm
{

namespace
{

QString headerLine(const QString& label, const QString& value)
{
    return QStringLiteral("-         ") + label + QStringLiteral(" : ") + value;
}

} // namespace

ListPrintHeader listPrintHeader(const RecordHeader& header, const RecordListModel& records)
{
    using F = HeaderField;
    ListPrintHeader h;
    h.freqLabel = headerFieldLabel(F::FreqWeighting);
    h.freqWeight = header.text(F::FreqWeighting);
    h.timeLabel = headerFieldLabel(F::TimeWeighting);
    h.timeWeight = header.text(F::TimeWeighting);
    h.rangeLabel = headerFieldLabel(F::LevelRange);
    h.levelRange = header.text(F::LevelRange);
    h.maxLabel = headerFieldLabel(F::MaxLevel);
    h.maxDb = header.text(F::MaxLevel);
    h.maxTime = header.text(F::MaxTime);
    h.numberTitle = records.text(0, 0);
    h.dateTimeTitle = records.text(0, 1);
    return h;
}

QString printRule()
{
    return QString(9, u' ') + QString(71, u'-');
}

QString rightAligned(const QString& text, int width)
{
    const qsizetype pad = width - text.size();
    return pad > 0 ? QString(pad, u' ') + text : text;
}

QStringList headerLines(const ListPrintHeader& h)
{
    const QString dash = QStringLiteral("-");
    const QString blank = QStringLiteral(" ");
    return {
        blank,
        blank,
        blank,
        blank,
        headerLine(h.freqLabel, h.freqWeight),
        headerLine(h.timeLabel, h.timeWeight),
        headerLine(h.rangeLabel, h.levelRange),
        headerLine(h.maxLabel, h.maxDb) + QStringLiteral(" - ") + h.maxTime,
        headerLine(h.rangeLabel, h.levelRange),
        dash,
        dash,
        dash,
        rightAligned(h.numberTitle, NumberWidth) + rightAligned(h.dateTimeTitle, DateTimeWidth) +
            QStringLiteral("     (dB)"),
        printRule(),
    };
}

std::optional<int> recordsPerLineFrom(const QString& answer)
{
    const double value = numericValue(answer);
    if (!(value >= 1 && value <= 5))
        return std::nullopt;
    return int(std::floor(value));
}

ListPrintout::ListPrintout(const ListPrintHeader& header, const RecordListModel& records, int recordsPerLine,
                           int copies)
    : m_header(headerLines(header)), m_records(records), m_perLine(std::clamp(recordsPerLine, 1, 5)),
      m_copies(std::max(1, copies))
{
}

int ListPrintout::recordLineCount() const
{
    return (m_records.recordCount() + m_perLine - 1) / m_perLine;
}

int ListPrintout::firstRecord(int index) const
{
    const int inCopy = index % linesPerCopy();
    return inCopy < HeaderLineCount ? 0 : 1 + (inCopy - HeaderLineCount) * m_perLine;
}

QString ListPrintout::line(int index) const
{
    if (index < 0 || index >= lineCount())
        return {};
    const int inCopy = index % linesPerCopy();
    if (inCopy < HeaderLineCount)
        return m_header[inCopy];
    const int first = firstRecord(index);
    const int last = std::min(first + m_perLine - 1, m_records.recordCount());
    QString text = rightAligned(m_records.text(first, 0), NumberWidth) +
                   rightAligned(m_records.text(first, 1), DateTimeWidth);
    for (int r = first; r <= last; ++r)
        text += rightAligned(m_records.text(r, 2), LevelWidth);
    return text;
}

} // namespace slm
