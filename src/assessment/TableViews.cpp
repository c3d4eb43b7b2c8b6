#include "assessment/TableViews.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace slm
{

QTableView* makeTableView(QAbstractItemModel* model, const QString& accessibleName, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setObjectName(accessibleName);
    view->setAccessibleName(accessibleName);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table; the arrows move within it.
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The widths from the first rows: measuring thousands of events at every result would cost
    // more than the assessment itself.
    view->horizontalHeader()->setResizeContentsPrecision(40);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

QLabel* makeCaption(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::TabFocus);
    return label;
}

} // namespace slm
