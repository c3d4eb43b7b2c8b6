#include "AssessmentOptions.h"

#include <QFile>
#include <QTime>
#include <cmath>

namespace slm
{

namespace
{

std::optional<int> clockSecondsOfText(const QString& text)
{
    const QTime t = QTime::fromString(text, QStringLiteral("HH:mm"));
    if (!t.isValid() || text.size() != 5)
        return std::nullopt;
    return t.msecsSinceStartOfDay() / 1000;
}

std::optional<double> numberOf(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// `raw`, when given, holds the same arguments as the file system's bytes.
QStringList takeArguments(const QStringList& arguments, const QList<QByteArray>* raw, AssessmentOptions& o,
                          QString& error)
{
    QStringList rest;
    error.clear();
    for (int i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--") {
            rest << arguments.mid(i);
            break;
        }
        const QString name = a.section(u'=', 0, 0);
        // The options that take a value, as "--name value" or "--name=value".
        auto value = [&](QString& out) {
            if (a.contains(u'=')) {
                out = a.section(u'=', 1);
                return true;
            }
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("%1 needs a value.").arg(name);
                return false;
            }
            out = arguments[++i];
            return true;
        };
        QString v;
        if (name == u"--csv") {
            // "--csv" alone stays the records' CSV; "--csv TABLE" prints a table.
            const QString next = a.contains(u'=') ? a.section(u'=', 1) : arguments.value(i + 1);
            const AssessmentOptions::Table table = next == u"hours"    ? AssessmentOptions::Table::Hours
                                                   : next == u"days"   ? AssessmentOptions::Table::Days
                                                   : next == u"events" ? AssessmentOptions::Table::Events
                                                                       : AssessmentOptions::Table::None;
            if (table == AssessmentOptions::Table::None) {
                if (a.contains(u'='))
                    error = QStringLiteral("--csv takes hours, days, events, intervals, background, limits, "
                                           "residual, rating, abc, rbl, cnel or n-above, not \"%1\".")
                                .arg(next);
                else
                    rest << a;
                continue;
            }
            if (o.csvTable != AssessmentOptions::Table::None) {
                error = QStringLiteral("--csv is given twice: one table at a time.");
                break;
            }
            o.csvTable = table;
            if (!a.contains(u'='))
                ++i;
        } else if (a == u"--periods") {
            o.periods = true;
        } else if (name == u"--day" || name == u"--evening" || name == u"--night") {
            if (!value(v))
                break;
            const std::optional<int> at = clockSecondsOfText(v);
            if (!at) {
                error = QStringLiteral("%1 takes a time HH:MM (00:00 to 23:59), not \"%2\".").arg(name, v);
                break;
            }
            (name == u"--day"       ? o.periodSettings.dayStart
             : name == u"--evening" ? o.periodSettings.eveningStart
                                    : o.periodSettings.nightStart) = *at;
        } else if (name == u"--coverage") {
            if (!value(v))
                break;
            const std::optional<double> c = numberOf(QString(v).remove(u'%'));
            if (!c || *c < 0 || *c > 100) {
                error = QStringLiteral("--coverage takes a percentage from 0 to 100, not \"%1\".").arg(v);
                break;
            }
            o.periodSettings.coveragePercent = *c;
        } else if (name == u"--dose") {
            if (!value(v))
                break;
            o.dose = doseCriterionOf(v);
            if (!o.dose)
                error = QStringLiteral("--dose takes osha-pel, osha-hc, niosh, iso or LC,Q,LT (the criterion "
                                       "level LC and the threshold LT %1 to %2 dB, the exchange rate Q %3 to "
                                       "%4 dB), not \"%5\".")
                            .arg(CustomDoseLevelMin)
                            .arg(CustomDoseLevelMax)
                            .arg(CustomDoseExchangeMin)
                            .arg(CustomDoseExchangeMax)
                            .arg(v);
        } else if (name == u"--events") {
            if (!value(v))
                break;
            const QStringList parts = v.split(u',');
            EventSettings e;
            const char* const what[] = {"threshold", "minimum duration", "continuation"};
            if (parts.size() > 3) {
                error = QStringLiteral("--events takes THRESHOLD[,MIN_S[,CONT_S]], not \"%1\".").arg(v);
                break;
            }
            double* fields[] = {&e.threshold, &e.minDurationSeconds, &e.continuationSeconds};
            for (int k = 0; k < parts.size(); ++k) {
                const std::optional<double> n = numberOf(parts[k]);
                if (!n || (k > 0 && *n < 0)) {
                    error =
                        QStringLiteral("--events: the %1 \"%2\" is not %3.")
                            .arg(QString::fromLatin1(what[k]), parts[k],
                                 k == 0 ? QStringLiteral("a number") : QStringLiteral("a number of seconds"));
                    break;
                }
                *fields[k] = *n;
            }
            o.events = e;
        } else if (name == u"--exclusions") {
            if (!value(v))
                break;
            if (v.isEmpty())
                error = QStringLiteral("--exclusions needs a file.");
            o.exclusionsFile = v;
            // The bytes as given: the value is the argument itself or what follows its "=".
            const QByteArray given = raw ? raw->at(i) : QFile::encodeName(v);
            o.encodedExclusionsFile = raw && a.contains(u'=') ? given.mid(given.indexOf('=') + 1) : given;
        } else if (a == u"--no-exclusions") {
            o.noExclusions = true;
        } else {
            rest << a;
        }
    }
    if (error.isEmpty() && o.noExclusions && !o.exclusionsFile.isEmpty())
        error = QStringLiteral("--exclusions and --no-exclusions cannot be given together.");
    if (error.isEmpty()) {
        const QString fault = o.periodSettings.fault();
        if (!fault.isEmpty())
            error = QStringLiteral("the periods are out of order: %1").arg(fault);
    }
    if (error.isEmpty() && o.csvTable == AssessmentOptions::Table::Events && !o.events)
        error = QStringLiteral("--csv events needs --events THRESHOLD.");
    return rest;
}

} // namespace

QStringList takeAssessmentArguments(const QStringList& arguments, AssessmentOptions& o, QString& error)
{
    return takeArguments(arguments, nullptr, o, error);
}

QString checkAssessmentOptions(const AssessmentOptions& o, const ReportOptions& report)
{
    if (report.help || !report.error.isEmpty())
        return {};
    // The records' CSV holds no table: an option asking for one would be dropped without a word.
    if (report.output == ReportOptions::Output::Csv && (o.periods || o.dose || o.events))
        return QStringLiteral("--csv alone writes the records; --periods, --dose and --events take "
                              "--csv hours|days|events, --json or the text report.");
    if (o.csvTable == AssessmentOptions::Table::None)
        return {};
    if (report.output == ReportOptions::Output::Json)
        return QStringLiteral("--json and --csv cannot be given together.");
    if (report.output == ReportOptions::Output::Csv)
        return QStringLiteral("--csv is given twice.");
    if (report.output == ReportOptions::Output::Pdf)
        return QStringLiteral("--pdf and --csv cannot be given together.");
    if (report.files.size() != 1)
        return QStringLiteral("--csv takes exactly one file.");
    return {};
}
QList<QByteArray> takeAssessmentArguments(const QList<QByteArray>& arguments, AssessmentOptions& o,
                                          QString& error)
{
    QStringList texts;
    for (const QByteArray& a : arguments)
        texts << QFile::decodeName(a);
    const QStringList restTexts = takeArguments(texts, &arguments, o, error);
    // What is left is the arguments in their order less the assessment options: matched in turn.
    QList<QByteArray> rest;
    qsizetype at = 0;
    for (const QString& kept : restTexts) {
        while (at < texts.size() && texts[at] != kept)
            ++at;
        if (at < texts.size())
            rest << arguments[at++];
    }
    return rest;
}
CommandLine parseCommandLine(int argc, char** argv)
{
    CommandLine c;
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    QString assessmentError;
    QStringList texts;
    for (const QByteArray& a : arguments)
        texts << QFile::decodeName(a);
    QList<QByteArray> afterStandards;
    takeStandardsArguments(texts, arguments, c.assessment.standards, afterStandards, assessmentError);
    if (c.assessment.standards.csvTable != StandardsOptions::Table::None)
        c.assessment.csvTable = AssessmentOptions::Table::Standards;
    QString otherError;
    const QList<QByteArray> rest = takeAssessmentArguments(afterStandards, c.assessment, otherError);
    if (assessmentError.isEmpty())
        assessmentError = otherError;
    c.report = parseReportArguments(rest);
    // The assessment options' own faults come first: the rest of the line was not read past them.
    if (!c.report.help && !assessmentError.isEmpty())
        c.report.error = assessmentError;
    else if (!c.report.help && c.report.error.isEmpty())
        c.report.error = checkAssessmentOptions(c.assessment, c.report);
    if (!c.report.help && c.report.error.isEmpty())
        c.report.error = checkStandardsOptions(
            c.assessment.standards, c.report.output == ReportOptions::Output::Csv,
            c.report.output == ReportOptions::Output::Json, c.report.output == ReportOptions::Output::Pdf,
            false, c.report.files.size());
    return c;
}
} // namespace slm
