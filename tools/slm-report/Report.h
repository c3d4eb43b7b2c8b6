#pragma once

#include "measurement/LevelFigures.h"
#include "measurement/RecordFileFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace slm
{

// What the command line asks for.
struct ReportOptions {
    enum class Output { Text, Json, Csv };
    Output output = Output::Text;
    LnResolution resolution = LnResolution::TenthDb;
    QStringList files;
    bool help = false;
    QString error; // a usage error, "" when the arguments are sound
};
ReportOptions parseReportArguments(const QStringList& arguments);

// The man-page style usage text.
QString reportUsageText();

// One file read and computed.
struct FileReport {
    QString path;
    RecordFileKind kind = RecordFileKind::List;
    QStringList header; // the header lines as read, line 0 the kind line
    LevelFigures figures;
    QString error;             // "<path>: Line <n>: <fault>", "" when the file was read to its end
    std::int64_t excluded = 0; // records left out by the exclusions
    QByteArray assessmentJson; // the assessment keys, each as ",\n  \"key\": value"
    QString assessmentText;    // the assessment tables of the text report
};
FileReport reportFile(const QString& path, LnResolution resolution);

// "real-time", "data-logger" or "list".
QString reportKindName(RecordFileKind kind);

QByteArray textReport(const FileReport& report);
// One JSON object, keys in a fixed order, unknown values as null.
QByteArray jsonReport(const FileReport& report);

// The records of the file at `path` as CSV; "" in `error` when it was read to its end.
QByteArray csvOfFile(const QString& path, QString& error);

} // namespace slm
