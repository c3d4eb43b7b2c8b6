// slm-report: the computed figures of record files, for scripts and many files at once.
#include "Report.h"

#include <QCoreApplication>
#include <cstdio>

using namespace slm;

namespace
{

void write(FILE* to, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

void complain(const QString& text)
{
    write(stderr, (QStringLiteral("slm-report: ") + text + u'\n').toUtf8());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const ReportOptions options = parseReportArguments(app.arguments().mid(1));
    if (options.help) {
        write(stdout, reportUsageText().toUtf8());
        return 0;
    }
    if (!options.error.isEmpty()) {
        complain(options.error);
        write(stderr, QByteArray("Try \"slm-report --help\".\n"));
        return 2;
    }

    if (options.output == ReportOptions::Output::Csv) {
        QString error;
        const QByteArray csv = csvOfFile(options.files.first(), error);
        // The records before a damaged line are written; the status says the file was not whole.
        write(stdout, csv);
        if (!error.isEmpty()) {
            complain(error);
            return 1;
        }
        return 0;
    }

    int status = 0;
    const bool array = options.output == ReportOptions::Output::Json && options.files.size() > 1;
    bool first = true;
    if (array)
        write(stdout, "[\n");
    for (const QString& path : options.files) {
        const FileReport report = reportFile(path, options.resolution);
        if (!report.error.isEmpty()) {
            // A file that was not read to its end is not reported: half a file's figures would
            // look like the whole file's.
            complain(report.error);
            status = 1;
            continue;
        }
        if (options.output == ReportOptions::Output::Json) {
            write(stdout, (first ? QByteArray() : QByteArray(",\n")) + jsonReport(report));
        } else {
            write(stdout, (first ? QByteArray() : QByteArray("\n")) + textReport(report));
        }
        first = false;
        std::fflush(stdout);
    }
    if (options.output == ReportOptions::Output::Json && (array || !first))
        write(stdout, array ? "\n]\n" : "\n");
    return status;
}
