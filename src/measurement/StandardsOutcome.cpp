#include "measurement/StandardsOutcome.h"

#include <cmath>

namespace slm
{

namespace
{

struct CorrectionRow {
    const char* caption;
    ChosenCorrection StandardsChoice::*field;
    int CharacterCorrections::*value;
    QString CorrectionReasons::*reason;
};

const CorrectionRow CorrectionRows[] = {
    {"tonal", &StandardsChoice::tonal, &CharacterCorrections::tonal, &CorrectionReasons::tonal},
    {"impulsive", &StandardsChoice::impulsive, &CharacterCorrections::impulsive,
     &CorrectionReasons::impulsive},
    {"other", &StandardsChoice::other, &CharacterCorrections::other, &CorrectionReasons::other},
    {"intermittency", &StandardsChoice::intermittency, &CharacterCorrections::intermittency,
     &CorrectionReasons::intermittency},
};

QString lengthText(std::int64_t seconds)
{
    return seconds % 3600 == 0 ? QStringLiteral("%1 h").arg(seconds / 3600)
                               : QStringLiteral("%1 min").arg(QString::number(double(seconds) / 60, 'g', 6));
}

QString dbText(double v)
{
    return QString::number(v, 'f', 1) + QStringLiteral(" dB");
}

LevelSource sourceOf(const ChosenLevel& l, const QString& caption)
{
    LevelSource s;
    s.option = caption;
    s.given = chosenLevelText(l);
    if (l.kind == ChosenLevel::Kind::Number) {
        s.kind = LevelSource::Kind::Number;
        s.number = l.number;
    } else if (l.kind == ChosenLevel::Kind::Span) {
        s.kind = LevelSource::Kind::Span;
        s.span = l.span;
    }
    return s;
}

QString levelInputText(const ChosenLevel& l)
{
    if (l.kind == ChosenLevel::Kind::Number)
        return dbText(l.number);
    return QStringLiteral("Leq of %1 to %2")
        .arg(standardsClockText(l.span.start), standardsClockText(l.span.end));
}

QString sentence(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

StandardsOutcome runStandardsChoice(std::span<const RecordSample> samples, std::optional<double> interval,
                                    const ExclusionMask& mask, const StandardsChoice& c,
                                    const AssessmentSettings& settings)
{
    StandardsOutcome out;
    out.choice = c;
    QStringList& messages = out.messages;
    StandardsInputs& in = out.inputs;
    in.intervalSeconds = c.intervalSeconds;
    in.backgroundSeconds = c.backgroundSeconds;
    if (!c.limits.trimmed().isEmpty()) {
        QString why;
        in.limits = limitsOfText(c.limits, why);
        if (!in.limits)
            messages << QStringLiteral("Limits: %1 They are left out.").arg(why);
    }
    if (c.ambient.present() && c.residual.present()) {
        in.ambient = sourceOf(c.ambient, QStringLiteral("Ambient La"));
        in.residual = sourceOf(c.residual, QStringLiteral("Residual Lr"));
    } else if (c.ambient.present() || c.residual.present()) {
        messages << QStringLiteral("The residual correction needs both Ambient La and Residual Lr.");
    }
    in.rating = c.rating;
    if (c.rating) {
        in.specific = sourceOf(c.specific, QStringLiteral("Specific Ls"));
        if (c.referenceSeconds)
            in.referenceSeconds = double(*c.referenceSeconds);
        if (c.onTimeSeconds)
            in.onTimeSeconds = double(*c.onTimeSeconds);
        for (const CorrectionRow& row : CorrectionRows) {
            const ChosenCorrection& x = c.*row.field;
            in.corrections.*row.value = x.db;
            in.reasons.*row.reason = x.reason.trimmed();
            if (x.db != 0 && x.reason.trimmed().isEmpty())
                messages << QStringLiteral("Give the reason for the %1 correction of %2 dB.")
                                .arg(QLatin1String(row.caption))
                                .arg(x.db);
        }
        in.backgroundLevel = c.backgroundLevel;
        QString missing;
        if (!in.specific.present() && !in.ambient.present())
            missing = QStringLiteral("The rating level needs Specific Ls, or Ambient La and Residual Lr.");
        else if (!c.backgroundLevel && !c.backgroundSeconds)
            missing = QStringLiteral("The rating level needs Background LA90, or a background interval.");
        else if (c.onTimeSeconds && c.referenceSeconds && *c.onTimeSeconds > *c.referenceSeconds)
            missing = QStringLiteral("The rating level needs an on-time of at most Tr.");
        if (!missing.isEmpty()) {
            messages << missing;
            in.rating = false;
            in.specific = {};
        }
    }
    in.abc = c.abcAmbient.has_value();
    if (c.abcAmbient)
        in.abcLevels =
            std::array<double, AbcPeriodCount>{(*c.abcAmbient)[0], (*c.abcAmbient)[1], (*c.abcAmbient)[2]};
    in.rbl = c.rbl;
    in.cnel = c.cnel;
    in.nAbove = c.nAbove;
    in.eventRule = settings.events;
    in.periods = settings.periods;
    out.results = runStandards(samples, interval, mask, in);
    if (!out.results.error.isEmpty())
        messages << sentence(out.results.error);
    out.tables = standardsTextTables(out.results, in);
    return out;
}

TextTable standardsInputsTable(const StandardsOutcome& o)
{
    const StandardsChoice& c = o.choice;
    const StandardsInputs& in = o.inputs;
    TextTable t{{QStringLiteral("Input"), QStringLiteral("Value")}, {}, {false, false}};
    const auto row = [&](const QString& name, const QString& value) { t.rows.append({name, value}); };
    if (c.intervalSeconds)
        row(QStringLiteral("Interval table"), lengthText(*c.intervalSeconds));
    if (!c.limits.trimmed().isEmpty()) {
        QStringList names;
        for (const LimitConfig& l : in.limits.value_or(QList<LimitConfig>{}))
            names << (l.name.isEmpty() || l.name == l.section
                          ? l.section
                          : QStringLiteral("%1 (%2)").arg(l.section, l.name));
        row(QStringLiteral("Limits over the file"),
            in.limits ? names.join(QStringLiteral(", ")) : QStringLiteral("not usable, left out"));
    }
    if (c.backgroundSeconds)
        row(QStringLiteral("Background interval"), lengthText(*c.backgroundSeconds));
    if (c.ambient.present())
        row(QStringLiteral("Ambient La"), levelInputText(c.ambient));
    if (c.residual.present())
        row(QStringLiteral("Residual Lr"), levelInputText(c.residual));
    if (c.rating) {
        row(QStringLiteral("Specific Ls"),
            c.specific.present() ? levelInputText(c.specific) : QStringLiteral("the residual correction"));
        row(QStringLiteral("Reference interval Tr"),
            c.referenceSeconds ? lengthText(*c.referenceSeconds)
                               : QStringLiteral("1 h, or 15 min for a span at night (23:00-07:00)"));
        row(QStringLiteral("On-time"), c.onTimeSeconds ? lengthText(*c.onTimeSeconds) : QStringLiteral("Tr"));
        for (const CorrectionRow& r : CorrectionRows) {
            const ChosenCorrection& x = c.*r.field;
            QString value = QStringLiteral("%1 dB").arg(x.db);
            if (!x.reason.trimmed().isEmpty())
                value += QStringLiteral(": ") + x.reason.trimmed();
            else if (x.db != 0)
                value += QStringLiteral(": no reason given");
            row(sentence(QString::fromLatin1(r.caption)) + QStringLiteral(" correction"), value);
        }
        row(QStringLiteral("Background LA90"),
            c.backgroundLevel ? dbText(*c.backgroundLevel) + QStringLiteral(" (given)")
                              : QStringLiteral("the median of the background table (day or night by Tr)"));
    }
    if (c.abcAmbient)
        row(QStringLiteral("Construction ambient (day, evening and weekend, night)"),
            levelListText(*c.abcAmbient) + QStringLiteral(" dB"));
    if (c.rbl)
        row(QStringLiteral("Rating background level"), QStringLiteral("yes"));
    if (c.cnel)
        row(QStringLiteral("CNEL"), QStringLiteral("yes"));
    if (!c.nAbove.empty())
        row(QStringLiteral("Counts above"),
            QStringLiteral("%1 dB (events of at least %2 s, continuation %3 s)")
                .arg(levelListText(c.nAbove), QString::number(in.eventRule.minDurationSeconds, 'g', 6),
                     QString::number(in.eventRule.continuationSeconds, 'g', 6)));
    row(QStringLiteral("Coverage threshold"), QStringLiteral("%1 % of an interval or period")
                                                  .arg(QString::number(in.periods.coveragePercent, 'g', 6)));
    return t;
}

bool isListTable(const StandardsTable& t)
{
    return t.columns.size() == 2 && t.columns[0].isEmpty() && t.columns[1].isEmpty();
}

TextTable shownStandardsTable(const StandardsTable& s)
{
    TextTable t;
    const bool list = isListTable(s);
    t.columns = list ? QStringList{QStringLiteral("Figure"), QStringLiteral("Value")} : s.columns;
    t.rows = QList<QStringList>(s.rows.begin(), s.rows.end());
    // Figures stand right: a column whose every known cell starts as a number does.
    for (qsizetype col = 0; col < t.columns.size(); ++col) {
        bool figures = col > 0 && !list;
        for (const QStringList& row : t.rows) {
            const QString cell = row.value(col);
            if (cell.isEmpty() || cell == u"-")
                continue;
            const QChar first = cell.front();
            if (!first.isDigit() && !(cell.size() > 1 && (first == u'-' || first == u'+' || first == u'<'))) {
                figures = false;
                break;
            }
        }
        t.rightAligned.append(figures);
    }
    return t;
}

} // namespace slm
