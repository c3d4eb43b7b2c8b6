#include "measurement/Measurement.h"

#include "measurement/LevelFigures.h"

#include <cstring>
#include <stdexcept>

namespace slm
{

namespace
{

// A cell length below 253 takes one byte; a longer one 255 and four bytes. The two left stand for
// a cell that is not stored because it can be told from the record: 253 a number that is the
// record's position counted from 1 ("1", "2", ...), 254 a date-time that is the sample's time in
// the one format ("yyyy/mm/dd hh:nn:ss"). Files the program writes are all of that kind, and a
// record of them keeps some 30 of its 33 bytes out of memory so.
constexpr unsigned char LongLength = 255;
constexpr unsigned char SampleTime = 254;
constexpr unsigned char Position = 253;

qsizetype lengthPrefixSize(qsizetype length)
{
    return length < Position ? 1 : 5;
}

char* putLength(char* dst, qsizetype length)
{
    if (length < Position) {
        *dst = static_cast<char>(length);
        return dst + 1;
    }
    *dst++ = static_cast<char>(LongLength);
    const auto n = static_cast<std::uint32_t>(length);
    std::memcpy(dst, &n, sizeof n);
    return dst + sizeof n;
}

// The length of a stored cell; -1 (and no bytes) for a cell told from the record, whose mark is
// in `mark`.
const char* getLength(const char* src, qsizetype& length, unsigned char& mark)
{
    const auto first = static_cast<unsigned char>(*src);
    mark = 0;
    if (first < Position) {
        length = first;
        return src + 1;
    }
    if (first != LongLength) {
        mark = first;
        length = 0;
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

// "yyyy/mm/dd hh:nn:ss" of calendar seconds (the inverse of civilSeconds) into `out`; false for a
// year outside 0..9999.
bool formatCivil(std::int64_t civil, char (&out)[20])
{
    std::int64_t days = civil >= 0 ? civil / 86400 : (civil - 86399) / 86400;
    const int second = int(civil - days * 86400);
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    if (y < 0 || y > 9999)
        return false;
    const auto two = [&out](int at, int v) {
        out[at] = char('0' + v / 10);
        out[at + 1] = char('0' + v % 10);
    };
    two(0, int(y / 100));
    two(2, int(y % 100));
    out[4] = '/';
    two(5, m);
    out[7] = '/';
    two(8, d);
    out[10] = ' ';
    two(11, second / 3600);
    out[13] = ':';
    two(14, second / 60 % 60);
    out[16] = ':';
    two(17, second % 60);
    out[19] = 0;
    return true;
}

// The decimal digits of v >= 0 into `out`; their count.
int decimal(int v, char* out)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v > 0);
    for (int i = 0; i < n; ++i)
        out[i] = digits[n - 1 - i];
    return n;
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
    unsigned char mark = 0;
    for (int c = 0;; ++c) {
        p = getLength(p, length, mark);
        if (c == column)
            break;
        p += length;
    }
    if (mark == 0)
        return QByteArrayView(p, length);
    char(&scratch)[20] = m_scratch[column];
    if (mark == Position) {
        return QByteArrayView(scratch, decimal(index + 1, scratch));
    }
    formatCivil(m_samples[std::size_t(index)].time, scratch);
    return QByteArrayView(scratch, 19);
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
    const RecordSample sample = parseRecordSample(dateTime, level);
    const QByteArrayView cells[ColumnCount] = {number, dateTime, level};
    unsigned char marks[ColumnCount] = {0, 0, 0};
    char position[16];
    const int n = decimal(int(m_offsets.size()) + 1, position);
    if (number == QByteArrayView(position, n))
        marks[0] = Position;
    char civil[20];
    if (sample.hasTime() && formatCivil(sample.time, civil) && dateTime == QByteArrayView(civil, 19))
        marks[1] = SampleTime;
    qsizetype bytes = 0;
    for (int c = 0; c < ColumnCount; ++c)
        bytes += marks[c] ? 1 : lengthPrefixSize(cells[c].size()) + cells[c].size();
    char* dst = allocate(bytes);
    for (int c = 0; c < ColumnCount; ++c) {
        if (marks[c]) {
            *dst++ = char(marks[c]);
            continue;
        }
        dst = putLength(dst, cells[c].size());
        if (!cells[c].isEmpty()) // an empty cell may have no data at all
            std::memcpy(dst, cells[c].data(), std::size_t(cells[c].size()));
        dst += cells[c].size();
    }
    m_samples.push_back(sample);
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
    m_offsets.push_back(
        std::uint32_t((m_slots.size() - 1) * std::size_t(BlockBytes) + std::size_t(m_slotUsed)));
    char* dst = m_slots.back() + m_slotUsed;
    m_slotUsed += bytes;
    return dst;
}

} // namespace slm
