#include "measurement/RecordFileFormat.h"

#include "measurement/LevelFigures.h"
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

QList<HeaderField> headerLayout(RecordFileKind kind)
{
    using F = HeaderField;
    switch (kind) {
    case RecordFileKind::RealTime:
        return {F::Kind,          F::Interval,   F::FreqWeighting,
                F::TimeWeighting, F::LevelRange, F::MaxLevel,
                F::MaxTime,       F::Sel,        F::Leq};
    case RecordFileKind::DataLogger:
        return {F::Kind, F::Interval, F::FreqWeighting, F::TimeWeighting, F::LevelRange, F::L05, F::L10,
                F::L50,  F::L90,      F::L95,           F::MaxLevel,      F::MaxTime,    F::Sel, F::Leq};
    case RecordFileKind::List:
        return {};
    }
    return {};
}

QString headerFieldLabel(HeaderField field)
{
    switch (field) {
    case HeaderField::Kind:
    case HeaderField::Interval:
        return {};
    case HeaderField::FreqWeighting:
        return QStringLiteral("Freq Weight");
    case HeaderField::TimeWeighting:
        return QStringLiteral("Time Weight");
    case HeaderField::LevelRange:
        return QStringLiteral("Level Range");
    case HeaderField::L05:
        return QStringLiteral("L 05");
    case HeaderField::L10:
        return QStringLiteral("L 10");
    case HeaderField::L50:
        return QStringLiteral("L 50");
    case HeaderField::L90:
        return QStringLiteral("L 90");
    case HeaderField::L95:
        return QStringLiteral("L 95");
    case HeaderField::MaxLevel:
        return QStringLiteral("Max dB");
    case HeaderField::MaxTime:
        return QStringLiteral("Max time");
    case HeaderField::Sel:
        return QStringLiteral("SEL");
    case HeaderField::Leq:
        return QStringLiteral("Leq");
    }
    return {};
}

std::optional<double> RecordHeader::interval() const
{
    return headerInterval(text(HeaderField::Interval));
}

QStringList headerLines(const RecordHeader& header)
{
    QStringList lines;
    for (const HeaderField field : headerLayout(header.kind)) {
        if (field == HeaderField::Kind)
            lines << (header.kind == RecordFileKind::RealTime ? RealTimeKindLine : DataLoggerKindLine);
        else
            lines << header.text(field);
    }
    return lines;
}

RecordHeader recordHeaderOf(RecordFileKind kind, const QStringList& lines)
{
    RecordHeader header;
    header.kind = kind;
    const QList<HeaderField> layout = headerLayout(kind);
    for (int i = 0; i < layout.size(); ++i)
        header.set(layout[i], lines.value(i));
    return header;
}

namespace
{
// The fields both kinds of header carry.
template <class Header> RecordHeader commonHeader(RecordFileKind kind, const Header& h)
{
    RecordHeader r;
    r.kind = kind;
    r.set(HeaderField::Interval, formatHeaderNumber(h.samplingInterval));
    r.set(HeaderField::FreqWeighting, h.freqWeighting);
    r.set(HeaderField::TimeWeighting, h.timeWeighting);
    r.set(HeaderField::LevelRange, h.levelRange);
    r.set(HeaderField::MaxLevel, h.maxLevel);
    r.set(HeaderField::MaxTime, h.maxTime);
    r.set(HeaderField::Sel, h.sel);
    r.set(HeaderField::Leq, h.leq);
    return r;
}
} // namespace

RecordHeader toRecordHeader(const RealTimeHeader& h)
{
    return commonHeader(RecordFileKind::RealTime, h);
}

RecordHeader toRecordHeader(const DataLoggerHeader& h)
{
    RecordHeader r = commonHeader(RecordFileKind::DataLogger, h);
    r.set(HeaderField::L05, h.l05);
    r.set(HeaderField::L10, h.l10);
    r.set(HeaderField::L50, h.l50);
    r.set(HeaderField::L90, h.l90);
    r.set(HeaderField::L95, h.l95);
    return r;
}

QStringList headerLines(const RealTimeHeader& h)
{
    return headerLines(toRecordHeader(h));
}

QStringList headerLines(const DataLoggerHeader& h)
{
    return headerLines(toRecordHeader(h));
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
