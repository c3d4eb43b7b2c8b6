#pragma once

#include "shared/LiveReading.h"

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
