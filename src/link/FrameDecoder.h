#pragma once

#include "shared/LiveReading.h"

class QByteArray;

namespace slm
{

// The byte encodings of the live frame, also those of the logger's set headers and records.
// Each decoder writes only its own fields of the reading.

// Range byte: bits 0-2 the range index (6 and 7 keep the previous bounds), bit 7 over-range.
void DecodeRangeByte(LiveReading& reading, unsigned char b);
// Status byte: time weighting, run/pause/stop, frequency weighting, under-range.
void DecodeStatusByte(LiveReading& reading, unsigned char b);
// Level word: tenths of a dB in bits 0-14; bit 15 marks the reading (text gets a trailing "*").
void DecodeLevelWord(LiveReading& reading, unsigned char high, unsigned char low);

// The level text of a raw word: one decimal, nothing before the point below 1.0 (".7").
QString levelTextOf(unsigned char high, unsigned char low);

// Whether six bytes can be a live frame: 0x02 .. 0x03 around a level below 160 dB. Random line
// noise passes the bare start/end test once in 65536 blocks; the level makes that about one in
// a million, so noise is hardly ever shown or recorded as a reading. The acknowledgement frame
// (3276.7 dB) fails it. Every other bit is left to the decoders, as a meter may set them.
bool isPlausibleLiveFrame(const QByteArray& six);

} // namespace slm
