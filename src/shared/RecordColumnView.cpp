#include "shared/RecordColumnView.h"

#include "shared/RecordListModel.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

RecordColumnView::RecordColumnView(RecordListModel* model, int column, QWidget* parent)
    : QFrame(parent), m_model(model), m_column(column), m_bar(new QScrollBar(Qt::Vertical, this)),
      m_rowHeight(fontMetrics().height() + 4)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    m_bar->setSingleStep(1);
    m_bar->hide();
    connect(m_bar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    connect(model, &QAbstractItemModel::rowsInserted, this, &RecordColumnView::updateRange);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &RecordColumnView::updateRange);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_currentRow = 0;
        updateRange();
    });
    connect(model, &QAbstractItemModel::dataChanged, this, qOverload<>(&QWidget::update));
    updateRange();
}

void RecordColumnView::setScrollBarShown(bool shown)
{
    m_barShown = shown;
    m_bar->setVisible(shown);
    placeBar();
    updateGeometry();
}

QRect RecordColumnView::cellArea() const
{
    QRect area = contentsRect();
    if (m_barShown)
        area.setRight(area.right() - m_bar->sizeHint().width());
    return area;
}

int RecordColumnView::visibleRecordRows() const
{
    return std::max(1, cellArea().height() / m_rowHeight - 1);
}

void RecordColumnView::setCurrentRow(int row)
{
    row = std::clamp(row, 0, m_model->recordCount());
    if (row == m_currentRow)
        return;
    m_currentRow = row;
    update();
}

void RecordColumnView::scrollToBottom()
{
    m_bar->setValue(m_bar->maximum());
}

void RecordColumnView::setColumnWidth(int width)
{
    m_columnWidth = width;
    updateGeometry();
    update();
}

QSize RecordColumnView::sizeHint() const
{
    int width = m_columnWidth + 2 * frameWidth();
    if (m_barShown)
        width += m_bar->sizeHint().width();
    return {width, m_rowHeight * 12 + 2 * frameWidth()};
}

void RecordColumnView::updateRange()
{
    const int pageRows = visibleRecordRows();
    m_bar->setPageStep(pageRows);
    m_bar->setRange(0, std::max(0, m_model->recordCount() - pageRows));
    update();
}

void RecordColumnView::placeBar()
{
    const QRect area = contentsRect();
    const int barWidth = m_bar->sizeHint().width();
    m_bar->setGeometry(area.right() - barWidth + 1, area.top(), barWidth, area.height());
}

void RecordColumnView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    placeBar();
    updateRange();
}

void RecordColumnView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = cellArea();
    painter.setClipRect(area);
    const QPalette& pal = palette();
    const int textMargin = 3;

    // The title row stays in place; the records scroll under it.
    const QRect titleRect(area.left(), area.top(), area.width(), m_rowHeight);
    painter.fillRect(titleRect, pal.button());
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(titleRect.bottomLeft(), titleRect.bottomRight());
    painter.setPen(pal.color(QPalette::ButtonText));
    painter.drawText(titleRect.adjusted(textMargin, 0, -textMargin, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     m_model->text(0, m_column));

    const int first = m_bar->value() + 1;
    const int last = std::min(m_model->recordCount(), first + visibleRecordRows());
    int y = titleRect.bottom() + 1;
    for (int row = first; row <= last; ++row, y += m_rowHeight) {
        const QRect cell(area.left(), y, area.width(), m_rowHeight);
        const bool selected = row == m_currentRow;
        painter.fillRect(cell, selected ? pal.highlight() : pal.base());
        painter.setPen(pal.color(QPalette::Midlight));
        painter.drawLine(cell.bottomLeft(), cell.bottomRight());
        painter.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(cell.adjusted(textMargin, 0, -textMargin, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         m_model->text(row, m_column));
    }
}

void RecordColumnView::mousePressEvent(QMouseEvent* event)
{
    const QRect area = cellArea();
    const int y = static_cast<int>(event->position().y()) - area.top();
    const int index = y / m_rowHeight;
    if (y >= 0 && index >= 1 && area.contains(event->position().toPoint())) {
        const int row = m_bar->value() + index;
        if (row <= m_model->recordCount()) {
            setCurrentRow(row);
            emit rowClicked(row);
        }
    }
    QFrame::mousePressEvent(event);
}

void RecordColumnView::wheelEvent(QWheelEvent* event)
{
    // The bar scrolls the same whether it is shown or not.
    QCoreApplication::sendEvent(m_bar, event);
}

void RecordColumnView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        m_bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        m_bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        m_bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        m_bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        m_bar->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        m_bar->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QFrame::keyPressEvent(event);
        return;
    }
}
