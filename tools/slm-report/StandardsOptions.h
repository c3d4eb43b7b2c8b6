#pragma once

#include "measurement/ResidualRating.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The report program's options for the assessments standards ask for: interval and background
// tables, limits over the file, residual correction, rating level, construction thresholds, rating
// background level, CNEL and counts above levels.

namespace slm
{

// A level given on the command line: a number, a record file, or a span START/END of the file
// assessed.
struct LevelArgument {
    enum class Kind { None, Number, File, Span };
    Kind kind = Kind::None;
    QString option; // "--ambient"
    QString text;   // as given
    QByteArray encodedFile;
    double number = 0;
    std::int64_t spanStart = 0; // the records' clock seconds, [start, end)
    std::int64_t spanEnd = 0;
};

struct StandardsOptions {
    enum class Table { None, Intervals, Background, Limits, Residual, Rating, Abc, Rbl, Cnel, NAbove };
    std::optional<std::int64_t> intervalSeconds;
    std::optional<std::int64_t> backgroundSeconds;
    QString limitsFile;
    QByteArray encodedLimitsFile;
    LevelArgument ambient;
    LevelArgument residual;
    bool rating = false;
    LevelArgument specific;
    std::optional<double> referenceSeconds;
    std::optional<double> onTimeSeconds;
    CharacterCorrections corrections;
    std::optional<double> backgroundLevel;
    bool abc = false;
    std::optional<std::array<double, 3>> abcLevels; // day, evening and weekend, night
    LevelArgument abcFile;                          // or a pre-construction file
    bool rbl = false;
    bool cnel = false;
    std::vector<double> nAbove; // empty: not asked
    Table csvTable = Table::None;

    bool any() const
    {
        return intervalSeconds || backgroundSeconds || !limitsFile.isEmpty() ||
               ambient.kind != LevelArgument::Kind::None || residual.kind != LevelArgument::Kind::None ||
               rating || abc || rbl || cnel || !nAbove.empty();
    }
};

// Takes the standards' options out of `arguments` (with `raw`, their bytes) and returns the rest,
// the bytes of each kept argument in `rawRest`. `error` says what is wrong ("" when nothing).
QStringList takeStandardsArguments(const QStringList& arguments, const QList<QByteArray>& raw,
                                   StandardsOptions& options, QList<QByteArray>& rawRest, QString& error);
// What is wrong with them beside the output asked for ("" when nothing). `recordsCsv`: the plain
// --csv of the records; `otherCsvTable`: --csv hours, days or events.
QString checkStandardsOptions(const StandardsOptions& options, bool recordsCsv, bool json, bool pdf,
                              bool otherCsvTable, qsizetype files);

QString standardsSynopsisText();
QString standardsDescriptionText();
QString standardsOptionsText();

} // namespace slm
