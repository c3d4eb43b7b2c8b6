#include "link/FrameDecoder.h"

#include <QByteArray>

namespace slm
{

namespace
{
struct RangeBounds {
    int high;
    int low;
};
constexpr RangeBounds Ranges[6] = {{140, 80}, {130, 70}, {120, 60}, {110, 50}, {100, 40}, {90, 30}};
} // namespace

void DecodeRangeByte(LiveReading& reading, unsigned char b)
{
    const int index = b % 8;
    if (index < 6) {
        reading.RangeHigh = Ranges[index].high;
        reading.RangeLow = Ranges[index].low;
    }
    reading.OverFlag = (b / 128) % 2 == 1;
}

void DecodeStatusByte(LiveReading& reading, unsigned char b)
{
    static const char* const timeTexts[4] = {"FAST", "SLOW", "IMP", ""};
    static const char* const freqTexts[4] = {"A", "C", "Z", "AA"};
    reading.TimeWeighting = QString::fromLatin1(timeTexts[b % 4]);
    reading.RunFlag = (b >> 2) & 1;
    reading.PauseFlag = (b >> 3) & 1;
    reading.StopFlag = (b >> 4) & 1;
    reading.FreqWeighting = QString::fromLatin1(freqTexts[(b >> 5) % 4]);
    reading.UnderFlag = (b >> 7) & 1;
}

QString levelTextOf(unsigned char high, unsigned char low)
{
    int raw = high * 256 + low;
    const bool marker = raw >= 32768;
    if (marker)
        raw -= 32768;
    const QString digits = QString::number(raw);
    QString text = digits.left(digits.size() - 1) + u'.' + digits.right(1);
    if (marker)
        text += u'*';
    return text;
}

void DecodeLevelWord(LiveReading& reading, unsigned char high, unsigned char low)
{
    const int raw = (high * 256 + low) & 0x7fff;
    reading.Level = raw / 10.0;
    reading.LevelText = levelTextOf(high, low);
}

bool isPlausibleLiveFrame(const QByteArray& six)
{
    if (six.size() != 6 || six[0] != 0x02 || six[5] != 0x03)
        return false;
    const int raw = (static_cast<unsigned char>(six[3]) * 256 + static_cast<unsigned char>(six[4])) & 0x7fff;
    return raw < 1600;
}

} // namespace slm
