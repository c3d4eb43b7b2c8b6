#include "assessment/StandardsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace slm
{

namespace
{

constexpr int LimitsPauseMs = 700;

struct CorrectionField {
    const char* name;    // "Tonal"
    const char* caption; // "Tona&l"
    std::initializer_list<int> values;
    ChosenCorrection StandardsChoice::*field;
};

const CorrectionField CorrectionFields[] = {
    {"Tonal", "Tona&l", {0, 2, 4, 6}, &StandardsChoice::tonal},
    {"Impulsive", "Imp&ulsive", {0, 3, 6, 9}, &StandardsChoice::impulsive},
    {"Other", "Oth&er", {0, 3}, &StandardsChoice::other},
    {"Intermittency", "Inter&mittency", {0, 3}, &StandardsChoice::intermittency},
};

QString plain(const QString& caption)
{
    return QString(caption).remove(u'&');
}

// A fault is shown on the field itself too, and said to a screen reader with it.
void mark(QWidget* field, const QString& fault)
{
    field->setStyleSheet(fault.isEmpty() ? QString() : QStringLiteral("border: 2px solid #b00000;"));
    field->setToolTip(fault);
    field->setAccessibleDescription(fault);
}

void setText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
    mark(edit, {});
}

void choose(QComboBox* combo, const QVariant& value)
{
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(std::max(0, combo->findData(value)));
}

} // namespace

StandardsForm::StandardsForm(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto group = [&](const QString& title) {
        auto* box = new QGroupBox(title, this);
        auto* form = new QFormLayout(box);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        layout->addWidget(box);
        return form;
    };
    // Each field is named by its caption for a screen reader; the label is its buddy.
    const auto name = [](QWidget* field, const char* objectName, const QString& caption) {
        field->setObjectName(QString::fromLatin1(objectName));
        field->setAccessibleName(plain(caption));
        return field;
    };
    const auto line = [&](QFormLayout* form, const char* objectName, const QString& caption,
                          const QString& placeholder) {
        auto* edit = new QLineEdit(this);
        name(edit, objectName, caption);
        edit->setPlaceholderText(placeholder);
        connect(edit, &QLineEdit::editingFinished, this, &StandardsForm::edited);
        form->addRow(caption, edit);
        return edit;
    };
    const auto combo = [&](const char* objectName, const QString& caption,
                           const std::vector<std::pair<QString, QVariant>>& items) {
        auto* box = new QComboBox(this);
        name(box, objectName, caption);
        for (const auto& [text, data] : items)
            box->addItem(text, data);
        connect(box, &QComboBox::currentIndexChanged, this, &StandardsForm::edited);
        return box;
    };
    const auto check = [&](QFormLayout* form, const char* objectName, const QString& caption) {
        auto* box = new QCheckBox(caption, this);
        name(box, objectName, caption);
        connect(box, &QCheckBox::toggled, this, &StandardsForm::edited);
        form->addRow(box);
        return box;
    };

    QFormLayout* tables = group(QStringLiteral("Tables over the file"));
    const QString none = QStringLiteral("None");
    m_intervals = combo("StandardsIntervals", QStringLiteral("&Intervals"),
                        {{none, 0}, {"5 min", 300}, {"15 min", 900}, {"30 min", 1800}, {"1 h", 3600}});
    tables->addRow(QStringLiteral("&Intervals"), m_intervals);
    m_background = combo("StandardsBackground", QStringLiteral("&Background interval"),
                         {{none, 0}, {"15 min", 900}, {"1 h", 3600}});
    tables->addRow(QStringLiteral("&Background interval"), m_background);
    m_limits = new QPlainTextEdit(this);
    name(m_limits, "StandardsLimits", QStringLiteral("Limit&s"));
    // Tab goes on to the next field: a limits text has no use for tab characters.
    m_limits->setTabChangesFocus(true);
    m_limits->setPlaceholderText(QStringLiteral("[limit1]\nfigure=leq\nwindow=15min\nlevel=55"));
    m_limits->setFixedHeight(6 * m_limits->fontMetrics().lineSpacing());
    auto* pause = new QTimer(m_limits);
    pause->setSingleShot(true);
    pause->setInterval(LimitsPauseMs);
    connect(m_limits, &QPlainTextEdit::textChanged, pause, qOverload<>(&QTimer::start));
    connect(pause, &QTimer::timeout, this, &StandardsForm::edited);
    tables->addRow(QStringLiteral("Limit&s"), m_limits);

    const QString levelHint = QStringLiteral("dB, or START/END of this file");
    QFormLayout* residual = group(QStringLiteral("Residual correction"));
    m_ambient = line(residual, "StandardsAmbient", QStringLiteral("A&mbient La"), levelHint);
    m_residual = line(residual, "StandardsResidual", QStringLiteral("Resi&dual Lr"), levelHint);

    QFormLayout* rating = group(QStringLiteral("Rating level"));
    m_rating = check(rating, "StandardsRating", QStringLiteral("Ratin&g level"));
    m_specific = line(rating, "StandardsSpecific", QStringLiteral("Spe&cific Ls"),
                      QStringLiteral("the residual correction's, or dB, or START/END"));
    m_tr = line(rating, "StandardsTr", QStringLiteral("&Reference interval Tr"),
                QStringLiteral("1h; 15min for a span at night"));
    m_onTime = line(rating, "StandardsOnTime", QStringLiteral("O&n-time"), QStringLiteral("Tr"));
    for (size_t k = 0; k < 4; ++k) {
        const CorrectionField& f = CorrectionFields[k];
        std::vector<std::pair<QString, QVariant>> items;
        for (int v : f.values)
            items.emplace_back(QStringLiteral("%1 dB").arg(v), v);
        const QString caption = QString::fromLatin1(f.caption);
        const QByteArray objectName = "Standards" + QByteArray(f.name);
        m_corrections[k] = combo(objectName.constData(), caption, items);
        m_corrections[k]->setAccessibleName(QStringLiteral("%1 correction").arg(QLatin1String(f.name)));
        m_reasons[k] = new QLineEdit(this);
        const QByteArray reasonName = objectName + "Reason";
        name(m_reasons[k], reasonName.constData(), QStringLiteral("%1 reason").arg(QLatin1String(f.name)));
        m_reasons[k]->setPlaceholderText(QStringLiteral("why this correction"));
        connect(m_reasons[k], &QLineEdit::editingFinished, this, &StandardsForm::edited);
        // Alt+W goes from one reason to the next.
        auto* why = new QLabel(QStringLiteral("&Why"), this);
        why->setBuddy(m_reasons[k]);
        auto* row = new QHBoxLayout;
        row->addWidget(m_corrections[k]);
        row->addWidget(why);
        row->addWidget(m_reasons[k], 1);
        auto* label = new QLabel(caption, this);
        label->setBuddy(m_corrections[k]);
        rating->addRow(label, row);
    }
    m_backgroundLevel = line(rating, "StandardsBackgroundLevel", QStringLiteral("Bac&kground LA90"),
                             QStringLiteral("the background table's median"));

    QFormLayout* more = group(QStringLiteral("Other assessments"));
    m_abc = line(more, "StandardsAbc", QStringLiteral("A&BC ambient"),
                 QStringLiteral("day, evening, night in dB"));
    m_rbl = check(more, "StandardsRbl", QStringLiteral("Rating background level (RB&L)"));
    m_cnel = check(more, "StandardsCnel", QStringLiteral("C&NEL"));
    m_nAbove =
        line(more, "StandardsNAbove", QStringLiteral("N-abov&e thresholds"), QStringLiteral("60, 65, 70"));
}

void StandardsForm::showChoice(const StandardsChoice& c)
{
    choose(m_intervals, qint64(c.intervalSeconds.value_or(0)));
    choose(m_background, qint64(c.backgroundSeconds.value_or(0)));
    if (m_limits->toPlainText() != c.limits) {
        const QSignalBlocker quiet(m_limits);
        m_limits->setPlainText(c.limits);
    }
    mark(m_limits, {});
    setText(m_ambient, chosenLevelText(c.ambient));
    setText(m_residual, chosenLevelText(c.residual));
    {
        const QSignalBlocker quiet(m_rating);
        m_rating->setChecked(c.rating);
    }
    setText(m_specific, chosenLevelText(c.specific));
    setText(m_tr, c.referenceSeconds ? durationInputText(*c.referenceSeconds) : QString());
    setText(m_onTime, c.onTimeSeconds ? durationInputText(*c.onTimeSeconds) : QString());
    for (size_t k = 0; k < 4; ++k) {
        const ChosenCorrection& x = c.*CorrectionFields[k].field;
        choose(m_corrections[k], x.db);
        setText(m_reasons[k], x.reason);
    }
    setText(m_backgroundLevel, c.backgroundLevel ? QString::number(*c.backgroundLevel, 'g', 6) : QString());
    setText(m_abc, c.abcAmbient ? levelListText(*c.abcAmbient) : QString());
    for (auto [box, on] : {std::pair{m_rbl, c.rbl}, {m_cnel, c.cnel}}) {
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    }
    setText(m_nAbove, levelListText(c.nAbove));
}

StandardsChoice StandardsForm::choice(const StandardsChoice& saved, QStringList& faults)
{
    StandardsChoice c = saved;
    // A field that holds what it takes is taken; one that does not keeps the saved value.
    const auto take = [&](QWidget* field, const QString& fault) {
        mark(field, fault);
        if (!fault.isEmpty())
            faults << QStringLiteral("%1 not taken: %2").arg(field->accessibleName(), fault);
        return fault.isEmpty();
    };
    const auto seconds = [](QComboBox* box) {
        const qint64 s = box->currentData().toLongLong();
        return s > 0 ? std::optional<std::int64_t>(s) : std::nullopt;
    };
    c.intervalSeconds = seconds(m_intervals);
    c.backgroundSeconds = seconds(m_background);
    QString why;
    const QString limits = m_limits->toPlainText();
    if (limits.trimmed().isEmpty() || limitsOfText(limits, why))
        c.limits = limits;
    take(m_limits, why);
    const auto level = [&](QLineEdit* field, ChosenLevel& out) {
        QString fault;
        const std::optional<ChosenLevel> l = chosenLevelOf(field->text(), fault);
        if (take(field, fault))
            out = *l;
    };
    level(m_ambient, c.ambient);
    level(m_residual, c.residual);
    c.rating = m_rating->isChecked();
    level(m_specific, c.specific);
    const auto duration = [&](QLineEdit* field, std::optional<std::int64_t>& out) {
        const QString text = field->text().trimmed();
        const int s = text.isEmpty() ? 0 : durationSeconds(text).value_or(-1);
        if (take(field, text.isEmpty() || s > 0
                            ? QString()
                            : QStringLiteral("a duration longer than 0 s such as 1h, 15min or 900 "
                                             "(seconds) is expected, not \"%1\".")
                                  .arg(text)))
            out = s > 0 ? std::optional<std::int64_t>(s) : std::nullopt;
    };
    duration(m_tr, c.referenceSeconds);
    duration(m_onTime, c.onTimeSeconds);
    for (size_t k = 0; k < 4; ++k) {
        ChosenCorrection& x = c.*CorrectionFields[k].field;
        x.db = m_corrections[k]->currentData().toInt();
        x.reason = m_reasons[k]->text().trimmed();
    }
    const QString background = m_backgroundLevel->text().trimmed();
    bool number = false;
    const double level90 = background.toDouble(&number);
    if (take(m_backgroundLevel,
             background.isEmpty() || (number && level90 >= 0 && level90 <= 200)
                 ? QString()
                 : QStringLiteral("a level from 0 to 200 dB is expected, not \"%1\".").arg(background)))
        c.backgroundLevel = background.isEmpty() ? std::nullopt : std::optional<double>(level90);
    const QString abc = m_abc->text().trimmed();
    const std::optional<std::vector<double>> ambient = levelListOf(abc);
    if (take(m_abc, abc.isEmpty() || (ambient && ambient->size() == 3)
                        ? QString()
                        : QStringLiteral("three levels DAY, EVENING, NIGHT in dB are expected, not \"%1\".")
                              .arg(abc)))
        c.abcAmbient =
            abc.isEmpty()
                ? std::nullopt
                : std::optional<std::array<double, 3>>({(*ambient)[0], (*ambient)[1], (*ambient)[2]});
    c.rbl = m_rbl->isChecked();
    c.cnel = m_cnel->isChecked();
    const QString counts = m_nAbove->text().trimmed();
    const std::optional<std::vector<double>> thresholds = levelListOf(counts);
    if (take(m_nAbove,
             counts.isEmpty() || thresholds
                 ? QString()
                 : QStringLiteral("levels X, X, ... from 0 to 200 dB are expected, not \"%1\".").arg(counts)))
        c.nAbove = counts.isEmpty() ? std::vector<double>{} : *thresholds;
    return c;
}

} // namespace slm
