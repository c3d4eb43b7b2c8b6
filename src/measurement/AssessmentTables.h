#pragma once

#include "measurement/AssessmentDetails.h"
#include "measurement/AssessmentRun.h"

#include <QList>
#include <QString>
#include <QStringList>

// The assessment as tables of shown texts: the assessment window's tabs and the printed report
// take their columns, rows and wording from here, so the screen and the paper always agree. Levels
// have one decimal; an unknown value is "-". Times are the records' local clock times.

namespace slm
{

struct TextTable {
    QStringList columns;
    QList<QStringList> rows;
    QList<bool> rightAligned; // per column: numbers stand right
};

// "2026-03-01 10:00:05" of local clock seconds; "-" for a record without a time.
QString clockTimeText(std::int64_t clock);
// One decimal, or "-".
QString levelText(std::optional<double> value);

// Figure, value: Leq, SEL, Lmax, Lmin, duration, records, levels, paused, other, excluded.
TextTable figuresTable(const AssessmentResults& results);
// L5, L10, ... L95 as one row.
TextTable percentileTable(const LevelFigures& figures);
// The first `maxRows` rows (all of them when negative).
TextTable hoursTable(const AssessmentResults& results, qsizetype maxRows = -1);
// One row per day and the "overall" row.
TextTable dayEveningNightTable(const AssessmentResults& results);
// Figure, value, by the criterion's kind (a dose or the daily exposure).
TextTable doseTable(const DoseResult& dose);
// "OSHA PEL: Lc 90 dB, q 5 dB, Lt 90 dB" or "ISO 9612: LEX,8h" and the weighting's caveat.
QString doseCaption(const DoseResult& dose);
TextTable eventsTable(const AssessmentResults& results, qsizetype maxRows = -1);
// "3 events, 00:01:10 in events, 0.5 per hour (threshold 70 dB, minimum 0 s, continuation 0 s)".
QString eventsCaption(const AssessmentResults& results);
// The reasons as shownReason gives them.
TextTable exclusionsTable(std::span<const Exclusion> exclusions);
// A reason as tables and plots show it: the first ShownReasonLength characters, and for a longer
// one "... (N more characters)", so a reason of megabytes costs no more to lay out than a line.
constexpr qsizetype ShownReasonLength = 200;
QString shownReason(const QString& reason);
// Field, value: only the details given.
TextTable detailsTable(const AssessmentDetails& details);
// "Day 07:00, evening 19:00, night 23:00; a period below 50 % coverage is unknown".
QString periodsCaption(const PeriodSettings& periods);

} // namespace slm
