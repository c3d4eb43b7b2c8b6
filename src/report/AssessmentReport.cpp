#include "report/AssessmentReport.h"

#include "measurement/AssessmentTables.h"
#include "report/ReportCharts.h"
#include "report/ReportPages.h"
#include "report/StandardsSection.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <limits>

#ifndef SLM_VERSION
#error "SLM_VERSION is given by the build: the project's version"
#endif

namespace slm
{

namespace
{

using report::PageFlow;
using report::TableWidth;

// Fine enough that the plot's columns of levels look continuous, coarse enough that ten days of
// records reduce to a path of a few thousand points.
constexpr int Resolution = 300;

// The longest lists the report prints: a month of hours and some pages of events. The rest is
// one command away, in the CSV tables.
constexpr qsizetype MaxListedHours = 744;
constexpr qsizetype MaxListedEvents = 500;

const QColor Quiet(0x55, 0x55, 0x55);
const QColor Alarm(0xc0, 0x10, 0x10);

QString shownFileName(const QString& fileName)
{
    return fileName.isEmpty() ? QStringLiteral("Unsaved list") : QDir::toNativeSeparators(fileName);
}

QString measuredText(std::span<const RecordSample> samples)
{
    std::int64_t first = std::numeric_limits<std::int64_t>::max();
    std::int64_t last = std::numeric_limits<std::int64_t>::min();
    for (const RecordSample& s : samples) {
        if (s.hasTime()) {
            first = std::min(first, s.time);
            last = std::max(last, s.time);
        }
    }
    if (samples.empty())
        return QStringLiteral("Measured: the measurement holds no records.");
    if (first > last)
        return QStringLiteral("Measured: the records carry no readable time.");
    return QStringLiteral("Measured from %1 to %2 (first and last record)")
        .arg(clockTimeText(first), clockTimeText(last));
}

// The command that writes a whole table the report cuts short, with the file's name quoted for a
// shell where it needs it.
QString moreRowsText(std::int64_t more, const QString& table, const QString& fileName, const QString& extra)
{
    QString name = fileName.isEmpty() ? QStringLiteral("FILE") : QFileInfo(fileName).fileName();
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._+,/:=@%-]+$"));
    if (!plain.match(name).hasMatch())
        name = u'\'' + QString(name).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    return QStringLiteral("... and %1 more: slm-report --csv %2 %3%4").arg(more).arg(table, name, extra);
}

QString recordingText(const RecordHeader& header, std::optional<double> interval)
{
    QStringList parts;
    switch (header.kind) {
    case RecordFileKind::RealTime:
        parts << QStringLiteral("Real-time recording");
        break;
    case RecordFileKind::DataLogger:
        parts << QStringLiteral("Data-logger set");
        break;
    case RecordFileKind::List:
        parts << QStringLiteral("List of records");
        break;
    }
    parts << (interval ? QStringLiteral("a record every %1 s").arg(QString::number(*interval, 'g', 10))
                       : QStringLiteral("interval unknown"));
    const QString frequency = header.text(HeaderField::FreqWeighting).trimmed();
    const QString time = header.text(HeaderField::TimeWeighting).trimmed();
    const QString range = header.text(HeaderField::LevelRange).trimmed();
    if (!frequency.isEmpty())
        parts << QStringLiteral("frequency weighting %1").arg(frequency);
    if (!time.isEmpty())
        parts << QStringLiteral("time weighting %1").arg(time);
    if (!range.isEmpty())
        parts << QStringLiteral("level range %1 dB").arg(range);
    return parts.join(QStringLiteral(", "));
}

// The whole report, in reading order; run once to count the pages and once to draw them.
void compose(PageFlow& flow, const AssessmentReportInput& in)
{
    const AssessmentResults& r = in.results;
    const QFont body = flow.bodyFont();
    const QFont small = flow.font(8);
    const QFont drawing = flow.font(7);

    flow.title(QStringLiteral("Measurement report"));
    flow.paragraph(QStringLiteral("File: %1").arg(shownFileName(in.fileName)), body);
    flow.paragraph(measuredText(in.samples), body);
    flow.paragraph(recordingText(in.header, in.interval), body);
    flow.space(1.5);
    const TextTable details = detailsTable(in.details);
    if (details.rows.isEmpty())
        flow.paragraph(
            QStringLiteral("No details of the site, the instrument or the calibration were given."), body,
            Quiet);
    else
        flow.table(details, QStringLiteral("Details"), TableWidth::Full);
    if (calibrationDriftTooLarge(in.details))
        flow.paragraph(calibrationDriftText(), flow.font(10, true), Alarm);

    const TextTable figures = figuresTable(r);
    flow.heading(QStringLiteral("Figures"), flow.tableLead(figures));
    flow.table(figures, QStringLiteral("Figures"), TableWidth::Natural);
    flow.paragraph(QStringLiteral("Computed %1.").arg(assessedBasisText(r.figures, r.excluded())), small);

    // The plot keeps its legend on its page; at this height it follows a full title block on the
    // first page.
    const double plotHeight = flow.mm(74);
    QString legend =
        QStringLiteral("Levels in dB against the records' clock time, excluded records included. "
                       "Shaded: the excluded spans, with their reasons where there is room.");
    if (r.events)
        legend +=
            QStringLiteral(" Marks along the top: the events at or above %1 dB (dashed), numbered as in "
                           "the events table.")
                .arg(QString::number(r.events->settings.threshold, 'g', 6));
    flow.heading(QStringLiteral("Levels against time"),
                 plotHeight + flow.mm(1.5) + flow.paragraphHeight(legend, small));
    report::LevelPlotInput plot;
    plot.samples = in.samples;
    plot.interval = in.interval;
    plot.excludedSpans = r.excludedSpans;
    plot.exclusions = in.exclusions;
    plot.events = r.events ? &*r.events : nullptr;
    flow.block(plotHeight, [&](QPainter& p, const QRectF& area) {
        report::paintLevelPlot(p, area, flow.mm(1), drawing, plot);
    });
    flow.space(1.5);
    flow.paragraph(legend, small, Quiet);

    const double histogramHeight = flow.mm(58);
    const TextTable percentiles = percentileTable(r.figures);
    flow.heading(QStringLiteral("Distribution of the levels"), histogramHeight + flow.tableLead(percentiles));
    flow.block(histogramHeight, [&](QPainter& p, const QRectF& area) {
        report::paintLevelHistogram(p, area, flow.mm(1), drawing, r.figures.ln);
    });
    flow.space(1.5);
    flow.paragraph(QStringLiteral("The share of the levels not excluded in each %1 class; Ln is the level "
                                  "exceeded n % of the time.")
                       .arg(r.figures.ln.resolution == LnResolution::TenthDb ? QStringLiteral("0.1 dB")
                                                                             : QStringLiteral("1 dB")),
                   small, Quiet);
    flow.table(percentiles, QStringLiteral("Percentile levels"), TableWidth::Natural);

    const TextTable hours = hoursTable(r, MaxListedHours);
    flow.heading(QStringLiteral("Hourly levels"), flow.tableLead(hours));
    flow.table(hours, QStringLiteral("Hourly levels"), TableWidth::Full);
    if (const auto more = std::int64_t(r.hours.size()) - hours.rows.size(); more > 0)
        flow.paragraph(moreRowsText(more, QStringLiteral("hours"), in.fileName, QString()), small, Quiet);

    const TextTable days = dayEveningNightTable(r);
    const QString periods = periodsCaption(in.settings.periods);
    flow.heading(QStringLiteral("Day, evening and night"),
                 flow.paragraphHeight(periods, small) + flow.tableLead(days));
    flow.paragraph(periods, small, Quiet);
    flow.table(days, QStringLiteral("Day, evening and night"), TableWidth::Full);

    const TextTable dose = doseTable(r.dose);
    const QString doseText = doseCaption(r.dose);
    flow.heading(QStringLiteral("Noise dose"), flow.paragraphHeight(doseText, small) + flow.tableLead(dose));
    flow.paragraph(doseText, small, Quiet);
    flow.table(dose, QStringLiteral("Noise dose"), TableWidth::Natural);

    const TextTable events = eventsTable(r, MaxListedEvents);
    const QString eventsText = eventsCaption(r);
    flow.heading(QStringLiteral("Noise events"),
                 flow.paragraphHeight(eventsText, small) + flow.tableLead(events));
    flow.paragraph(eventsText, small, Quiet);
    if (!events.rows.isEmpty())
        flow.table(events, QStringLiteral("Noise events"), TableWidth::Full);
    if (const auto more = r.events ? r.events->count - events.rows.size() : 0; more > 0) {
        const EventSettings& e = r.events->settings;
        const QString settings =
            QStringLiteral(" --events %1,%2,%3")
                .arg(QString::number(e.threshold, 'g', 6), QString::number(e.minDurationSeconds, 'g', 6),
                     QString::number(e.continuationSeconds, 'g', 6));
        flow.paragraph(moreRowsText(more, QStringLiteral("events"), in.fileName, settings), small, Quiet);
    }

    const TextTable exclusions = exclusionsTable(in.exclusions);
    flow.heading(QStringLiteral("Exclusions"), flow.tableLead(exclusions));
    if (exclusions.rows.isEmpty())
        flow.paragraph(QStringLiteral("No exclusions: every record is assessed."), body);
    else
        flow.table(exclusions, QStringLiteral("Exclusions"), TableWidth::Full);
    if (in.standards)
        composeStandards(flow, *in.standards, in.fileName);
    flow.finish();
}

} // namespace

QString programVersionText()
{
    return QStringLiteral(SLM_VERSION);
}

AssessmentReportOutcome writeAssessmentReport(const QString& pdfPath, const AssessmentReportInput& input)
{
    AssessmentReportOutcome outcome;
    auto fail = [&](const QString& why) {
        outcome.error = QStringLiteral("The file \"%1\" could not be written: %2. Nothing was saved.")
                            .arg(QDir::toNativeSeparators(pdfPath), why);
        outcome.pages = 0;
        return outcome;
    };
    // Opened first, so a folder that is missing or not writable is said at once, before the pages
    // are drawn; the file appears only when the whole report is in it.
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());

    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&bytes);
        writer.setResolution(Resolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        const QString version = QStringLiteral("slm-panel %1").arg(programVersionText());
        writer.setCreator(version);
        writer.setTitle(QStringLiteral("Measurement report: %1").arg(shownFileName(input.fileName)));
        const report::PageFoot foot{input.fileName.isEmpty() ? shownFileName(input.fileName)
                                                             : QFileInfo(input.fileName).fileName(),
                                    version};

        PageFlow counting(writer, nullptr, foot, 0);
        compose(counting, input);
        QPainter painter;
        if (!painter.begin(&writer))
            return fail(QStringLiteral("the PDF output could not be started"));
        PageFlow flow(writer, &painter, foot, counting.pages());
        compose(flow, input);
        const bool ended = painter.end();
        if (!flow.ok() || !ended)
            return fail(QStringLiteral("the PDF output failed"));
        outcome.pages = flow.pages();
    }
    const QByteArray& pdf = bytes.data();
    if (file.write(pdf) != pdf.size() || !file.commit())
        return fail(file.errorString());
    return outcome;
}

} // namespace slm
