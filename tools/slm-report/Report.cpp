#include "Report.h"

#include "AssessmentOptions.h"
#include "Json.h"

#include "measurement/MeasurementReader.h"
#include "measurement/RecordCsv.h"

#include <QDir>
#include <QFile>
#include <cmath>

namespace slm
{

namespace
{

// The label of header line `index` of a file of `kind`, as the list views label it ("" for the
// kind line and the interval).
QString headerLabel(RecordFileKind kind, int index)
{
    const QList<HeaderField> layout = headerLayout(kind);
    return index >= 0 && index < layout.size() ? headerFieldLabel(layout[index]) : QString();
}

// Record files are Latin-1; the lists and the CSV speak UTF-8. Plain ASCII is both.
QByteArrayView asUtf8(QByteArrayView latin1, QByteArray& scratch)
{
    for (char c : latin1) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            scratch = QString::fromLatin1(latin1).toUtf8();
            return scratch;
        }
    }
    return latin1;
}

// An Lp as a number, exactly as the table's text gives it.
QByteArray jsonPercentile(const LevelFigures& f, int p)
{
    const QString v = f.percentile(p);
    return v.isEmpty() ? QByteArray("null") : v.toLatin1();
}

QString textFigure(std::optional<double> value)
{
    return value ? figureText(value) + QStringLiteral(" dB") : figureText(value);
}

QString textPercentile(const LevelFigures& f, int p)
{
    const QString v = f.percentile(p);
    return v.isEmpty() ? QStringLiteral("unknown") : v + QStringLiteral(" dB");
}

QString resolutionName(LnResolution r)
{
    return r == LnResolution::TenthDb ? QStringLiteral("0.1 dB") : QStringLiteral("1 dB");
}

} // namespace

namespace
{

// `raw`, when given, holds the same arguments as the file system's bytes.
ReportOptions parseArguments(const QStringList& arguments, const QList<QByteArray>* raw)
{
    ReportOptions o;
    const auto addFile = [&](int i) {
        o.files << arguments[i];
        o.encodedFiles << (raw ? raw->at(i) : QFile::encodeName(arguments[i]));
    };
    bool json = false;
    bool csv = false;
    bool pdf = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--help" || a == u"-h") {
            o.help = true;
        } else if (a == u"--json") {
            json = true;
        } else if (a == u"--csv") {
            if (csv)
                o.error = QStringLiteral("--csv is given twice.");
            csv = true;
        } else if (a == u"--pdf" || a.startsWith(u"--pdf=")) {
            if (a.contains(u'='))
                o.pdfFile = a.section(u'=', 1);
            else if (i + 1 < arguments.size())
                o.pdfFile = arguments[++i];
            if (o.pdfFile.isEmpty())
                o.error = QStringLiteral("--pdf needs the file to write.");
            pdf = true;
        } else if (a == u"--resolution" || a.startsWith(u"--resolution=")) {
            QString value;
            if (a.contains(u'='))
                value = a.section(u'=', 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            if (value == u"0.1")
                o.resolution = LnResolution::TenthDb;
            else if (value == u"1")
                o.resolution = LnResolution::WholeDb;
            else
                o.error = QStringLiteral("--resolution takes 0.1 or 1, not \"%1\".").arg(value);
        } else if (a == u"--") {
            for (int k = i + 1; k < arguments.size(); ++k)
                addFile(k);
            break;
        } else if (a.startsWith(u'-') && a.size() > 1) {
            o.error = QStringLiteral("unknown option \"%1\".").arg(a);
        } else {
            addFile(i);
        }
        if (!o.error.isEmpty())
            return o;
    }
    if (o.help)
        return o;
    if (json && csv)
        o.error = QStringLiteral("--json and --csv cannot be given together.");
    else if (pdf && (json || csv))
        o.error = QStringLiteral("--pdf cannot be given with --json or --csv.");
    else if (o.files.isEmpty())
        o.error = QStringLiteral("no file given.");
    else if (csv && o.files.size() != 1)
        o.error = QStringLiteral("--csv takes exactly one file.");
    else if (pdf && o.files.size() != 1)
        o.error = QStringLiteral("--pdf takes exactly one file.");
    o.output = json  ? ReportOptions::Output::Json
               : csv ? ReportOptions::Output::Csv
               : pdf ? ReportOptions::Output::Pdf
                     : ReportOptions::Output::Text;
    return o;
}

} // namespace

ReportOptions parseReportArguments(const QStringList& arguments)
{
    return parseArguments(arguments, nullptr);
}

ReportOptions parseReportArguments(const QList<QByteArray>& arguments)
{
    QStringList texts;
    for (const QByteArray& a : arguments)
        texts << QFile::decodeName(a);
    return parseArguments(texts, &arguments);
}

QString reportUsageText()
{
    const QString usage = QStringLiteral(
        "NAME\n"
        "    slm-report - the computed levels of sound level record files (.slmm)\n"
        "\n"
        "SYNOPSIS\n"
        "    slm-report [--resolution 0.1|1] [--json] FILE...\n"
        "    slm-report --csv FILE\n"
        "%1"
        "    slm-report --pdf OUT.pdf [assessment options] FILE\n"
        "    slm-report --help\n"
        "\n"
        "DESCRIPTION\n"
        "    Reads real-time files, data-logger files and list files and prints, for each, its\n"
        "    kind, its header fields, its record count and the figures computed from its records:\n"
        "    Leq, SEL, Lmax, Lmin, L5, L10, L50, L90, L95 and the duration, with the Ln table.\n"
        "\n"
        "    A record is a level when its text carries no \"*\" (paused), no \"-\" (below the\n"
        "    range) and no \"L\" (overload) and starts with a number; the others are counted and\n"
        "    left out of Leq, SEL, Lmax and Lmin. Leq = 10 lg(mean of 10^(L/10)) over the levels;\n"
        "    SEL = Leq + 10 lg(n x dt / 1 s), with dt the file's sampling interval or, for a list\n"
        "    file, the most common step between its record times. L0..L99 come from the same\n"
        "    classes and percentile rule as the program's Ln table.\n"
        "\n"
        "%2"
        "OPTIONS\n"
        "    --resolution 0.1|1\n"
        "        Classes of the Ln table: tenths of a dB (the default) or whole dB.\n"
        "    --json\n"
        "        One JSON object per file (an array for several files) with the keys file, kind,\n"
        "        interval_s, records, levels, paused, other, excluded, leq, sel, lmax, lmin, l5,\n"
        "        l10, l50, l90, l95, class_min, class_max and ln (L0..L99 as the table shows them,\n"
        "        as strings), then hours, days, overall, dose and events when asked for; unknown\n"
        "        values are null.\n"
        "    --csv\n"
        "        The records of one file as CSV (RFC 4180) with the header row\n"
        "        number,time,level,flag: the time in ISO 8601 local time with its UTC offset, the\n"
        "        level as a plain number (empty when it is not a level) and the flag paused,\n"
        "        below-range, over or not-level where it applies.\n"
        "%3"
        "    --pdf OUT.pdf\n"
        "        The measurement report of one file as a PDF of A4 pages: the details and the\n"
        "        calibration checks of its assessment file, the figures, the levels against time\n"
        "        with the exclusions and events, the distribution, the hourly, day-evening-night,\n"
        "        dose, events and exclusions tables, and the standards' section when the assessment\n"
        "        file holds the inputs of the assessment window's Standards tab. The dose is osha-pel\n"
        "        and the events threshold 70 dB unless --dose and --events say otherwise. No display\n"
        "        is needed; OUT.pdf is replaced only once the whole report is written.\n"
        "    --help\n"
        "        This text.\n"
        "\n"
        "    A FILE may be a pipe or a FIFO (/dev/stdin, <(...)). CR LF, LF and CR line ends are\n"
        "    read, and a UTF-8 byte-order mark is skipped. A file without records is reported\n"
        "    with a notice on standard error.\n"
        "\n"
        "EXIT STATUS\n"
        "    0  every file was reported.\n"
        "    1  a file could not be read (a record file, or an assessment file that is damaged\n"
        "       or holds a span whose end is before its start); its name and line are on\n"
        "       standard error, and the other files are still reported. Also when the output\n"
        "       could not be written (a full disk), or the PDF report: the message is on\n"
        "       standard error and no file is left.\n"
        "    2  the command line was wrong.\n");
    return usage.arg(assessmentSynopsisText() + standardsSynopsisText(),
                     assessmentDescriptionText() + standardsDescriptionText(),
                     assessmentOptionsText() + standardsOptionsText());
}

QString noRecordsText(const QString& path)
{
    return QStringLiteral("%1: the file holds no records.").arg(QDir::toNativeSeparators(path));
}

QString reportKindName(RecordFileKind kind)
{
    switch (kind) {
    case RecordFileKind::RealTime:
        return QStringLiteral("real-time");
    case RecordFileKind::DataLogger:
        return QStringLiteral("data-logger");
    case RecordFileKind::List:
        break;
    }
    return QStringLiteral("list");
}

FileReport reportFile(const QString& path, LnResolution resolution)
{
    return reportFile(QFile::encodeName(path), resolution);
}

FileReport reportFile(const QByteArray& encodedPath, LnResolution resolution)
{
    FileReport r;
    r.path = QFile::decodeName(encodedPath);
    QString openError;
    const std::unique_ptr<QFile> in = openRecordInput(encodedPath, openError);
    if (!in) {
        r.error =
            QStringLiteral("%1: cannot open the file: %2").arg(QDir::toNativeSeparators(r.path), openError);
        return r;
    }
    MeasurementReader reader(*in);
    LevelFigureCounter counter;
    StepCounter steps;
    std::optional<double> interval;
    if (reader.readHeader()) {
        r.kind = reader.kind();
        r.header = reader.headerLines();
        interval = reader.header().interval();
        QByteArrayView fields[3];
        while (reader.nextRecord(fields)) {
            counter.add(fields[2]);
            if (!interval)
                steps.add(fields[1]);
        }
    }
    if (!reader.error().isEmpty())
        r.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(r.path), reader.error());
    else if (reader.records() == 0)
        r.notice = noRecordsText(r.path);
    r.figures = counter.finish(interval ? interval : steps.mostCommonStep(), resolution);
    return r;
}

QByteArray textReport(const FileReport& r)
{
    const LevelFigures& f = r.figures;
    QString t;
    t += r.path + u'\n';
    t += QStringLiteral("  Kind:        %1\n").arg(reportKindName(r.kind));
    for (int i = 2; i < r.header.size(); ++i) {
        const QString label = headerLabel(r.kind, i);
        if (!label.isEmpty())
            t += QStringLiteral("  %1 %2\n").arg(label + u':', -12).arg(r.header[i]);
    }
    t += QStringLiteral("  Records:     %1\n").arg(f.records);
    t += QStringLiteral("  Computed     %1\n").arg(assessedBasisText(f, r.excluded));
    const std::pair<const char*, QString> figures[] = {
        {"Leq", textFigure(f.leq)},     {"SEL", textFigure(f.sel)},
        {"Lmax", textFigure(f.lmax)},   {"Lmin", textFigure(f.lmin)},
        {"L5", textPercentile(f, 5)},   {"L10", textPercentile(f, 10)},
        {"L50", textPercentile(f, 50)}, {"L90", textPercentile(f, 90)},
        {"L95", textPercentile(f, 95)}, {"Duration", durationText(f.duration)},
    };
    for (const auto& [name, value] : figures)
        t += QStringLiteral("    %1 %2\n").arg(QString::fromLatin1(name) + u':', -10).arg(value);
    if (f.ln.classedRecords > 0) {
        t += QStringLiteral("  Ln table (%1), row L(r0) holds L(r0)..L(r9):\n")
                 .arg(resolutionName(f.ln.resolution));
        for (const QString& row : f.ln.tableRows)
            t += QStringLiteral("    ") + QString(row).replace(u'\t', QStringLiteral("  ")) + u'\n';
    }
    return t.toUtf8();
}

QByteArray jsonReport(const FileReport& r)
{
    return jsonReportOpen(r) + "\n}";
}

QByteArray jsonReportOpen(const FileReport& r)
{
    const LevelFigures& f = r.figures;
    const bool drawable = f.ln.drawable();
    QByteArray ln = "[";
    for (int p = 0; p < 100; ++p) {
        if (p > 0)
            ln += ',';
        const QString v = f.percentile(p);
        ln += v.isEmpty() ? QByteArray("null") : json::text(v);
    }
    ln += ']';
    const json::Field fields[] = {
        {"file", json::text(r.path)},
        {"kind", json::text(reportKindName(r.kind))},
        {"interval_s", json::number(f.interval)},
        {"records", QByteArray::number(f.records)},
        {"levels", QByteArray::number(f.levels)},
        {"paused", QByteArray::number(f.paused)},
        {"other", QByteArray::number(f.other)},
        {"excluded", QByteArray::number(r.excluded)},
        {"leq", json::figure(f.leq)},
        {"sel", json::figure(f.sel)},
        {"lmax", json::figure(f.lmax)},
        {"lmin", json::figure(f.lmin)},
        {"l5", jsonPercentile(f, 5)},
        {"l10", jsonPercentile(f, 10)},
        {"l50", jsonPercentile(f, 50)},
        {"l90", jsonPercentile(f, 90)},
        {"l95", jsonPercentile(f, 95)},
        {"class_min", drawable ? QByteArray::number(f.ln.classMin) : QByteArray("null")},
        {"class_max", drawable ? QByteArray::number(f.ln.classMax) : QByteArray("null")},
        {"ln", ln},
    };
    return json::openObjectLines(fields);
}

bool writeCsvOfFile(const QByteArray& encodedPath, const std::function<bool(QByteArrayView)>& write,
                    QString& error, QString& notice)
{
    error.clear();
    notice.clear();
    const QString path = QFile::decodeName(encodedPath);
    QString openError;
    const std::unique_ptr<QFile> in = openRecordInput(encodedPath, openError);
    if (!in) {
        error = QStringLiteral("%1: cannot open the file: %2").arg(QDir::toNativeSeparators(path), openError);
        return true;
    }
    MeasurementReader reader(*in);
    RecordCsvWriter csv;
    // Written out a chunk at a time: a file of ten million records is never held whole.
    constexpr qsizetype ChunkBytes = 256 * 1024;
    if (reader.readHeader()) {
        QByteArrayView fields[3];
        QByteArray scratch[3];
        while (reader.nextRecord(fields)) {
            csv.addRecord(asUtf8(fields[0], scratch[0]), asUtf8(fields[1], scratch[1]),
                          asUtf8(fields[2], scratch[2]));
            if (csv.text().size() >= ChunkBytes && !write(csv.take()))
                return false;
        }
    }
    if (!write(csv.take()))
        return false;
    if (!reader.error().isEmpty())
        error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reader.error());
    else if (reader.records() == 0)
        notice = noRecordsText(path);
    return true;
}

} // namespace slm
