#include "logger/MemoryWindow.h"

#include "logger/LoggerMemory.h"
#include "shared/GridAccessible.h"
#include "shared/TextHelpers.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

namespace slm
{

namespace
{
QLabel* boardLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(80);
    l->setAlignment(Qt::AlignCenter);
    return l;
}
} // namespace

MemoryWindow::MemoryWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Memory"));
    setWindowTitle(QStringLiteral("Data Logger"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_gridSet = new QTableWidget(0, 3, this);
    m_gridSet->setObjectName(QStringLiteral("GridSet"));
    m_gridSet->setHorizontalHeaderLabels(
        {QStringLiteral("Set"), QStringLiteral("Sampling"), QStringLiteral("Records")});
    m_gridSet->verticalHeader()->hide();
    m_gridSet->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gridSet->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_gridSet->setSelectionMode(QAbstractItemView::SingleSelection);
    m_gridSet->setAccessibleName(QStringLiteral("Logged sets"));
    makeCellsPressable(m_gridSet);
    m_gridSet->installEventFilter(this);
    // Columns as wide as their sample texts.
    const QFontMetrics fm(m_gridSet->font());
    int gridWidth = 0;
    int column = 0;
    for (const char* sample : {" No.S ", " Sampling ", " Records "}) {
        const int w = fm.horizontalAdvance(QString::fromLatin1(sample)) + 16;
        m_gridSet->setColumnWidth(column++, w);
        gridWidth += w;
    }
    m_gridSet->setMinimumWidth(gridWidth + m_gridSet->verticalScrollBar()->sizeHint().width() + 4);
    m_gridSet->setMinimumHeight(220);

    m_lblSize = boardLabel(QStringLiteral("LblSize"), QStringLiteral("64 K"), this);
    m_lblRemain = boardLabel(QStringLiteral("LblRemain"), QString(), this);
    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName(QStringLiteral("LblMessage"));
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("CmdCancel"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_gridSet, 0, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Memory Size"), this), 1, 0);
    layout->addWidget(m_lblSize, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("Remained"), this), 2, 0);
    layout->addWidget(m_lblRemain, 2, 1);
    layout->addWidget(m_lblMessage, 3, 0, 1, 2);
    layout->addWidget(m_cmdCancel, 4, 1);

    connect(m_cmdCancel, &QPushButton::clicked, this, &MemoryWindow::cancelRequested);
    connect(m_gridSet, &QTableWidget::cellClicked, this, [this](int row, int) { chooseRow(row); });
}

void MemoryWindow::chooseRow(int row)
{
    if (row >= 0 && row < m_setNumbers.size())
        emit setClicked(m_setNumbers[row]);
}

bool MemoryWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on the current row is the keyboard's click; the list would otherwise only move.
    if (watched == m_gridSet && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat() &&
            m_gridSet->currentIndex().isValid()) {
            chooseRow(m_gridSet->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MemoryWindow::setMemory(int sizeK, double freeK)
{
    m_lblSize->setText(QString::number(sizeK) + QStringLiteral(" K"));
    m_lblRemain->setText(QString::number(freeK, 'f', 1) + QStringLiteral(" K"));
}

void MemoryWindow::setProgress(double percent)
{
    m_lblMessage->setText(percentCompleted(percent));
}

void MemoryWindow::addSet(int number, const DataSet& set)
{
    const int row = m_gridSet->rowCount();
    m_gridSet->insertRow(row);
    m_setNumbers.append(number);
    int column = 0;
    for (int value : {number, set.interval, set.recordCount}) {
        auto* item = new QTableWidgetItem(QString::number(value));
        item->setTextAlignment(Qt::AlignCenter);
        m_gridSet->setItem(row, column++, item);
    }
}

void MemoryWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        emit cancelRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MemoryWindow::closeEvent(QCloseEvent* event)
{
    emit closed();
    QWidget::closeEvent(event);
}

} // namespace slm
