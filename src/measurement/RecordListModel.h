#pragma once

#include "measurement/RecordRow.h"

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace slm
{

// The rows of a record list (panel, data list, file views): number, date-time and level texts.
//
// Two ways to address it:
// - grid rows, as the program talks about its lists: row 0 is the title row ("No.s",
//   "Date Time", "dB"), rows 1..recordCount() are the records; rows() counts the title row.
// - Qt rows, for the views: rowCount() is recordCount(), Qt row r is grid row r + 1, and the
//   title row is the horizontal header.
//
// The texts are kept packed in fixed-size blocks of UTF-8 bytes with a short length prefix per
// cell, so a row costs a few dozen bytes and appending never moves what is already stored: the
// 348000th row costs what the first one did.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 3;

    explicit RecordListModel(QObject* parent = nullptr);
    ~RecordListModel() override;

    static QString title(int column);

    int recordCount() const { return static_cast<int>(m_rows.size()); }
    int rows() const { return recordCount() + 1; }
    // Grid addressing; row 0 gives the titles. Out of range gives "".
    QString text(int row, int column) const;
    // The UTF-8 bytes of a record's cell (row 1..recordCount()), read in place: for passes over
    // a whole list that would otherwise make a QString per row. Valid until the list changes;
    // empty out of range.
    QByteArrayView textBytes(int row, int column) const;
    // Record i, 1-based like the grid rows.
    RecordRow record(int row) const;

    void append(const RecordRow& row);
    void append(const QString& number, const QString& dateTime, const QString& level);
    // Rows stored but not yet in the list: commitStaged() adds them all as one insertion, so a
    // file of a few hundred thousand records wakes the views a few times rather than once per row.
    // The cells come as Latin-1 bytes, as a record file holds them.
    void stageLatin1(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level);
    int stagedCount() const { return static_cast<int>(m_staged.size()); }
    void commitStaged();
    // Back to the title row only.
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    static constexpr int BlockBytes = 64 * 1024;

    const char* rowBytes(int recordIndex) const;
    // Copies the three cells (UTF-8) into the blocks; where they went.
    std::uint64_t store(const QByteArray (&cells)[ColumnCount]);
    char* allocate(qsizetype bytes, std::uint64_t& where);

    std::vector<std::unique_ptr<char[]>> m_blocks;
    qsizetype m_blockUsed = BlockBytes;  // bytes used in the last block; full before the first
    qsizetype m_blockSize = 0;           // size of the last block (larger for an oversized row)
    std::deque<std::uint64_t> m_rows;    // block index << 32 | offset of each record
    std::vector<std::uint64_t> m_staged; // stored, not yet listed
};

} // namespace slm
