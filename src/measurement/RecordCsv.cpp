#include "measurement/RecordCsv.h"

#include "measurement/LevelFigures.h"
#include "measurement/Measurement.h"
#include "measurement/RecordListModel.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>

namespace slm
{

namespace
{

void appendField(QByteArray& out, QByteArrayView field)
{
    bool quote = false;
    for (char c : field) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        out.append(field);
        return;
    }
    out.append('"');
    for (char c : field) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

const char* flagOf(LevelTextKind kind)
{
    switch (kind) {
    case LevelTextKind::Level:
        return "";
    case LevelTextKind::Paused:
        return "paused";
    case LevelTextKind::BelowRange:
        return "below-range";
    case LevelTextKind::Over:
        return "over";
    case LevelTextKind::NotLevel:
        break;
    }
    return "not-level";
}

// The level's own digits ("  65.3dB" gives 65.3), so nothing is rounded on the way out.
QByteArray plainNumber(QByteArrayView text, const LevelText& level)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    qsizetype end = i;
    bool point = false;
    while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || (text[end] == '.' && !point))) {
        point = point || text[end] == '.';
        ++end;
    }
    const bool general = end < text.size() && (text[end] == 'e' || text[end] == 'E' || text[end] == '+');
    if (general || end == i)
        return QByteArray::number(level.value, 'g', 15);
    QByteArray digits = text.sliced(i, end - i).toByteArray();
    if (digits.startsWith('.'))
        digits.prepend('0');
    if (digits.endsWith('.'))
        digits.chop(1);
    return digits;
}

QByteArray offsetText(int seconds)
{
    const char sign = seconds < 0 ? '-' : '+';
    seconds = std::abs(seconds);
    return QByteArray(1, sign) + QByteArray::number(seconds / 3600).rightJustified(2, '0') + ':' +
           QByteArray::number(seconds / 60 % 60).rightJustified(2, '0');
}

// The offset in force at a local time the clocks skipped: the time read with the offset of the day
// before (the one before the change), and the offset of that instant.
int gapOffset(const QDateTime& local)
{
    const QDateTime asUtc(local.date(), local.time(), Qt::UTC);
    const qint64 wall = asUtc.toSecsSinceEpoch();
    const int before = QDateTime::fromSecsSinceEpoch(wall - 86400).offsetFromUtc();
    return QDateTime::fromSecsSinceEpoch(wall - before).offsetFromUtc();
}

} // namespace

RecordCsvWriter::RecordCsvWriter() : m_out("number,time,level,flag\r\n") {}

QByteArray RecordCsvWriter::isoTime(QByteArrayView t)
{
    if (!civilSeconds(t))
        return t.toByteArray();
    const QDate date(t.sliced(0, 4).toInt(), t.sliced(5, 2).toInt(), t.sliced(8, 2).toInt());
    const int hour = t.sliced(11, 2).toInt();
    if (!date.isValid())
        return t.toByteArray();
    if (date != m_offsetDate || hour != m_offsetHour) {
        const QDateTime local(date, QTime(hour, t.sliced(14, 2).toInt(), t.sliced(17, 2).toInt()));
        m_offsetText = offsetText(local.isValid() ? local.offsetFromUtc() : gapOffset(local));
        m_offsetDate = date;
        m_offsetHour = hour;
    }
    QByteArray iso = t.toByteArray();
    iso[4] = '-';
    iso[7] = '-';
    iso[10] = 'T';
    return iso + m_offsetText;
}

void RecordCsvWriter::addRecord(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level)
{
    const LevelText reading = readLevelText(level);
    appendField(m_out, number);
    m_out.append(',');
    appendField(m_out, isoTime(dateTime));
    m_out.append(',');
    if (reading.kind == LevelTextKind::Level)
        m_out.append(plainNumber(level, reading));
    m_out.append(',');
    m_out.append(flagOf(reading.kind));
    m_out.append("\r\n");
}

QByteArray recordListCsv(const RecordListModel& list)
{
    return recordListCsv(list.measurement());
}

QByteArray recordListCsv(const Measurement& measurement)
{
    RecordCsvWriter csv;
    const int n = measurement.recordCount();
    for (int i = 0; i < n; ++i)
        csv.addRecord(measurement.textBytes(i, 0), measurement.textBytes(i, 1), measurement.textBytes(i, 2));
    return csv.take();
}

QString writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        return QStringLiteral("The file \"%1\" could not be written: %2. Nothing was saved.")
            .arg(QDir::toNativeSeparators(path), out.errorString());
    }
    return {};
}

} // namespace slm
