#pragma once

#include "measurement/RecordFileFormat.h"
#include "measurement/Sample.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <functional>

namespace slm
{

// The highest level text of records and its date-time, as a completed file names them: the
// first of equal maxima wins, "0" and "" while no record is above 0.
struct RecordsMaximum {
    QString level = QStringLiteral("0");
    QString time;
    double value = 0;
    void take(const QString& levelText, const QString& dateTime);
};
RecordsMaximum maximumOfRecords(const QByteArrayList& recordLines);

// The lines of a growing file without their CR LF; a last line without one is the write a crash
// cut short and is left out.
QByteArrayList completeLinesOf(const QByteArray& bytes);
// The title line and the records numbered 1, 2, ... that follow it, up to the first line that is
// none; empty without the title line.
QByteArrayList recordedLinesOf(const QByteArrayList& linesAfterHeader);

// Where a completed file is written: `header`, then the lines of the growing file after its own
// `skipLines` header lines, then `extraLines` (records still waiting in memory). `progress` hears
// the count of lines copied every so often.
struct CompletionSource {
    QString growingPath; // empty when the growing file was never created
    int skipLines = 0;
    QByteArrayList extraLines;
    std::function<void(int)> progress;
};
// Written beside `target`, handed to the disk and put in its place in one rename: a failure
// leaves `target` as it was. "" or the message naming the file that failed.
QString writeCompletedFile(const QString& target, const QStringList& header, const CompletionSource& source,
                           bool* readFailed = nullptr);

// Renames `from` to `to`, never over an existing file, and makes the rename durable: in no moment
// are both names there. "" or the message naming the file.
QString moveIntoPlace(const QString& from, const QString& to);

// "The file "<path>" could not be read: <reason>."
QString fileReadError(const QString& path, const QString& reason);

} // namespace slm
