#include "measurement/RecordListModel.h"

#include <cstring>

namespace slm
{

namespace
{

// A cell length below 255 takes one byte; a longer one 255 and four bytes.
constexpr unsigned char LongLength = 255;

qsizetype lengthPrefixSize(qsizetype length)
{
    return length < LongLength ? 1 : 5;
}

char* putLength(char* dst, qsizetype length)
{
    if (length < LongLength) {
        *dst = static_cast<char>(length);
        return dst + 1;
    }
    *dst++ = static_cast<char>(LongLength);
    const auto n = static_cast<std::uint32_t>(length);
    std::memcpy(dst, &n, sizeof n);
    return dst + sizeof n;
}

const char* getLength(const char* src, qsizetype& length)
{
    const auto first = static_cast<unsigned char>(*src);
    if (first < LongLength) {
        length = first;
        return src + 1;
    }
    std::uint32_t n = 0;
    std::memcpy(&n, src + 1, sizeof n);
    length = n;
    return src + 1 + sizeof n;
}

} // namespace

RecordListModel::RecordListModel(QObject* parent) : QAbstractTableModel(parent) {}

RecordListModel::~RecordListModel() = default;

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
    if (column < 0 || column >= ColumnCount || row < 1 || row > recordCount())
        return {};
    const char* p = rowBytes(row - 1);
    qsizetype length = 0;
    for (int c = 0;; ++c) {
        p = getLength(p, length);
        if (c == column)
            return QByteArrayView(p, length);
        p += length;
    }
}

QString RecordListModel::text(int row, int column) const
{
    if (column < 0 || column >= ColumnCount || row < 0 || row > recordCount())
        return {};
    if (row == 0)
        return title(column);
    const char* p = rowBytes(row - 1);
    qsizetype length = 0;
    for (int c = 0;; ++c) {
        p = getLength(p, length);
        if (c == column)
            return QString::fromUtf8(p, length);
        p += length;
    }
}

RecordRow RecordListModel::record(int row) const
{
    return RecordRow{text(row, 0), text(row, 1), text(row, 2)};
}

void RecordListModel::append(const RecordRow& row)
{
    append(row.number, row.dateTime, row.level);
}

void RecordListModel::append(const QString& number, const QString& dateTime, const QString& level)
{
    const std::uint64_t where = store({number.toUtf8(), dateTime.toUtf8(), level.toUtf8()});
    const int qtRow = recordCount();
    beginInsertRows(QModelIndex(), qtRow, qtRow);
    m_rows.push_back(where);
    endInsertRows();
}

void RecordListModel::stageLatin1(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level)
{
    // Plain ASCII, as the program writes, is already UTF-8; anything above it is converted.
    auto utf8 = [](QByteArrayView latin1) {
        for (const char c : latin1)
            if (static_cast<unsigned char>(c) >= 0x80)
                return QString::fromLatin1(latin1).toUtf8();
        return QByteArray::fromRawData(latin1.data(), latin1.size());
    };
    m_staged.push_back(store({utf8(number), utf8(dateTime), utf8(level)}));
}

void RecordListModel::commitStaged()
{
    if (m_staged.empty())
        return;
    const int first = recordCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(m_staged.size()) - 1);
    m_rows.insert(m_rows.end(), m_staged.begin(), m_staged.end());
    m_staged.clear();
    endInsertRows();
}

std::uint64_t RecordListModel::store(const QByteArray (&cells)[ColumnCount])
{
    qsizetype bytes = 0;
    for (const QByteArray& cell : cells)
        bytes += lengthPrefixSize(cell.size()) + cell.size();

    std::uint64_t where = 0;
    char* dst = allocate(bytes, where);
    for (const QByteArray& cell : cells) {
        dst = putLength(dst, cell.size());
        std::memcpy(dst, cell.constData(), cell.size());
        dst += cell.size();
    }
    return where;
}

void RecordListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_staged.clear();
    m_blocks.clear();
    m_blockUsed = BlockBytes;
    m_blockSize = 0;
    endResetModel();
}

const char* RecordListModel::rowBytes(int recordIndex) const
{
    const std::uint64_t where = m_rows[static_cast<std::size_t>(recordIndex)];
    return m_blocks[where >> 32].get() + (where & 0xffffffffu);
}

char* RecordListModel::allocate(qsizetype bytes, std::uint64_t& where)
{
    if (m_blockUsed + bytes > m_blockSize) {
        m_blockSize = std::max<qsizetype>(BlockBytes, bytes);
        m_blocks.push_back(std::make_unique<char[]>(static_cast<std::size_t>(m_blockSize)));
        m_blockUsed = 0;
    }
    where = (static_cast<std::uint64_t>(m_blocks.size() - 1) << 32) | static_cast<std::uint64_t>(m_blockUsed);
    char* dst = m_blocks.back().get() + m_blockUsed;
    m_blockUsed += bytes;
    return dst;
}

int RecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : recordCount();
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
