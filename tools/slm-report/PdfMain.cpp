// slm-report-pdf: the measurement report of one record file as a PDF, the work of
// `slm-report --pdf`. A program of its own because drawing the report takes Qt's painting library,
// and merely loading that library would double the start-up time of every other slm-report run;
// slm-report reads the command line and hands a --pdf run over to this program, which reads it
// again the same way. It runs without a display: the platform is the offscreen one.
#include "Assessment.h"

#include "measurement/AssessmentRun.h"
#include "report/AssessmentReport.h"

#include <QFile>
#include <QGuiApplication>
#include <cstdio>

using namespace slm;

namespace
{

QtMessageHandler qtMessages = nullptr;

// Run from cron or a service there is no session, and Qt notes on starting that it has no runtime
// folder (which the report never uses): that note is left out, every other message passes.
void withoutSessionNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    qtMessages(type, context, message);
}

void complain(const QString& text)
{
    const QByteArray bytes = (QStringLiteral("slm-report: ") + text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// The report of one file with the exclusions that apply to it and the details of its own
// assessment file (or, when it has none, of the one given with --exclusions). "" when written.
QString writePdfReport(const QByteArray& encodedPath, const QString& pdfPath, LnResolution resolution,
                       const AssessmentOptions& o, const std::optional<AssessmentFile>& exclusions)
{
    const QString path = QFile::decodeName(encodedPath);
    // The file's own assessment file says how it was measured, whichever exclusions apply.
    AssessmentFileRead own = readAssessmentFile(assessmentFilePath(encodedPath));
    if (!own.error.isEmpty()) {
        // A fault only when its exclusions are the ones that apply; otherwise the report goes on
        // without its details.
        if (!exclusions && !o.noExclusions)
            return own.error;
        complain(QStringLiteral("warning: %1 The report has no details from it.").arg(own.error));
        own.file = AssessmentFile{};
    }
    const RecordSamplesOfFile file = readRecordSamplesOfFile(encodedPath);
    if (!file.error.isEmpty())
        return file.error;
    if (file.samples.empty())
        complain(noRecordsText(path));

    AssessmentSettings settings;
    settings.periods = o.periodSettings;
    if (o.dose)
        settings.dose = *o.dose;
    if (o.events)
        settings.events = *o.events;
    settings.resolution = resolution;
    AssessmentReportInput input;
    input.fileName = path;
    input.header = recordHeaderOf(file.kind, file.header);
    input.samples = file.samples;
    input.interval = file.interval;
    if (!o.noExclusions)
        input.exclusions = (exclusions ? *exclusions : own.file).spans();
    input.details = own.file.details.isEmpty() && exclusions ? exclusions->details : own.file.details;
    input.settings = settings;
    input.results =
        assessSamples(file.samples, file.interval, aWeightedOf(input.header), input.exclusions, settings);
    // The standards' inputs the window keeps in the file's own assessment file: the same section.
    if (own.file.standards.any())
        input.standards = std::make_shared<const StandardsOutcome>(runStandardsChoice(
            file.samples, file.interval, input.results.excludedRecords, own.file.standards, settings));
    return writeAssessmentReport(pdfPath, input).error;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessages = qInstallMessageHandler(withoutSessionNotes);
    QGuiApplication app(argc, argv);
    const CommandLine c = parseCommandLine(argc, argv);
    if (!c.report.error.isEmpty() || c.report.help || c.report.output != ReportOptions::Output::Pdf) {
        complain(c.report.error.isEmpty() ? QStringLiteral("this program writes the PDF of slm-report --pdf.")
                                          : c.report.error);
        std::fputs("Try \"slm-report --help\".\n", stderr);
        return 2;
    }
    // Checked here too: this program may be run by itself.
    const QString refused = refusedPdfOutput(c.report, c.assessment);
    if (!refused.isEmpty()) {
        complain(refused);
        return 2;
    }
    std::optional<AssessmentFile> exclusions;
    QString error = readExclusionsOption(c.assessment, exclusions);
    if (error.isEmpty())
        error = writePdfReport(c.report.encodedFiles.first(), c.report.pdfFile, c.report.resolution,
                               c.assessment, exclusions);
    if (!error.isEmpty()) {
        complain(error);
        return 1;
    }
    return 0;
}
