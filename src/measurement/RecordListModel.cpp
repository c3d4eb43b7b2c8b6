#include "measurement/RecordListModel.h"

#include "measurement/Measurement.h"

namespace slm
{

RecordListModel::RecordListModel(QObject* parent)
    : QAbstractTableModel(parent), m_own(std::make_unique<Measurement>()), m_measurement(m_own.get())
{
    follow();
}

RecordListModel::RecordListModel(Measurement& measurement, QObject* parent)
    : QAbstractTableModel(parent), m_measurement(&measurement), m_shown(measurement.recordCount())
{
    follow();
}

RecordListModel::~RecordListModel() = default;

void RecordListModel::follow()
{
    connect(m_measurement, &Measurement::recordsAppended, this, [this](int, int count) {
        beginInsertRows(QModelIndex(), m_shown, m_shown + count - 1);
        m_shown += count;
        endInsertRows();
    });
    connect(m_measurement, &Measurement::aboutToClear, this, [this] { beginResetModel(); });
    connect(m_measurement, &Measurement::cleared, this, [this] {
        m_shown = 0;
        endResetModel();
    });
}

QString RecordListModel::title(int column)
{
    switch (column) {
    case 0:
        return QStringLiteral("No.s");
    case 1:
        return QStringLiteral("Date Time");
    case 2:
        return QStringLiteral("dB");
    }
    return {};
}

QByteArrayView RecordListModel::textBytes(int row, int column) const
{
    if (row < 1 || row > m_shown)
        return {};
    return m_measurement->textBytes(row - 1, column);
}

QString RecordListModel::text(int row, int column) const
{
    if (column < 0 || column >= ColumnCount || row < 0 || row > m_shown)
        return {};
    if (row == 0)
        return title(column);
    return m_measurement->text(row - 1, column);
}

RecordRow RecordListModel::record(int row) const
{
    return RecordRow{text(row, 0), text(row, 1), text(row, 2)};
}

void RecordListModel::append(const RecordRow& row)
{
    m_measurement->append(row);
}

void RecordListModel::append(const QString& number, const QString& dateTime, const QString& level)
{
    m_measurement->append(number, dateTime, level);
}

void RecordListModel::stageLatin1(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level)
{
    m_measurement->stageLatin1(number, dateTime, level);
}

int RecordListModel::stagedCount() const
{
    return m_measurement->stagedCount();
}

void RecordListModel::commitStaged()
{
    m_measurement->commitStaged();
}

void RecordListModel::clear()
{
    m_measurement->clear();
}

int RecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int RecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return text(index.row() + 1, index.column());
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return title(section);
    return section + 1;
}

} // namespace slm
