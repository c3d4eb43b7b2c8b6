#pragma once

#include "measurement/RecordFileFormat.h"
#include "measurement/RecordRow.h"
#include "measurement/Sample.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace slm
{

// Where a measurement's records came from.
struct MeasurementOrigin {
    enum class Kind { None, File, LoggedSet, PanelList };
    Kind kind = Kind::None;
    QString where; // the file's path, or the set's or list's name
};

// One measurement: its header as the file says it, where it came from, and its records. Each
// record keeps its three texts (number, date-time, level) exactly as read, and the sample parsed
// from them once, when it was stored, so the figures, Ln and the plot never read a text again.
//
// Records are addressed from 0. The texts are packed in fixed-size blocks of UTF-8 bytes with a
// short length prefix per cell, indexed by one 32-bit offset per record, and appending never moves
// what is stored. A number that is the record's position and a date-time in the one format are not
// stored but told from the record when read: a record of a file the program wrote costs about 30
// bytes with its sample. The texts of one measurement may take up to 4 GiB.
//
// Records come in two ways: append() lists one at once; stageLatin1() stores one that is listed
// with the others staged at the next commitStaged(), so a long file wakes its views a few times
// rather than once per record. Staged records are not yet counted, read or shown.
class Measurement : public QObject
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 3;

    explicit Measurement(QObject* parent = nullptr);
    ~Measurement() override;

    const RecordHeader& header() const { return m_header; }
    void setHeader(const RecordHeader& header);
    const MeasurementOrigin& origin() const { return m_origin; }
    void setOrigin(MeasurementOrigin origin) { m_origin = std::move(origin); }

    int recordCount() const { return m_listed; }
    // The UTF-8 bytes of a record's cell, read in place: valid until the measurement is cleared,
    // or, for a number or a date-time the measurement tells from the record rather than keeps,
    // until the next textBytes() of the same column. Empty out of range.
    QByteArrayView textBytes(int index, int column) const;
    QString text(int index, int column) const;
    RecordRow record(int index) const;

    // The parsed records, one per listed record, side by side in memory.
    std::span<const RecordSample> samples() const { return {m_samples.data(), std::size_t(m_listed)}; }
    const RecordSample& sample(int index) const { return m_samples[std::size_t(index)]; }

    void append(const QString& number, const QString& dateTime, const QString& level);
    void append(const RecordRow& row) { append(row.number, row.dateTime, row.level); }
    // The cells come as Latin-1 bytes, as a record file holds them.
    void stageLatin1(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level);
    int stagedCount() const { return int(m_offsets.size()) - m_listed; }
    void commitStaged();
    // Every record goes (the header and the origin stay).
    void clear();
    // Room for about `records` records, when the count is known beforehand (a file's size).
    void reserve(qsizetype records);

    // Seconds between records: the header's interval, else the most common step of the record
    // times (nothing when neither gives one).
    std::optional<double> interval() const;

signals:
    void recordsAppended(int first, int count);
    void aboutToClear();
    void cleared();
    void headerChanged();

private:
    static constexpr qsizetype BlockBytes = 64 * 1024;

    const char* rowBytes(int index) const;
    void store(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level);
    char* allocate(qsizetype bytes);

    RecordHeader m_header;
    MeasurementOrigin m_origin;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    // The block start of each BlockBytes slot of the offset space: a row longer than one block
    // takes a block of several slots.
    std::vector<char*> m_slots;
    qsizetype m_slotUsed = BlockBytes;            // bytes used in the last slot; full before the first
    std::vector<std::uint32_t> m_offsets;         // slot * BlockBytes + offset, stored records
    std::vector<RecordSample> m_samples;          // stored records
    int m_listed = 0;                             // stored and announced
    mutable char m_scratch[ColumnCount][20] = {}; // the cells told from their record
};

} // namespace slm
