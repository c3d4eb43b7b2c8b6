// slm-report: the computed figures of record files, for scripts and many files at once.
#include "Assessment.h"
#include "Report.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

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

// Whether the command line asks for the PDF report (before any "--").
bool asksForPdf(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView a(argv[i]);
        if (a == "--")
            return false;
        if (a == "--pdf" || a.startsWith("--pdf="))
            return true;
    }
    return false;
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
    // The PDF report draws text and paths, which takes the painting library; it runs without a
    // display, so the platform is the offscreen one whatever the session has. Every other output
    // stays with the core library and starts as fast as before.
    std::unique_ptr<QCoreApplication> app;
    if (asksForPdf(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    AssessmentOptions assessment;
    QString assessmentError;
    const QList<QByteArray> rest = takeAssessmentArguments(arguments, assessment, assessmentError);
    ReportOptions options = parseReportArguments(rest);
    // The assessment options' own faults come first: the rest of the line was not read past them.
    if (!options.help && !assessmentError.isEmpty())
        options.error = assessmentError;
    else if (!options.help && options.error.isEmpty())
        options.error = checkAssessmentOptions(assessment, options);
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

    if (options.output == ReportOptions::Output::Pdf) {
        const QString error = writePdfReportOfFile(options.encodedFiles.first(), options.pdfFile,
                                                   options.resolution, assessment, exclusions);
        if (!error.isEmpty()) {
            complain(error);
            return 1;
        }
        return finish(out, 0);
    }

    if (assessment.csvTable != AssessmentOptions::Table::None) {
        const AssessedFile assessed =
            assessFile(options.encodedFiles.first(), options.resolution, assessment, exclusions);
        // A table of half a file would look like the whole file's: nothing is written then.
        if (!assessed.report.error.isEmpty()) {
            complain(assessed.report.error);
            return 1;
        }
        out.write(assessed.csv);
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
        if (!report.notice.isEmpty())
            complain(report.notice);
        if (options.output == ReportOptions::Output::Json) {
            out.write((first ? QByteArray() : QByteArray(",\n")) + jsonReport(report));
        } else {
            out.write((first ? QByteArray() : QByteArray("\n")) + textReport(report));
        }
        first = false;
        if (!out.flush())
            break;
    }
    if (options.output == ReportOptions::Output::Json && (array || !first))
        out.write(array ? "\n]\n" : "\n");
    return finish(out, status);
}
