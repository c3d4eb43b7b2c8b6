#include "measurement/Measurement.h"

#include "measurement/LevelFigures.h"

#include <cstring>
#include <stdexcept>

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

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

Measurement::Measurement(QObject* parent) : QObject(parent) {}

Measurement::~Measurement() = default;

void Measurement::setHeader(const RecordHeader& header)
{
    m_header = header;
    emit headerChanged();
}

QByteArrayView Measurement::textBytes(int index, int column) const
{
    if (column < 0 || column >= ColumnCount || index < 0 || index >= m_listed)
        return {};
    const char* p = rowBytes(index);
    qsizetype length = 0;
    for (int c = 0;; ++c) {
        p = getLength(p, length);
        if (c == column)
            return QByteArrayView(p, length);
        p += length;
    }
}

QString Measurement::text(int index, int column) const
{
    return QString::fromUtf8(textBytes(index, column));
}

RecordRow Measurement::record(int index) const
{
    return RecordRow{text(index, 0), text(index, 1), text(index, 2)};
}

void Measurement::append(const QString& number, const QString& dateTime, const QString& level)
{
    store(number.toUtf8(), dateTime.toUtf8(), level.toUtf8());
    commitStaged();
}

void Measurement::stageLatin1(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level)
{
    // Plain ASCII, as the program writes, is already UTF-8; anything above it is converted.
    if (isAscii(number) && isAscii(dateTime) && isAscii(level)) {
        store(number, dateTime, level);
        return;
    }
    store(QString::fromLatin1(number).toUtf8(), QString::fromLatin1(dateTime).toUtf8(),
          QString::fromLatin1(level).toUtf8());
}

void Measurement::commitStaged()
{
    const int staged = stagedCount();
    if (staged == 0)
        return;
    const int first = m_listed;
    m_listed += staged;
    emit recordsAppended(first, staged);
}

void Measurement::clear()
{
    emit aboutToClear();
    // The memory goes back too: a cleared list of 348000 records holds none of it.
    m_offsets = std::vector<std::uint32_t>();
    m_samples = std::vector<RecordSample>();
    m_slots = std::vector<char*>();
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_slotUsed = BlockBytes;
    m_listed = 0;
    emit cleared();
}

void Measurement::reserve(qsizetype records)
{
    m_offsets.reserve(std::size_t(records));
    m_samples.reserve(std::size_t(records));
}

std::optional<double> Measurement::interval() const
{
    if (const std::optional<double> given = m_header.interval())
        return given;
    StepCounter steps;
    for (const RecordSample& s : samples())
        steps.add(s.hasTime() ? std::optional<std::int64_t>(s.time) : std::nullopt);
    return steps.mostCommonStep();
}

const char* Measurement::rowBytes(int index) const
{
    const std::uint32_t where = m_offsets[std::size_t(index)];
    return m_slots[where / BlockBytes] + where % BlockBytes;
}

void Measurement::store(QByteArrayView number, QByteArrayView dateTime, QByteArrayView level)
{
    const QByteArrayView cells[ColumnCount] = {number, dateTime, level};
    qsizetype bytes = 0;
    for (const QByteArrayView cell : cells)
        bytes += lengthPrefixSize(cell.size()) + cell.size();
    char* dst = allocate(bytes);
    for (const QByteArrayView cell : cells) {
        dst = putLength(dst, cell.size());
        std::memcpy(dst, cell.data(), std::size_t(cell.size()));
        dst += cell.size();
    }
    m_samples.push_back(parseRecordSample(dateTime, level));
}

char* Measurement::allocate(qsizetype bytes)
{
    if (m_slotUsed + bytes > BlockBytes) {
        // A new block: one slot, or as many as an oversized row needs.
        const qsizetype span = (bytes + BlockBytes - 1) / BlockBytes;
        if ((m_slots.size() + std::size_t(span)) * std::size_t(BlockBytes) > 0x100000000ull)
            throw std::length_error("a measurement's record texts are limited to 4 GiB");
        m_blocks.push_back(std::make_unique<char[]>(std::size_t(span * BlockBytes)));
        m_offsets.push_back(std::uint32_t(m_slots.size() * std::size_t(BlockBytes)));
        for (qsizetype k = 0; k < span; ++k)
            m_slots.push_back(m_blocks.back().get() + k * BlockBytes);
        // An oversized row fills its block; the next row starts a new one.
        m_slotUsed = span == 1 ? bytes : BlockBytes;
        return m_blocks.back().get();
    }
    m_offsets.push_back(std::uint32_t((m_slots.size() - 1) * std::size_t(BlockBytes) + std::size_t(m_slotUsed)));
    char* dst = m_slots.back() + m_slotUsed;
    m_slotUsed += bytes;
    return dst;
}

} // namespace slm
