#pragma once

#include "measurement/RecordRow.h"

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <memory>

namespace slm
{

class Measurement;

// The records of a Measurement as the list views show them: number, date-time and level texts.
//
// Two ways to address it:
// - grid rows, as the program talks about its lists: row 0 is the title row ("No.s",
//   "Date Time", "dB"), rows 1..recordCount() are the records; rows() counts the title row.
// - Qt rows, for the views: rowCount() is recordCount(), Qt row r is grid row r + 1, and the
//   title row is the horizontal header.
//
// The model shows a measurement it does not own and follows its signals: appended records become
// one row insertion, a clearing a reset. The filling calls (append, stageLatin1, commitStaged,
// clear) go to the measurement. A model made without one owns a private, empty measurement, so
// the lists that are still filled through their model (the panel's list, tests) keep working.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 3;

    // With a measurement of its own.
    explicit RecordListModel(QObject* parent = nullptr);
    // Showing `measurement`, which must outlive the model.
    explicit RecordListModel(Measurement& measurement, QObject* parent = nullptr);
    ~RecordListModel() override;

    Measurement& measurement() const { return *m_measurement; }

    static QString title(int column);

    int recordCount() const { return m_shown; }
    int rows() const { return recordCount() + 1; }
    // Grid addressing; row 0 gives the titles. Out of range gives "".
    QString text(int row, int column) const;
    // The UTF-8 bytes of a record's cell (row 1..recordCount()), read in place: for passes over
    // a whole list that would otherwise make a QString per row. Valid until the list changes or
    // the next textBytes() of the same column (Measurement::textBytes); empty out of range.
    QByteArrayView textBytes(int row, int column) const;
    // Record i, 1-based like the grid rows.
    RecordRow record(int row) const;

    void append(const RecordRow& row);
    void append(const QString& number, const QString& dateTime, const QString& level);
    // Rows stored but not yet in the list: commitStaged() adds them all as one insertion. The
    // cells come as Latin-1 bytes, as a record file holds them.
    void stageLatin1(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level);
    int stagedCount() const;
    void commitStaged();
    // Back to the title row only.
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void follow();

    std::unique_ptr<Measurement> m_own; // only for a model made without a measurement
    Measurement* m_measurement;
    int m_shown = 0;
};

} // namespace slm
