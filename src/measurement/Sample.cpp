#include "measurement/Sample.h"

#include "measurement/RecordFileFormat.h"
#include "shared/LiveReading.h"
#include "shared/TextHelpers.h"

#include <cmath>

namespace slm
{

namespace
{
FrequencyWeighting frequencyWeightingOf(const QString& text)
{
    if (text == u"C")
        return FrequencyWeighting::C;
    if (text == u"Z")
        return FrequencyWeighting::Z;
    if (text == u"AA")
        return FrequencyWeighting::Filter20To200;
    return FrequencyWeighting::A;
}

TimeWeighting timeWeightingOf(const QString& text)
{
    if (text == u"FAST")
        return TimeWeighting::Fast;
    if (text == u"SLOW")
        return TimeWeighting::Slow;
    if (text == u"IMP")
        return TimeWeighting::Impulse;
    return TimeWeighting::None;
}
} // namespace

Sample sampleOfReading(const LiveReading& reading)
{
    Sample s;
    // Before the first frame the reading has no level text: the sample shows nothing.
    s.shown = reading.LevelText.isEmpty() ? Sample::Shown::Nothing : Sample::Shown::Level;
    s.tenths = int(std::lround(reading.Level * 10));
    s.marked = reading.LevelText.endsWith(u'*');
    s.overRange = reading.OverFlag;
    s.belowRange = reading.UnderFlag;
    s.frequencyWeighting = frequencyWeightingOf(reading.FreqWeighting);
    s.timeWeighting = timeWeightingOf(reading.TimeWeighting);
    s.range = {reading.RangeLow, reading.RangeHigh};
    return s;
}

RealTimeHeader realTimeHeaderOf(const Sample& sample)
{
    RealTimeHeader header;
    header.samplingInterval = sample.interval;
    header.freqWeighting = frequencyWeightingText(sample.frequencyWeighting);
    header.timeWeighting = timeWeightingText(sample.timeWeighting);
    header.levelRange = levelRangeText(sample.range);
    header.maxLevel = QStringLiteral("0");
    header.sel = SelNotComputed;
    header.leq = SelNotComputed;
    return header;
}

QString frequencyWeightingText(FrequencyWeighting weighting)
{
    switch (weighting) {
    case FrequencyWeighting::A:
        return QStringLiteral("A");
    case FrequencyWeighting::C:
        return QStringLiteral("C");
    case FrequencyWeighting::Z:
        return QStringLiteral("Z");
    case FrequencyWeighting::Filter20To200:
        return QStringLiteral("20-200Hz Filter");
    }
    return {};
}

QString timeWeightingText(TimeWeighting weighting)
{
    switch (weighting) {
    case TimeWeighting::Fast:
        return QStringLiteral("FAST");
    case TimeWeighting::Slow:
        return QStringLiteral("SLOW");
    case TimeWeighting::Impulse:
        return QStringLiteral("IMP");
    case TimeWeighting::None:
        return {};
    }
    return {};
}

QString levelRangeText(LevelRange range)
{
    return QString::number(range.low) + u'-' + QString::number(range.high);
}

QString levelTextOfTenths(int tenths, bool marked)
{
    // The meter's own rule: the digits of the tenths with a point before the last one, so a
    // level below 1 dB has no digit before the point.
    const QString digits = QString::number(tenths);
    QString text = digits.left(digits.size() - 1) + u'.' + digits.right(1);
    if (marked)
        text += u'*';
    return text;
}

QString sampleLevelText(const Sample& sample)
{
    switch (sample.shown) {
    case Sample::Shown::Level:
        break;
    case Sample::Shown::BelowRange:
        return QStringLiteral("- - -");
    case Sample::Shown::Over:
        return QStringLiteral("OL");
    case Sample::Shown::Nothing:
        return {};
    }
    return levelTextOfTenths(sample.tenths, sample.marked);
}

QString sampleRecordLine(int number, const Sample& sample)
{
    return recordLine(QString::number(number), formatDateTime(sample.time), sampleLevelText(sample));
}

RecordSample parseRecordSample(QByteArrayView dateTime, QByteArrayView levelText)
{
    RecordSample s;
    if (const std::optional<std::int64_t> t = civilSeconds(dateTime))
        s.time = *t;
    const LevelText level = readLevelText(levelText);
    s.kind = level.kind;
    s.value = float(level.value);
    s.tenths = level.tenths >= 0 && level.tenths <= 32767 ? std::int16_t(level.tenths) : std::int16_t(-1);
    return s;
}

RecordSample recordSampleOf(const Sample& sample)
{
    const QByteArray dateTime = formatDateTime(sample.time).toLatin1();
    const QByteArray level = sampleLevelText(sample).toLatin1();
    return parseRecordSample(dateTime, level);
}

QDateTime localDateTimeOf(std::int64_t civil)
{
    const std::int64_t days = civil >= 0 ? civil / 86400 : (civil - 86399) / 86400;
    const int secondOfDay = int(civil - days * 86400);
    const QDate date = QDate(1970, 1, 1).addDays(days);
    return QDateTime(date, QTime(0, 0).addSecs(secondOfDay), Qt::LocalTime);
}

} // namespace slm
