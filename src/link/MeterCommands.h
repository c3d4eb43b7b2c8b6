#pragma once

#include <QByteArray>
#include <QDateTime>

namespace slm
{

// Every byte sequence the program writes to the meter is built here.
namespace MeterCommands
{

// Frame bytes shared by live frames and the attention acknowledgement.
inline constexpr char FrameStart = 0x02;
inline constexpr char FrameEnd = 0x03;
inline const QByteArray AckFrame = QByteArray::fromHex("02ffffffff03");

enum class Key : unsigned char {
    AC = 1,
    FastSlowImp = 2,
    LeqSelSpl = 3,
    MaxMinInst = 4,
    RunPauseStop = 5,
    RecordErase = 6,
    DateTime = 7,
    IntegTime = 8,
    Up = 9,
    Down = 10,
};

inline QByteArray Attention()
{
    return QByteArray("A");
}
inline QByteArray KeyPress(Key key)
{
    QByteArray b("K");
    b.append('\0').append('\0').append(static_cast<char>(key));
    return b;
}
inline QByteArray FrequencyWeighting()
{
    return QByteArray("G");
}
inline QByteArray TimeWeighting()
{
    return QByteArray("D");
}
inline QByteArray RangeUp()
{
    return QByteArray("E");
}
inline QByteArray RangeDown()
{
    return QByteArray("F");
}
inline QByteArray ReadLoggingInterval()
{
    return QByteArray("J");
}
// The interval is clamped to what the meter takes, 1..255 seconds.
QByteArray SetLoggingInterval(int seconds);
inline QByteArray EraseMemory()
{
    return QByteArray("H");
}
inline QByteArray ReadMemoryPointer()
{
    return QByteArray("A");
}
inline QByteArray ReadMemorySize()
{
    return QByteArray("L");
}
inline QByteArray Download()
{
    return QByteArray("K");
}
inline QByteArray ReadClock()
{
    return QByteArray("I");
}
QByteArray SetClock(const QDateTime& when);

// Packed BCD: the decimal digits read as hex (46 -> 0x46).
unsigned char toBcd(int value);
// The byte's hex digits, two characters ("06"); invalid BCD shows as it is ("1A").
QString bcdText(unsigned char byte);

// Whether a received block's newest six bytes are a frame (0x02 .. 0x03) or the acknowledgement.
bool endsWithFrame(const QByteArray& block);
bool endsWithAck(const QByteArray& block);

} // namespace MeterCommands

} // namespace slm
