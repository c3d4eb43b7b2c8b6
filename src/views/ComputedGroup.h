#pragma once

#include <QGroupBox>
#include <QHash>
#include <cstdint>

class QLabel;

namespace slm
{

struct LevelFigures;

// The "Computed" group beside a list's own fields: Leq, SEL, Lmax, Lmin, L5..L95 and the duration
// that the program works out from the records, and a line saying how. The list's own fields keep
// what the file or the meter says; this group never overwrites them.
class ComputedGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit ComputedGroup(QWidget* parent = nullptr);

    void showFigures(const LevelFigures& figures);
    // An assessment's figures: after showFigures, the count of excluded records in its own row
    // (shown from now on) and the basis line naming them.
    void showExcluded(const LevelFigures& figures, std::int64_t excluded);
    // A field's text by its name ("ComputedLeq", "ComputedL50", "ComputedBasis", ...).
    QString field(const QString& name) const;

private:
    QHash<QString, QLabel*> m_fields;
    QLabel* m_excludedCaption = nullptr;
};

} // namespace slm
