#include "logger/LoggerMemory.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>

namespace slm
{

namespace
{

int bcdValue(unsigned char b)
{
    if ((b >> 4) > 9 || (b & 0x0f) > 9)
        return -1;
    return (b >> 4) * 10 + (b & 0x0f);
}

bool markerAt(const QByteArray& image, qsizetype pos)
{
    return pos >= 0 && pos + SetMarker.size() <= image.size() &&
           std::equal(SetMarker.begin(), SetMarker.end(), image.begin() + pos);
}

// Four bytes that differ from the marker in at most one byte: the marker of the next set with
// one byte damaged. Level words cannot hold such bytes short of an 8.5 dB or 1075 dB reading.
bool damagedMarkerAt(const QByteArray& image, qsizetype pos)
{
    if (pos < 0 || pos + SetMarker.size() > image.size())
        return false;
    int differing = 0;
    for (qsizetype i = 0; i < SetMarker.size(); ++i)
        differing += image[pos + i] != SetMarker[i];
    return differing <= 1;
}

QDateTime bcdDateTime(const char* b)
{
    const auto v = [b](int i) { return bcdValue(static_cast<unsigned char>(b[i])); };
    return QDateTime(QDate(2000 + v(5), v(4), v(3)), QTime(v(2), v(1), v(0)), QTimeZone::utc());
}

// A trailer that vouches for itself where no marker follows it: its five date-times are
// dates, the second is the time of the last record, and the five spare words are zero, as
// the meter leaves them. Records cannot look like this: a zero level makes no date.
bool selfConsistentEnd(const QByteArray& image, qsizetype start, qsizetype end)
{
    const qsizetype records = (end - start - SetOverhead) / 2;
    const char* trailer = image.constData() + end - (SetOverhead - 8);
    const char* spare = trailer + 40;
    if (std::any_of(spare, spare + 10, [](char c) { return c != 0; }))
        return false;
    for (int i = 0; i < 5; ++i) {
        if (!isPlausibleBcdDateTime(trailer + 6 * i))
            return false;
    }
    const int interval =
        static_cast<unsigned char>(image[start + 4]) * 256 + static_cast<unsigned char>(image[start + 5]);
    const QDateTime first = bcdDateTime(trailer);
    const QDateTime last = bcdDateTime(trailer + 6);
    return first.isValid() && last.isValid() && first.addSecs(qint64(records - 1) * interval) == last;
}

// The length of the set whose marker is at start, or 0 when no set can end there. The set
// ends at start + 58 + 2k (k >= 1 records), no further than the end mark, where either
// - the next marker follows (with at most one byte damaged) and the trailer in front of it
//   starts with a date-time, so a marker's bytes among the records do not cut the set; or
// - no marker follows but the trailer vouches for itself, so a set followed by damage does
//   not swallow the damage and the set behind it.
qsizetype setLengthAt(const QByteArray& image, qsizetype start, qsizetype loggedLength)
{
    for (qsizetype next = start + SetOverhead + 2; next <= loggedLength; next += 2) {
        if (damagedMarkerAt(image, next) &&
            isPlausibleBcdDateTime(image.constData() + next - (SetOverhead - 8)))
            return next - start;
        if (selfConsistentEnd(image, start, next))
            return next - start;
    }
    return 0;
}

} // namespace

bool isPlausibleBcdDateTime(const char* b)
{
    const int second = bcdValue(static_cast<unsigned char>(b[0]));
    const int minute = bcdValue(static_cast<unsigned char>(b[1]));
    const int hour = bcdValue(static_cast<unsigned char>(b[2]));
    const int day = bcdValue(static_cast<unsigned char>(b[3]));
    const int month = bcdValue(static_cast<unsigned char>(b[4]));
    const int year = bcdValue(static_cast<unsigned char>(b[5]));
    return second >= 0 && second < 60 && minute >= 0 && minute < 60 && hour >= 0 && hour < 24 && day >= 1 &&
           day <= 31 && month >= 1 && month <= 12 && year >= 0;
}

QByteArray loggerImageFromBlock(const QByteArray& block)
{
    QByteArray image = block.size() > 2 ? block.mid(1, block.size() - 2) : QByteArray();
    image.append(SetMarker);
    return image;
}

std::vector<DataSet> scanLoggerImage(const QByteArray& image, qsizetype loggedLength)
{
    std::vector<DataSet> sets;
    loggedLength = std::min(loggedLength, image.size() - SetMarker.size());
    qsizetype pos = image.indexOf(SetMarker, 0);
    while (pos >= 0 && pos < loggedLength) {
        const qsizetype length = setLengthAt(image, pos, loggedLength);
        if (length > 0) {
            const qsizetype records = (length - SetOverhead) / 2;
            DataSet set;
            set.bytes = image.mid(pos, length);
            set.interval =
                static_cast<unsigned char>(set.bytes[4]) * 256 + static_cast<unsigned char>(set.bytes[5]);
            set.recordCount = static_cast<int>(records);
            sets.push_back(std::move(set));
            pos += length;
            if (markerAt(image, pos))
                continue;
            // No intact marker follows: what comes next cannot be trusted, look for the next one.
        } else {
            ++pos;
        }
        pos = image.indexOf(SetMarker, pos);
    }
    return sets;
}

} // namespace slm
