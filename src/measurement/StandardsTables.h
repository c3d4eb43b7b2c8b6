#pragma once

#include "measurement/StandardsRun.h"

#include <QString>
#include <QStringList>
#include <vector>

// The standards' results as plain tables of text: a caption, column headings with their units,
// rows of cells already formatted, and notes. The report program prints them, and a window or a
// printed report can lay them out without formatting a figure of its own.

namespace slm
{

struct StandardsTable {
    QString caption;
    QStringList columns;
    std::vector<QStringList> rows;
    QStringList notes; // lines that follow the table
    QString name;      // which table, for a layout to find it: "Intervals", "Background", "Rating", ...
};

// Every table the inputs asked for, in the order of the inputs. Unknown values are "-". A reason
// given for a character correction stands beside it; else the correction's own name does.
std::vector<StandardsTable> standardsTextTables(const StandardsResults& results,
                                                const StandardsInputs& inputs);

// "2026-03-02" of days since 1970-01-01 and "2026-03-02 10:15" of the records' clock seconds.
QString standardsDateText(std::int64_t days);
QString standardsClockText(std::int64_t clockSeconds);

} // namespace slm
