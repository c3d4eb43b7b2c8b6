#include "views/RecordColumnView.h"

#include "measurement/RecordListModel.h"
#include "shared/GridAccessible.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace slm
{

namespace
{

// The grid as a table of one column: table row r is record row r + 1, the title row is the
// column header. The cell of the selected row is the current one.
class RecordColumnAccessible : public GridAccessible
{
public:
    explicit RecordColumnAccessible(RecordColumnView* view) : GridAccessible(view), m_view(view) {}

    QString text(QAccessible::Text type) const override
    {
        // Unnamed grids go by their title, which is what a sighted user reads above them.
        if (type == QAccessible::Name && m_view->accessibleName().isEmpty())
            return headerText(0);
        return GridAccessible::text(type);
    }

    int rowCount() const override { return m_view->model()->recordCount(); }
    int columnCount() const override { return 1; }
    QString headerText(int) const override { return RecordListModel::title(m_view->column()); }
    QString cellText(int row, int) const override { return m_view->model()->text(row + 1, m_view->column()); }
    // A reader on one grid still hears the whole record.
    QString rowSummary(int row) const override
    {
        QStringList parts;
        for (int column = 0; column < RecordListModel::ColumnCount; ++column)
            parts << RecordListModel::title(column) + QLatin1Char(' ') +
                         m_view->model()->text(row + 1, column);
        return parts.join(QStringLiteral(", "));
    }
    QRect cellRect(int row, int) const override { return m_view->gridRowRect(row + 1); }
    bool cellAtPoint(const QPoint& point, int& row, int& column) const override
    {
        const int gridRow = m_view->gridRowAt(point);
        row = gridRow - 1;
        column = 0;
        return gridRow >= 0;
    }
    int currentRow() const override { return m_view->currentRow() - 1; }
    int currentColumn() const override { return 0; }
    bool isRowSelected(int row) const override { return row >= 0 && row + 1 == m_view->currentRow(); }
    bool selectRow(int row) override
    {
        if (row < 0 || row >= rowCount())
            return false;
        m_view->setCurrentRow(row + 1);
        m_view->ensureRowVisible(row + 1);
        m_view->announceCurrent();
        return true;
    }

private:
    RecordColumnView* m_view;
};

QAccessibleInterface* recordColumnFactory(const QString&, QObject* object)
{
    if (auto* view = qobject_cast<RecordColumnView*>(object))
        return new RecordColumnAccessible(view);
    return nullptr;
}

} // namespace

RecordColumnView::RecordColumnView(RecordListModel* model, int column, QWidget* parent)
    : QFrame(parent), m_model(model), m_column(column), m_bar(new QScrollBar(Qt::Vertical, this)),
      m_rowHeight(fontMetrics().height() + 4)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    static const bool accessible = [] {
        QAccessible::installFactory(recordColumnFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    m_bar->setSingleStep(1);
    m_bar->hide();
    connect(m_bar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        updateRange();
        announceModelChange(QAccessibleTableModelChangeEvent::RowsInserted, first, last);
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
        updateRange();
        announceModelChange(QAccessibleTableModelChangeEvent::RowsRemoved, first, last);
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        const bool hadRow = m_currentRow != 0;
        m_currentRow = 0;
        updateRange();
        announceModelChange(QAccessibleTableModelChangeEvent::ModelReset, -1, -1);
        if (hadRow)
            emit currentRowChanged(0);
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
    emit currentRowChanged(row);
}

void RecordColumnView::ensureRowVisible(int row)
{
    const int first = m_bar->value() + 1;
    const int page = visibleRecordRows();
    if (row < first)
        m_bar->setValue(row - 1);
    else if (row >= first + page)
        m_bar->setValue(row - page);
}

QRect RecordColumnView::gridRowRect(int row) const
{
    const QRect area = cellArea();
    int index = 0; // rows below the top of the cell area
    if (row != 0) {
        index = row - m_bar->value();
        if (row < 1 || row > m_model->recordCount() || index < 1 || index > visibleRecordRows())
            return {};
    }
    return QRect(area.left(), area.top() + index * m_rowHeight, area.width(), m_rowHeight).intersected(area);
}

int RecordColumnView::gridRowAt(const QPoint& point) const
{
    const QRect area = cellArea();
    if (!area.contains(point))
        return -1;
    const int index = (point.y() - area.top()) / m_rowHeight;
    if (index == 0)
        return 0;
    const int row = m_bar->value() + index;
    return row <= m_model->recordCount() ? row : -1;
}

void RecordColumnView::announceCurrent()
{
    // Only a focused grid speaks: the three grids move together, and the reader follows focus.
    if (!QAccessible::isActive() || !hasFocus() || m_currentRow < 1)
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(this);
    auto* table = dynamic_cast<GridAccessible*>(iface);
    if (!table)
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(table->childIndex(m_currentRow - 1, 0));
    QAccessible::updateAccessibility(&focus);
}

void RecordColumnView::announceModelChange(int change, int first, int last)
{
    // Nothing at all while no reader listens: the panel appends a row every second.
    if (!QAccessible::isActive())
        return;
    QAccessibleTableModelChangeEvent event(
        this, static_cast<QAccessibleTableModelChangeEvent::ModelChangeType>(change));
    event.setFirstRow(first);
    event.setLastRow(last);
    QAccessible::updateAccessibility(&event);
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
        if (selected && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = cell.adjusted(1, 1, -1, -1);
            focus.backgroundColor = pal.color(QPalette::Highlight);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

void RecordColumnView::mousePressEvent(QMouseEvent* event)
{
    if (const int row = gridRowAt(event->position().toPoint()); row >= 1) {
        setCurrentRow(row);
        announceCurrent();
        emit rowClicked(row);
    }
    QFrame::mousePressEvent(event);
}

void RecordColumnView::wheelEvent(QWheelEvent* event)
{
    // The bar scrolls the same whether it is shown or not.
    QCoreApplication::sendEvent(m_bar, event);
}

void RecordColumnView::moveCurrentBy(int rows)
{
    const int records = m_model->recordCount();
    if (records == 0)
        return;
    // Without a selected row, an arrow selects the top row in view and the other keys go from it.
    const int top = m_bar->value() + 1;
    const int target = m_currentRow > 0 ? m_currentRow + rows : top + (std::abs(rows) > 1 ? rows : 0);
    const int row = std::clamp(target, 1, records);
    setCurrentRow(row);
    ensureRowVisible(row);
    // Told here rather than on every change: the panel selects each new row as it arrives, and a
    // reader that spoke every second would drown out everything else.
    announceCurrent();
}

void RecordColumnView::keyPressEvent(QKeyEvent* event)
{
    const int page = visibleRecordRows();
    const int records = m_model->recordCount();
    switch (event->key()) {
    case Qt::Key_Up:
        moveCurrentBy(-1);
        break;
    case Qt::Key_Down:
        moveCurrentBy(1);
        break;
    case Qt::Key_PageUp:
        moveCurrentBy(-page);
        break;
    case Qt::Key_PageDown:
        moveCurrentBy(page);
        break;
    case Qt::Key_Home:
        moveCurrentBy(-records);
        break;
    case Qt::Key_End:
        moveCurrentBy(records);
        break;
    default:
        QFrame::keyPressEvent(event);
        return;
    }
}

void RecordColumnView::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
    announceCurrent();
}

void RecordColumnView::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    update();
}

} // namespace slm
