#include "limits/LimitsWindow.h"

#include "limits/LimitsModel.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

namespace slm
{

namespace
{

QString dbText(std::optional<double> v)
{
    return v ? QStringLiteral("%1 dB").arg(*v, 0, 'f', 1) : QStringLiteral("- - -");
}

} // namespace

QString transitionText(const LimitTransition& t)
{
    QString s = QStringLiteral("%1 %2 %3 (%4")
                    .arg(localDateTimeOf(t.time).toString(QStringLiteral("HH:mm:ss")), t.limit,
                         limitStateText(t.state), dbText(t.figure));
    if (t.threshold)
        s += QStringLiteral(", threshold %1").arg(dbText(t.threshold));
    if (!t.reason.isEmpty())
        s += QStringLiteral(", ") + t.reason;
    return s + u')';
}

LimitsWindow::LimitsWindow(LimitsModel& model, QString settingsPath, QWidget* parent)
    : QWidget(parent), m_model(model), m_path(std::move(settingsPath)), m_editor(new QPlainTextEdit(this)),
      m_message(new QLabel(this)), m_table(new QTableWidget(0, 4, this)), m_transitions(new QListWidget(this))
{
    setObjectName(QStringLiteral("LimitsWindow"));
    setWindowTitle(QStringLiteral("Limits"));
    m_editor->setObjectName(QStringLiteral("limitsEditor"));
    m_editor->setAccessibleName(QStringLiteral("Limits, one [limitN] section each"));
    m_editor->setTabChangesFocus(true);
    m_message->setObjectName(QStringLiteral("limitsMessage"));
    m_message->setWordWrap(true);
    auto* apply = new QPushButton(QStringLiteral("&Apply"), this);
    apply->setObjectName(QStringLiteral("applyLimits"));
    m_table->setObjectName(QStringLiteral("limitsTable"));
    m_table->setAccessibleName(QStringLiteral("Limit states"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Limit"), QStringLiteral("Figure"),
                                        QStringLiteral("State"), QStringLiteral("Since")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Tab leaves the table (the arrows move within it), so the keyboard gets past it.
    m_table->setTabKeyNavigation(false);
    m_transitions->setObjectName(QStringLiteral("transitionsList"));
    m_transitions->setAccessibleName(QStringLiteral("Today's transitions"));

    auto* layout = new QVBoxLayout(this);
    auto* editorLabel = new QLabel(QStringLiteral("&Limits:"), this);
    editorLabel->setBuddy(m_editor);
    layout->addWidget(editorLabel);
    layout->addWidget(m_editor, 2);
    layout->addWidget(apply, 0, Qt::AlignRight);
    layout->addWidget(m_message);
    layout->addWidget(m_table, 1);
    auto* todayLabel = new QLabel(QStringLiteral("&Today:"), this);
    todayLabel->setBuddy(m_transitions);
    layout->addWidget(todayLabel);
    layout->addWidget(m_transitions, 1);

    setTabOrder(m_editor, apply);
    setTabOrder(apply, m_table);
    setTabOrder(m_table, m_transitions);

    connect(apply, &QPushButton::clicked, this, &LimitsWindow::apply);
    connect(&m_model, &LimitsModel::configurationChanged, this, &LimitsWindow::refillTable);
    connect(&m_model, &LimitsModel::figuresChanged, this, &LimitsWindow::updateFigures);
    connect(&m_model, &LimitsModel::transitionAdded, this, &LimitsWindow::addTransition);

    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        m_editor->setPlainText(QString::fromUtf8(file.readAll()));
        QString error;
        if (!m_model.setConfiguration(m_editor->toPlainText(), error))
            m_message->setText(QStringLiteral("The limits in %1 are not used: %2").arg(m_path, error));
    } else {
        m_editor->setPlainText(m_model.configuration());
    }
    refillTable();
    for (const LimitTransition& t : m_model.todaysTransitions())
        addTransition(t);
}

bool LimitsWindow::apply()
{
    QString error;
    if (!m_model.setConfiguration(m_editor->toPlainText(), error)) {
        m_message->setText(QStringLiteral("Not applied: %1").arg(error));
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_editor->toPlainText().toUtf8()) < 0 ||
        !file.commit()) {
        m_message->setText(QStringLiteral("In force, but not kept: %1 cannot be written (%2)")
                               .arg(m_path, file.errorString()));
        return true;
    }
    m_message->setText(QStringLiteral("%1 limits in force.").arg(m_model.monitors().size()));
    return true;
}

void LimitsWindow::refillTable()
{
    m_table->setRowCount(int(m_model.monitors().size()));
    for (int row = 0; row < m_table->rowCount(); ++row)
        for (int column = 0; column < m_table->columnCount(); ++column)
            m_table->setItem(row, column, new QTableWidgetItem);
    updateFigures();
}

void LimitsWindow::updateFigures()
{
    const std::vector<LimitMonitor>& monitors = m_model.monitors();
    for (int row = 0; row < int(monitors.size()) && row < m_table->rowCount(); ++row) {
        const LimitMonitor& m = monitors[size_t(row)];
        const QString since = m.state() == LimitState::Clear && m.stateSince() == 0
                                  ? QString()
                                  : localDateTimeOf(m.stateSince()).toString(QStringLiteral("HH:mm:ss"));
        const QStringList texts{m.config().name, dbText(m.figure()), limitStateText(m.state()), since};
        for (int column = 0; column < texts.size(); ++column)
            if (m_table->item(row, column)->text() != texts[column])
                m_table->item(row, column)->setText(texts[column]);
    }
}

void LimitsWindow::addTransition(const LimitTransition& t)
{
    if (m_model.todaysTransitions().size() < m_transitions->count())
        m_transitions->clear(); // a new day began
    m_transitions->addItem(transitionText(t));
}

} // namespace slm
