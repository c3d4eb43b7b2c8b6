#include "recording/RecordFileFormat.h"

#include "shared/TextHelpers.h"

namespace slm
{

int headerLineCount(RecordFileKind kind)
{
    switch (kind) {
    case RecordFileKind::RealTime:
        return 9;
    case RecordFileKind::DataLogger:
        return 14;
    case RecordFileKind::List:
        return 0;
    }
    return 0;
}

RecordFileKind recordFileKind(const QString& firstLine)
{
    if (firstLine.contains(RealTimeKindLine))
        return RecordFileKind::RealTime;
    if (firstLine.contains(DataLoggerKindLine))
        return RecordFileKind::DataLogger;
    return RecordFileKind::List;
}

QString titleLine()
{
    return recordLine(QStringLiteral("No.s"), QStringLiteral("Date Time"), QStringLiteral("dB"));
}

QString recordLine(const RecordRow& row)
{
    return recordLine(row.number, row.dateTime, row.level);
}

QString recordLine(const QString& number, const QString& dateTime, const QString& level)
{
    QString line;
    line.reserve(number.size() + dateTime.size() + level.size() + 3);
    line += number;
    line += u'\t';
    line += dateTime;
    line += u'\t';
    line += level;
    line += u'\t';
    return line;
}

QByteArray encodeLine(const QString& line)
{
    QByteArray bytes = line.toLatin1();
    bytes += "\r\n";
    return bytes;
}

QStringList headerLines(const RealTimeHeader& h)
{
    return {RealTimeKindLine,
            formatHeaderNumber(h.samplingInterval),
            h.freqWeighting,
            h.timeWeighting,
            h.levelRange,
            h.maxLevel,
            h.maxTime,
            h.sel,
            h.leq};
}

QStringList headerLines(const DataLoggerHeader& h)
{
    return {DataLoggerKindLine,
            formatHeaderNumber(h.samplingInterval),
            h.freqWeighting,
            h.timeWeighting,
            h.levelRange,
            h.l05,
            h.l10,
            h.l50,
            h.l90,
            h.l95,
            h.maxLevel,
            h.maxTime,
            h.sel,
            h.leq};
}

std::optional<RecordRow> splitRecordLine(const QString& line)
{
    QString fields[3];
    qsizetype from = 0;
    for (QString& field : fields) {
        const qsizetype tab = line.indexOf(u'\t', from);
        if (tab < 0)
            return std::nullopt;
        field = line.mid(from, tab - from);
        from = tab + 1;
    }
    return RecordRow{fields[0], fields[1], fields[2]};
}

} // namespace slm
