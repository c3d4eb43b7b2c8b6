#include "views/ComputedGroup.h"

#include "measurement/AssessmentExclusions.h"
#include "measurement/LevelFigures.h"
#include "views/ValueField.h"

#include <QGridLayout>
#include <QLabel>

namespace slm
{

namespace
{

struct ComputedSpec {
    const char* name;
    const char* caption;
};

constexpr ComputedSpec Fields[] = {
    {"ComputedLeq", "Leq"},           {"ComputedSEL", "SEL"},  {"ComputedLmax", "Lmax"},
    {"ComputedLmin", "Lmin"},         {"ComputedL5", "L 5"},   {"ComputedL10", "L 10"},
    {"ComputedL50", "L 50"},          {"ComputedL90", "L 90"}, {"ComputedL95", "L 95"},
    {"ComputedDuration", "Duration"},
};

QString percentileText(const LevelFigures& f, int p)
{
    const QString v = f.percentile(p);
    return v.isEmpty() ? QStringLiteral("unknown") : v;
}

} // namespace

ComputedGroup::ComputedGroup(QWidget* parent) : QGroupBox(QStringLiteral("Computed"), parent)
{
    setObjectName(QStringLiteral("Computed"));
    setAccessibleName(QStringLiteral("Computed"));
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(3);
    int row = 0;
    for (const ComputedSpec& f : Fields) {
        auto* caption = new QLabel(QString::fromLatin1(f.caption), this);
        auto* value = new QLabel(this);
        value->setObjectName(QString::fromLatin1(f.name));
        value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        value->setAlignment(Qt::AlignCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("A1 d 00:00:00A")));
        // The figures are there to be copied into a report: reachable and selectable by keyboard.
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        value->setFocusPolicy(Qt::TabFocus);
        // Read as "Computed Leq: 67.4", apart from the list's own "Leq" beside it.
        nameValueField(value, QStringLiteral("Computed ") + QString::fromLatin1(f.caption), caption);
        m_fields.insert(value->objectName(), value);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
        ++row;
    }
    // Records left out by exclusions: only an assessment shows them, so the row starts hidden and
    // the list windows look as they always did.
    m_excludedCaption = new QLabel(QStringLiteral("Excluded"), this);
    auto* excluded = new QLabel(this);
    excluded->setObjectName(QStringLiteral("ComputedExcluded"));
    excluded->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    excluded->setAlignment(Qt::AlignCenter);
    excluded->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    excluded->setFocusPolicy(Qt::TabFocus);
    nameValueField(excluded, QStringLiteral("Excluded records"), m_excludedCaption);
    m_fields.insert(excluded->objectName(), excluded);
    grid->addWidget(m_excludedCaption, row, 0);
    grid->addWidget(excluded, row, 1);
    m_excludedCaption->hide();
    excluded->hide();
    ++row;
    auto* basis = new QLabel(this);
    basis->setObjectName(QStringLiteral("ComputedBasis"));
    nameValueField(basis, QStringLiteral("How the figures were computed"));
    basis->setWordWrap(true);
    basis->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    basis->setFocusPolicy(Qt::TabFocus);
    // Two short lines at most; the width of the value column keeps the group narrow.
    basis->setMinimumHeight(2 * basis->fontMetrics().lineSpacing());
    m_fields.insert(basis->objectName(), basis);
    grid->addWidget(basis, row, 0, 1, 2);
    grid->setRowStretch(row + 1, 1);
}

void ComputedGroup::showFigures(const LevelFigures& f)
{
    const std::pair<const char*, QString> texts[] = {
        {"ComputedLeq", figureText(f.leq)},     {"ComputedSEL", figureText(f.sel)},
        {"ComputedLmax", figureText(f.lmax)},   {"ComputedLmin", figureText(f.lmin)},
        {"ComputedL5", percentileText(f, 5)},   {"ComputedL10", percentileText(f, 10)},
        {"ComputedL50", percentileText(f, 50)}, {"ComputedL90", percentileText(f, 90)},
        {"ComputedL95", percentileText(f, 95)}, {"ComputedDuration", durationText(f.duration)},
        {"ComputedBasis", figuresBasisText(f)},
    };
    for (const auto& [name, text] : texts)
        setValueFieldText(m_fields.value(QString::fromLatin1(name)), text);
}

void ComputedGroup::showExcluded(const LevelFigures& figures, std::int64_t excluded)
{
    QLabel* field = m_fields.value(QStringLiteral("ComputedExcluded"));
    m_excludedCaption->show();
    field->show();
    setValueFieldText(field, QString::number(excluded));
    setValueFieldText(m_fields.value(QStringLiteral("ComputedBasis")), assessedBasisText(figures, excluded));
}

QString ComputedGroup::field(const QString& name) const
{
    const QLabel* l = m_fields.value(name);
    return l ? l->text() : QString();
}

} // namespace slm
