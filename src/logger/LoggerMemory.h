#pragma once

#include <QByteArray>
#include <vector>

namespace slm
{

// The logger memory as the meter hands it over: sets back to back, each opened by the marker
// 00 55 AA 00, then interval, status byte, range byte, 2-byte records and a 50-byte trailer.

// Every set starts with these four bytes.
inline const QByteArray SetMarker = QByteArray::fromHex("0055aa00");
// Marker, interval, status, range (8 bytes) and the trailer (50 bytes) around the records.
inline constexpr int SetOverhead = 58;

// One logged set, its bytes from its marker to the end of its trailer.
struct DataSet {
    QByteArray bytes;
    int interval = 0;    // sampling interval in seconds
    int recordCount = 0; // N; bytes.size() == 2N + 58
};

// The logged bytes out of a download block (its first and last byte are framing), followed by
// the set marker as the end mark of the last set. The marker itself is appended rather than a
// copy of the first four bytes, so a broken first marker does not also cost the last set.
QByteArray loggerImageFromBlock(const QByteArray& block);

// Cuts the logger image (loggedLength bytes plus the end mark) into its sets.
// A set runs from a marker to the next marker at an even distance of at least 60 bytes, and
// its trailer must begin with a plausible start date-time. Where the bytes at the scan
// position are not such a set, the scan moves one byte on to the next marker, so a damaged
// memory still yields every intact set; a last set cut short finds no end and is left out.
std::vector<DataSet> scanLoggerImage(const QByteArray& image, qsizetype loggedLength);

// Whether six bytes (second, minute, hour, day, month, year, packed BCD) are a date-time the
// meter could have written.
bool isPlausibleBcdDateTime(const char* sixBytes);

} // namespace slm
