// slm-report: the computed figures of record files, for scripts and many files at once.
#include "Assessment.h"
#include "Report.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace slm;

namespace
{

// Standard output with every write checked: a full disk or a closed pipe must not pass for a
// complete report.
class Output
{
public:
    bool write(QByteArrayView bytes)
    {
        if (m_failed)
            return false;
        if (!bytes.isEmpty() &&
            std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
            fail();
        return !m_failed;
    }
    bool flush()
    {
        if (!m_failed && std::fflush(stdout) != 0)
            fail();
        return !m_failed;
    }
    bool failed() const { return m_failed; }
    const QString& error() const { return m_error; }

private:
    void fail()
    {
        m_failed = true;
        m_error = QStringLiteral("the output could not be written: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }

    bool m_failed = false;
    QString m_error;
};

void complain(const QString& text)
{
    const QByteArray bytes = (QStringLiteral("slm-report: ") + text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// The PDF report is drawn by slm-report-pdf, beside this program in the build and in the
// package's libexec folder once installed: the same command line goes over to it, with this
// process's standard streams, and its status is this program's. Only on failure does this return.
int handOverToPdfWriter(char** argv)
{
    const QString here = QCoreApplication::applicationDirPath();
    const QStringList candidates = {here + QStringLiteral("/slm-report-pdf"),
                                    QDir::cleanPath(here + QStringLiteral("/" SLM_PDF_WRITER_FROM_BIN))};
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isExecutable()) {
            const QByteArray program = QFile::encodeName(candidate);
            argv[0] = const_cast<char*>(program.constData());
            ::execv(program.constData(), argv);
            complain(QStringLiteral("%1 could not be started: %2")
                         .arg(candidate, QString::fromLocal8Bit(std::strerror(errno))));
            return 1;
        }
    }
    complain(QStringLiteral("the PDF writer was not found (looked for %1).")
                 .arg(candidates.join(QStringLiteral(" and "))));
    return 1;
}

// The last word on the output: everything flushed, or a message and status 1.
int finish(Output& out, int status)
{
    if (!out.flush() || std::fclose(stdout) != 0) {
        if (!out.failed())
            complain(QStringLiteral("the output could not be written: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno))));
        else
            complain(out.error());
        return 1;
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const CommandLine command = parseCommandLine(argc, argv);
    const ReportOptions& options = command.report;
    const AssessmentOptions& assessment = command.assessment;
    Output out;
    if (options.help) {
        out.write(reportUsageText().toUtf8());
        return finish(out, 0);
    }
    if (!options.error.isEmpty()) {
        complain(options.error);
        std::fputs("Try \"slm-report --help\".\n", stderr);
        return 2;
    }

    if (options.output == ReportOptions::Output::Pdf) {
        const QString refused = refusedPdfOutput(options, assessment);
        if (!refused.isEmpty()) {
            complain(refused);
            return 2;
        }
        return handOverToPdfWriter(argv);
    }

    // An exclusions file given for all files is read before anything is written.
    std::optional<AssessmentFile> exclusions;
    const QString exclusionsError = readExclusionsOption(assessment, exclusions);
    if (!exclusionsError.isEmpty()) {
        complain(exclusionsError);
        return 1;
    }

    const OutputSink write = [&out](QByteArrayView bytes) { return out.write(bytes); };
    if (assessment.csvTable != AssessmentOptions::Table::None) {
        AssessedFile assessed =
            assessFile(options.encodedFiles.first(), options.resolution, assessment, exclusions);
        // A table of half a file would look like the whole file's: nothing is written then.
        if (!assessed.report.error.isEmpty()) {
            complain(assessed.report.error);
            return 1;
        }
        if (!assessed.report.notice.isEmpty())
            complain(assessed.report.notice);
        if (!assessed.writeCsv(assessment, write) && !assessed.error().isEmpty()) {
            complain(assessed.error());
            return finish(out, 1);
        }
        return finish(out, 0);
    }

    if (options.output == ReportOptions::Output::Csv) {
        QString error;
        QString notice;
        // The records before a damaged line are written; the status says the file was not whole.
        const bool written = writeCsvOfFile(
            options.encodedFiles.first(), [&out](QByteArrayView chunk) { return out.write(chunk); }, error,
            notice);
        if (!written)
            return finish(out, 1);
        if (!notice.isEmpty())
            complain(notice);
        if (!error.isEmpty()) {
            complain(error);
            return finish(out, 1);
        }
        return finish(out, 0);
    }

    int status = 0;
    const bool array = options.output == ReportOptions::Output::Json && options.encodedFiles.size() > 1;
    bool first = true;
    if (array)
        out.write("[\n");
    for (const QByteArray& path : options.encodedFiles) {
        std::optional<AssessedFile> assessed;
        if (needsAssessment(path, assessment))
            assessed = assessFile(path, options.resolution, assessment, exclusions);
        const FileReport report = assessed ? assessed->report : reportFile(path, options.resolution);
        if (!report.error.isEmpty()) {
            // A file that was not read to its end is not reported: half a file's figures would
            // look like the whole file's.
            complain(report.error);
            status = 1;
            continue;
        }
        if (!report.notice.isEmpty())
            complain(report.notice);
        // The tables follow the figures as they are written: millions of events are never held.
        const bool json = options.output == ReportOptions::Output::Json;
        out.write((first ? QByteArray() : QByteArray(json ? ",\n" : "\n")) +
                  (json ? jsonReportOpen(report) : textReport(report)));
        if (assessed && !assessed->writeTables(assessment, options.output, write) &&
            !assessed->error().isEmpty()) {
            complain(assessed->error());
            status = 1;
        }
        if (json)
            out.write("\n}");
        first = false;
        if (!out.flush())
            break;
    }
    if (options.output == ReportOptions::Output::Json && (array || !first))
        out.write(array ? "\n]\n" : "\n");
    return finish(out, status);
}
