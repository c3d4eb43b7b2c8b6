#pragma once

#include <QString>

class QAbstractItemModel;
class QLabel;
class QTableView;
class QWidget;

namespace slm
{

// A read-only table of whole rows, named for a screen reader, its columns as wide as their first
// rows; Tab leaves it.
QTableView* makeTableView(QAbstractItemModel* model, const QString& accessibleName, QWidget* parent);
// A caption above a table: wrapped, selectable and reachable by keyboard.
QLabel* makeCaption(QWidget* parent, const QString& name);

} // namespace slm
