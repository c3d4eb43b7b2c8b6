#include "StandardsOptions.h"

#include "measurement/LimitConfig.h"
#include "measurement/StandardsChoice.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace slm
{

namespace
{

std::optional<double> numberOf(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

bool readLevel(const QString& option, const QString& v, const QByteArray& bytes, LevelArgument& out,
               QString& error)
{
    out.option = option;
    out.text = v;
    if (const std::optional<double> n = numberOf(v)) {
        if (*n < 0 || *n > 200) {
            error = QStringLiteral("%1 takes a level from 0 to 200 dB, not \"%2\".").arg(option, v);
            return false;
        }
        out.kind = LevelArgument::Kind::Number;
        out.number = *n;
        return true;
    }
    const QStringList ends = v.split(u'/');
    const std::optional<std::int64_t> from = ends.size() == 2 ? clockOfText(ends[0]) : std::nullopt;
    const std::optional<std::int64_t> to = ends.size() == 2 ? clockOfText(ends[1]) : std::nullopt;
    if (from && to) {
        if (*to <= *from) {
            error = QStringLiteral("%1 %2: the span ends before it starts.").arg(option, v);
            return false;
        }
        out.kind = LevelArgument::Kind::Span;
        out.spanStart = *from;
        out.spanEnd = *to;
        return true;
    }
    if (v.isEmpty() || !QFileInfo::exists(bytes.isEmpty() ? v : QFile::decodeName(bytes))) {
        error = QStringLiteral("%1 takes a level in dB, a record file or a span START/END of the file "
                               "(yyyy-mm-ddThh:mm), not \"%2\".")
                    .arg(option, v);
        return false;
    }
    out.kind = LevelArgument::Kind::File;
    out.encodedFile = bytes;
    return true;
}

const std::pair<const char*, StandardsOptions::Table> CsvTables[] = {
    {"intervals", StandardsOptions::Table::Intervals},
    {"background", StandardsOptions::Table::Background},
    {"limits", StandardsOptions::Table::Limits},
    {"residual", StandardsOptions::Table::Residual},
    {"rating", StandardsOptions::Table::Rating},
    {"abc", StandardsOptions::Table::Abc},
    {"rbl", StandardsOptions::Table::Rbl},
    {"cnel", StandardsOptions::Table::Cnel},
    {"n-above", StandardsOptions::Table::NAbove}};

StandardsOptions::Table csvTableOf(const QString& name)
{
    for (const auto& [text, table] : CsvTables)
        if (name == QLatin1String(text))
            return table;
    return StandardsOptions::Table::None;
}

// The checks of the options taken together.
QString crossCheck(StandardsOptions& o)
{
    using Kind = LevelArgument::Kind;
    const bool ambient = o.ambient.kind != Kind::None;
    const bool residual = o.residual.kind != Kind::None;
    if (ambient != residual)
        return QStringLiteral("--ambient and --residual are given together.");
    const bool ratingInput = o.specific.kind != Kind::None || o.referenceSeconds || o.onTimeSeconds ||
                             o.backgroundLevel || o.corrections.total() != 0;
    if (ratingInput && !o.rating)
        return QStringLiteral("--specific, --tr, --on-time, --tonal, --impulsive, --other, --intermittency "
                              "and --background-level go with --rating.");
    if (o.rating && o.specific.kind == Kind::None && !ambient)
        return QStringLiteral("--rating needs --specific X, or --ambient and --residual.");
    if (o.rating && !o.backgroundLevel && !o.backgroundSeconds)
        return QStringLiteral("--rating needs --background-level L or --background 15min|1h.");
    if (o.onTimeSeconds && o.referenceSeconds && *o.onTimeSeconds > *o.referenceSeconds)
        return QStringLiteral("--on-time must be at most --tr.");
    using Table = StandardsOptions::Table;
    switch (o.csvTable) {
    case Table::Intervals:
        if (!o.intervalSeconds)
            return QStringLiteral("--csv intervals needs --intervals 5min|15min|30min|1h.");
        break;
    case Table::Background:
        if (!o.backgroundSeconds)
            return QStringLiteral("--csv background needs --background 15min|1h.");
        break;
    case Table::Limits:
        if (o.limitsFile.isEmpty())
            return QStringLiteral("--csv limits needs --limits FILE.");
        break;
    case Table::Residual:
        if (!ambient)
            return QStringLiteral("--csv residual needs --ambient X and --residual X.");
        break;
    case Table::Rating:
        if (!o.rating)
            return QStringLiteral("--csv rating needs --rating.");
        break;
    case Table::Abc:
        if (!o.abc)
            return QStringLiteral("--csv abc needs --abc X.");
        break;
    case Table::Rbl:
        o.rbl = true;
        break;
    case Table::Cnel:
        o.cnel = true;
        break;
    case Table::NAbove:
        if (o.nAbove.empty())
            o.nAbove = {60, 65, 70};
        break;
    case Table::None:
        break;
    }
    return {};
}

} // namespace

QStringList takeStandardsArguments(const QStringList& arguments, const QList<QByteArray>& raw,
                                   StandardsOptions& o, QList<QByteArray>& rawRest, QString& error)
{
    QStringList rest;
    rawRest.clear();
    error.clear();
    auto keep = [&](int i) {
        rest << arguments[i];
        rawRest << raw.value(i, QFile::encodeName(arguments[i]));
    };
    for (int i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--") {
            for (int k = i; k < arguments.size(); ++k)
                keep(k);
            break;
        }
        const QString name = a.section(u'=', 0, 0);
        const bool inline_ = a.contains(u'=');
        QByteArray bytes;
        auto value = [&](QString& out) {
            if (inline_) {
                out = a.section(u'=', 1);
                const QByteArray r = raw.value(i);
                bytes = r.mid(r.indexOf('=') + 1);
                return true;
            }
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("%1 needs a value.").arg(name);
                return false;
            }
            out = arguments[++i];
            bytes = raw.value(i);
            return true;
        };
        QString v;
        if (name == u"--csv") {
            // Only the standards' tables are taken here; the others stay for the assessments.
            const QString next = inline_ ? a.section(u'=', 1) : arguments.value(i + 1);
            const StandardsOptions::Table table = csvTableOf(next);
            if (table == StandardsOptions::Table::None) {
                keep(i);
                continue;
            }
            if (o.csvTable != StandardsOptions::Table::None) {
                error = QStringLiteral("--csv is given twice: one table at a time.");
                break;
            }
            o.csvTable = table;
            if (!inline_)
                ++i;
        } else if (name == u"--intervals" || name == u"--background") {
            if (!value(v))
                break;
            const bool all = name == u"--intervals";
            const QStringList names =
                all ? QStringList{"5min", "15min", "30min", "1h"} : QStringList{"15min", "1h"};
            if (!names.contains(v)) {
                error =
                    QStringLiteral("%1 takes %2, not \"%3\".").arg(name, names.join(QStringLiteral(", ")), v);
                break;
            }
            (all ? o.intervalSeconds : o.backgroundSeconds) = *durationSeconds(v);
        } else if (name == u"--limits") {
            if (!value(v))
                break;
            if (v.isEmpty())
                error = QStringLiteral("--limits needs a file.");
            o.limitsFile = v;
            o.encodedLimitsFile = bytes.isEmpty() ? QFile::encodeName(v) : bytes;
        } else if (name == u"--ambient" || name == u"--residual" || name == u"--specific") {
            if (!value(v))
                break;
            readLevel(name, v, bytes,
                      name == u"--ambient"    ? o.ambient
                      : name == u"--residual" ? o.residual
                                              : o.specific,
                      error);
        } else if (a == u"--rating") {
            o.rating = true;
        } else if (name == u"--tr" || name == u"--on-time") {
            if (!value(v))
                break;
            const std::optional<int> s = durationSeconds(v);
            if (!s || *s <= 0)
                error =
                    QStringLiteral("%1 takes a duration longer than 0 s (\"15min\", \"1h\", \"900\"), not "
                                   "\"%2\".")
                        .arg(name, v);
            else
                (name == u"--tr" ? o.referenceSeconds : o.onTimeSeconds) = double(*s);
        } else if (name == u"--tonal" || name == u"--impulsive" || name == u"--other" ||
                   name == u"--intermittency") {
            if (!value(v))
                break;
            bool ok = false;
            const int n = v.trimmed().toInt(&ok);
            CharacterCorrections alone;
            int CharacterCorrections::*field = name == u"--tonal"       ? &CharacterCorrections::tonal
                                               : name == u"--impulsive" ? &CharacterCorrections::impulsive
                                               : name == u"--other"     ? &CharacterCorrections::other
                                                                    : &CharacterCorrections::intermittency;
            alone.*field = ok ? n : -1;
            if (!alone.fault().isEmpty())
                error = QStringLiteral("%1 \"%2\": %3").arg(name, v, alone.fault());
            o.corrections.*field = n;
        } else if (name == u"--background-level") {
            if (!value(v))
                break;
            const std::optional<double> n = numberOf(v);
            if (!n || *n < 0 || *n > 200)
                error =
                    QStringLiteral("--background-level takes a level from 0 to 200 dB, not \"%1\".").arg(v);
            o.backgroundLevel = n;
        } else if (name == u"--abc") {
            if (!value(v))
                break;
            o.abc = true;
            const std::optional<std::vector<double>> levels = levelListOf(v);
            if (levels && levels->size() == 3) {
                o.abcLevels = std::array<double, 3>{(*levels)[0], (*levels)[1], (*levels)[2]};
            } else if (v.contains(u',') || !readLevel(name, v, bytes, o.abcFile, error) ||
                       o.abcFile.kind != LevelArgument::Kind::File) {
                error =
                    QStringLiteral("--abc takes three levels DAY,EVENING,NIGHT in dB or a pre-construction "
                                   "record file, not \"%1\".")
                        .arg(v);
            }
        } else if (a == u"--rbl") {
            o.rbl = true;
        } else if (a == u"--cnel") {
            o.cnel = true;
        } else if (name == u"--n-above") {
            // The thresholds may be left out: 60, 65 and 70 dB.
            const QString next = inline_ ? a.section(u'=', 1) : arguments.value(i + 1);
            const std::optional<std::vector<double>> levels = levelListOf(next);
            if (levels) {
                o.nAbove = *levels;
                if (!inline_)
                    ++i;
            } else if (inline_) {
                error = QStringLiteral("--n-above takes levels X[,X...] in dB, not \"%1\".").arg(next);
            } else {
                o.nAbove = {60, 65, 70};
            }
        } else {
            keep(i);
        }
    }
    if (error.isEmpty())
        error = crossCheck(o);
    return rest;
}

QString checkStandardsOptions(const StandardsOptions& o, bool recordsCsv, bool json, bool pdf,
                              bool otherCsvTable, qsizetype files)
{
    if (recordsCsv && o.any() && o.csvTable == StandardsOptions::Table::None)
        return QStringLiteral("--csv alone writes the records; the standards' options take --csv TABLE, "
                              "--json or the text report.");
    if (pdf && (o.any() || o.csvTable != StandardsOptions::Table::None))
        return QStringLiteral("--pdf does not print the standards' tables: they take the text report, --json "
                              "or --csv TABLE.");
    if (o.csvTable == StandardsOptions::Table::None)
        return {};
    if (json)
        return QStringLiteral("--json and --csv cannot be given together.");
    if (recordsCsv || otherCsvTable)
        return QStringLiteral("--csv is given twice: one table at a time.");
    if (files != 1)
        return QStringLiteral("--csv takes exactly one file.");
    return {};
}

} // namespace slm
