#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

namespace slm
{

// The leading decimal number of a text: leading blanks skipped, reading stops at the first
// character that cannot continue the number, 0 when there is none ("65.3*" gives 65.3).
double numericValue(const QString& text);
// The same rule on the Latin-1 or UTF-8 bytes of a text, for passes over long lists.
double numericValue(QByteArrayView text);

// Real to whole number with a half going to the even neighbour (2.5 gives 2, 3.5 gives 4).
long long roundHalfEven(double value);

// "yyyy/mm/dd hh:nn:ss", the one date-time text of the program.
QString formatDateTime(const QDateTime& when);

// A number as record files write it: one blank (or the minus sign) before, one blank after.
QString formatHeaderNumber(double value);

// The progress of a long run in a caption: the percentage as "0.0" followed by "% Completed".
QString percentCompleted(double percent);

} // namespace slm
