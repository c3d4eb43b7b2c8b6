#include "logger/SetDecode.h"

#include "link/FrameDecoder.h"
#include "link/MeterCommands.h"
#include "shared/TextHelpers.h"

#include <QTimeZone>

namespace slm
{

namespace
{
// Offsets from the end of the records (2N + 8) into the trailer.
constexpr int StartOffset = 0;
constexpr int MaxTimeOffset = 12;
constexpr int PeakTimeOffset = 24;
constexpr int LeqLevelOffset = 30;
constexpr int SelLevelOffset = 32;
constexpr int MaxLevelOffset = 34;
constexpr int PeakLevelOffset = 38;
} // namespace

SetDecoder::SetDecoder(const DataSet& set, const LiveReading& panelReading, int pcYear)
    : m_set(set), m_reading(panelReading), m_century(QString::number(pcYear / 100).rightJustified(2, u'0'))
{
    DecodeRangeByte(m_reading, byteAt(7));
    DecodeStatusByte(m_reading, byteAt(6));
    m_startText = trailerDateTime(StartOffset);
    // The meter's clock has no time zone; counting in UTC keeps every second exactly one apart.
    m_start = QDateTime::fromString(m_startText, QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    if (m_start.isValid())
        m_start = QDateTime(m_start.date(), m_start.time(), QTimeZone::utc());
}

QString SetDecoder::trailerDateTime(int offset) const
{
    const qsizetype at = 2 * qsizetype(m_set.recordCount) + 8 + offset;
    using MeterCommands::bcdText;
    return m_century + bcdText(byteAt(at + 5)) + u'/' + bcdText(byteAt(at + 4)) + u'/' +
           bcdText(byteAt(at + 3)) + u' ' + bcdText(byteAt(at + 2)) + u':' + bcdText(byteAt(at + 1)) + u':' +
           bcdText(byteAt(at));
}

RecordRow SetDecoder::record(int i) const
{
    const qsizetype at = 2 * qsizetype(i) + 6;
    RecordRow row;
    row.number = QString::number(i);
    if (m_start.isValid())
        row.dateTime = formatDateTime(m_start.addSecs(qint64(i - 1) * m_set.interval));
    row.level = levelTextOf(byteAt(at), byteAt(at + 1));
    return row;
}

SetFields SetDecoder::fields() const
{
    const qsizetype trailer = 2 * qsizetype(m_set.recordCount) + 8;
    SetFields f;
    f.freqWeight = m_reading.FreqWeighting == QLatin1String("AA") ? QStringLiteral("20-200Hz Filter")
                                                                  : m_reading.FreqWeighting;
    f.timeWeight = m_reading.TimeWeighting;
    f.levelRange = QStringLiteral("%1-%2").arg(m_reading.RangeLow).arg(m_reading.RangeHigh);
    f.maxTime = trailerDateTime(MaxTimeOffset);
    f.maxDb = levelTextOf(byteAt(trailer + MaxLevelOffset), byteAt(trailer + MaxLevelOffset + 1));
    f.peakTime = trailerDateTime(PeakTimeOffset);
    f.peakDb = levelTextOf(byteAt(trailer + PeakLevelOffset), byteAt(trailer + PeakLevelOffset + 1));
    f.meterLeq = levelTextOf(byteAt(trailer + LeqLevelOffset), byteAt(trailer + LeqLevelOffset + 1));
    f.meterSel = levelTextOf(byteAt(trailer + SelLevelOffset), byteAt(trailer + SelLevelOffset + 1));
    return f;
}

} // namespace slm
