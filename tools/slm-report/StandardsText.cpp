#include "AssessmentOutput.h"
#include "StandardsOutput.h"

#include "measurement/StandardsTables.h"

#include <algorithm>

namespace slm
{

namespace
{

// A table as the text report lays it out: the caption, the headings, the rows with the first
// column to the left and the others to the right, then the notes. A table of two unnamed columns
// is a list of names and values.
QString tableText(const StandardsTable& t)
{
    // A table that could not be worked out is its caption alone.
    QString out = QStringLiteral("  ") + t.caption + (t.columns.isEmpty() ? u'.' : u':') + u'\n';
    const bool list = t.columns.size() == 2 && t.columns[0].isEmpty() && t.columns[1].isEmpty();
    std::vector<qsizetype> widths(size_t(t.columns.size()), 0);
    for (qsizetype c = 0; c < t.columns.size(); ++c)
        widths[size_t(c)] = t.columns[c].size();
    for (const QStringList& row : t.rows)
        for (qsizetype c = 0; c < row.size() && c < t.columns.size(); ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], row[c].size());
    auto line = [&](const QStringList& cells) {
        QString l = QStringLiteral("    ");
        for (qsizetype c = 0; c < cells.size(); ++c) {
            const int w = int(widths[size_t(std::min(c, t.columns.size() - 1))]);
            if (list)
                l += c == 0 ? QStringLiteral("%1 ").arg(cells[c] + u':', -(w + 1)) : cells[c];
            else
                l +=
                    c == 0 ? QStringLiteral("%1").arg(cells[c], -w) : QStringLiteral("  %1").arg(cells[c], w);
        }
        while (l.endsWith(u' '))
            l.chop(1);
        return l + u'\n';
    };
    if (!list && !t.columns.isEmpty() && !t.rows.empty())
        out += line(t.columns);
    for (const QStringList& row : t.rows)
        out += line(row);
    for (const QString& note : t.notes)
        out += QStringLiteral("    %1\n").arg(note);
    return out;
}

} // namespace

bool writeStandardsText(const StandardsOfFile& s, const OutputSink& write)
{
    ChunkedOutput out(write);
    for (const StandardsTable& t : standardsTextTables(s.results, s.inputs))
        out.add(tableText(t));
    return out.flush();
}

} // namespace slm
