#pragma once

#include "measurement/LevelFigures.h"
#include "measurement/RecordFileFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace slm
{

// What the command line asks for.
struct ReportOptions {
    enum class Output { Text, Json, Csv, Pdf };
    Output output = Output::Text;
    QString pdfFile; // the report's PDF, with --pdf
    LnResolution resolution = LnResolution::TenthDb;
    QStringList files;
    // The same files as the file system names them (argv's bytes), when the arguments came so.
    QList<QByteArray> encodedFiles;
    bool help = false;
    QString error; // a usage error, "" when the arguments are sound
};
ReportOptions parseReportArguments(const QStringList& arguments);
// The command line's own bytes: file names are kept as the file system gives them, so a name that
// is no valid text in the locale's encoding opens too.
ReportOptions parseReportArguments(const QList<QByteArray>& arguments);

// The man-page style usage text.
QString reportUsageText();

// One file read and computed.
struct FileReport {
    QString path;
    RecordFileKind kind = RecordFileKind::List;
    QStringList header; // the header lines as read, line 0 the kind line
    LevelFigures figures;
    QString error;             // "<path>: Line <n>: <fault>", "" when the file was read to its end
    QString notice;            // "<path>: the file holds no records.", "" when it holds some
    std::int64_t excluded = 0; // records left out by the exclusions
};
FileReport reportFile(const QString& path, LnResolution resolution);
FileReport reportFile(const QByteArray& encodedPath, LnResolution resolution);

// "<path>: the file holds no records.", the notice of a file without records.
QString noRecordsText(const QString& path);

// "real-time", "data-logger" or "list".
QString reportKindName(RecordFileKind kind);

QByteArray textReport(const FileReport& report);
// One JSON object, keys in a fixed order, unknown values as null.
QByteArray jsonReport(const FileReport& report);
// The same object without its closing brace, for further keys to follow.
QByteArray jsonReportOpen(const FileReport& report);

// The records of the file at `encodedPath` as CSV, given to `write` a chunk at a time. False when
// `write` failed (the writing stopped there); `error` says when the file could not be read to its
// end, `notice` when it holds no records.
bool writeCsvOfFile(const QByteArray& encodedPath, const std::function<bool(QByteArrayView)>& write,
                    QString& error, QString& notice);

} // namespace slm
