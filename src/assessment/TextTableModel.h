#pragma once

#include "measurement/AssessmentTables.h"

#include <QAbstractTableModel>

namespace slm
{

// One of the assessment's text tables as a table view shows it: the same columns, rows and
// alignment the report prints.
class TextTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // A table of the same columns and rows count only tells its cells changed, so a view keeps
    // its place and selection.
    void setTable(TextTable table);
    const TextTable& table() const { return m_table; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TextTable m_table;
};

} // namespace slm
