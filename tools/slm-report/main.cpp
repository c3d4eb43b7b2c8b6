// slm-report: the computed figures of record files, for scripts and many files at once.
#include "Assessment.h"
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
    AssessmentOptions assessment;
    QString assessmentError;
    const QStringList rest = takeAssessmentArguments(app.arguments().mid(1), assessment, assessmentError);
    ReportOptions options = parseReportArguments(rest);
    // The assessment options' own faults come first: the rest of the line was not read past them.
    if (!options.help && !assessmentError.isEmpty())
        options.error = assessmentError;
    else if (!options.help && options.error.isEmpty())
        options.error = checkAssessmentOptions(assessment, options);
    if (options.help) {
        write(stdout, reportUsageText().toUtf8());
        return 0;
    }
    if (!options.error.isEmpty()) {
        complain(options.error);
        write(stderr, QByteArray("Try \"slm-report --help\".\n"));
        return 2;
    }

    // An exclusions file given for all files is read before anything is written.
    std::optional<AssessmentFile> exclusions;
    if (!assessment.exclusionsFile.isEmpty()) {
        AssessmentFileRead read = readAssessmentFile(assessment.exclusionsFile);
        if (!read.exists)
            read.error = QStringLiteral("%1: no such file.").arg(assessment.exclusionsFile);
        if (!read.error.isEmpty()) {
            complain(read.error);
            return 1;
        }
        exclusions = std::move(read.file);
    }

    if (assessment.csvTable != AssessmentOptions::Table::None) {
        const AssessedFile assessed =
            assessFile(options.files.first(), options.resolution, assessment, exclusions);
        // A table of half a file would look like the whole file's: nothing is written then.
        if (!assessed.report.error.isEmpty()) {
            complain(assessed.report.error);
            return 1;
        }
        write(stdout, assessed.csv);
        return 0;
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
        const FileReport report =
            needsAssessment(path, assessment)
                ? assessFile(path, options.resolution, assessment, exclusions, options.output).report
                : reportFile(path, options.resolution);
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
