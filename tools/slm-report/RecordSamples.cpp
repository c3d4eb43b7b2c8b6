#include "RecordSamples.h"

#include <QDir>
#include <algorithm>
#include <cstring>

namespace slm
{

bool RecordSampleReader::readHeader()
{
    if (!m_reader.readHeader())
        return false;
    m_headerInterval = m_reader.header().interval();
    return true;
}

bool RecordSampleReader::next(RecordSample& sample)
{
    QByteArrayView fields[3];
    if (!m_reader.nextRecord(fields))
        return false;
    const QByteArrayView t = fields[1];
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (m_hourBase != RecordSample::NoTime && t.size() == 19 && std::memcmp(t.data(), m_hourText, 13) == 0 &&
        t[13] == ':' && t[16] == ':' && digit(t[14]) && digit(t[15]) && digit(t[17]) && digit(t[18]) &&
        t[14] <= '5' && t[17] <= '5') {
        sample = parseRecordSample({}, fields[2]);
        sample.time =
            m_hourBase + ((t[14] - '0') * 10 + (t[15] - '0')) * 60 + (t[17] - '0') * 10 + (t[18] - '0');
    } else {
        sample = parseRecordSample(t, fields[2]);
        const std::int64_t time = sample.time;
        m_hourBase = time == RecordSample::NoTime ? time : time - time % 3600;
        if (m_hourBase != RecordSample::NoTime && time < 0)
            m_hourBase = RecordSample::NoTime; // before 1970: left to the general reader
        if (m_hourBase != RecordSample::NoTime)
            std::memcpy(m_hourText, t.data(), 13);
    }
    if (!m_headerInterval)
        m_steps.add(t);
    return true;
}

std::optional<double> RecordSampleReader::interval() const
{
    return m_headerInterval ? m_headerInterval : m_steps.mostCommonStep();
}

namespace
{

QString cannotOpenText(const QString& path, const QString& why)
{
    return QStringLiteral("%1: cannot open the file: %2").arg(QDir::toNativeSeparators(path), why);
}

QString readErrorText(const QString& path, const QString& error)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), error);
}

// A digest of the records as parsed: a later pass that reads other records gives another one.
std::uint64_t digestOf(std::uint64_t digest, const RecordSample& s)
{
    std::uint32_t valueBits = 0;
    std::memcpy(&valueBits, &s.value, sizeof valueBits);
    const std::uint64_t words[2] = {std::uint64_t(s.time), (std::uint64_t(valueBits) << 32) |
                                                               (std::uint64_t(std::uint16_t(s.tenths)) << 8) |
                                                               std::uint64_t(s.kind)};
    for (std::uint64_t w : words) {
        digest ^= w;
        digest *= 0x100000001b3ULL;
        digest ^= digest >> 29;
    }
    return digest;
}

} // namespace

RecordSamplesOfFile readRecordSamplesOfFile(const QByteArray& encodedPath)
{
    RecordSamplesOfFile r;
    const QString path = QFile::decodeName(encodedPath);
    QString openError;
    const std::unique_ptr<QFile> in = openRecordInput(encodedPath, openError);
    if (!in) {
        r.error = cannotOpenText(path, openError);
        return r;
    }
    RecordSampleReader reader(*in);
    if (reader.readHeader()) {
        // About 28 bytes a record line: one allocation for the usual file (a pipe has no size),
        // asked for only once the header says it is a record file, and bounded all the same.
        constexpr qint64 MostReserved = qint64(1) << 22;
        r.samples.reserve(size_t(std::clamp<qint64>(in->size() / 28 + 16, 0, MostReserved)));
        r.kind = reader.reader().kind();
        r.header = reader.reader().headerLines();
        RecordSample sample;
        while (reader.next(sample))
            r.samples.push_back(sample);
    }
    if (!reader.reader().error().isEmpty())
        r.error = readErrorText(path, reader.reader().error());
    r.interval = reader.interval();
    return r;
}

RecordFilePasses::RecordFilePasses(const QByteArray& encodedPath) : m_path(QFile::decodeName(encodedPath))
{
    QString openError;
    m_in = openRecordInput(encodedPath, openError);
    if (!m_in) {
        m_error = cannotOpenText(m_path, openError);
        return;
    }
    m_reader = std::make_unique<RecordSampleReader>(*m_in);
    m_hasHeader = m_reader->readHeader();
    if (m_hasHeader) {
        m_kind = m_reader->reader().kind();
        m_header = m_reader->reader().headerLines();
        m_headerInterval = m_reader->reader().header().interval();
    }
    m_interval = m_headerInterval;
}

RecordFilePasses::~RecordFilePasses() = default;

void RecordFilePasses::fail(const QString& fault)
{
    if (m_error.isEmpty())
        m_error = readErrorText(m_path, fault);
}

bool RecordFilePasses::first(const Visitor& visit)
{
    if (!m_reader)
        return false;
    if (!m_reader->reader().error().isEmpty()) {
        fail(m_reader->reader().error());
        return false;
    }
    if (!m_hasHeader)
        return true;
    const bool hold = m_in->isSequential();
    RecordSample s;
    while (m_reader->next(s)) {
        ++m_records;
        m_digest = digestOf(m_digest, s);
        if (hold)
            m_held.push_back(s);
        if (!visit(s))
            return false;
    }
    m_interval = m_reader->interval();
    if (!m_reader->reader().error().isEmpty()) {
        fail(m_reader->reader().error());
        return false;
    }
    return true;
}

bool RecordFilePasses::again(const Visitor& visit)
{
    if (!m_error.isEmpty())
        return false;
    if (!m_hasHeader)
        return true;
    if (!m_in->isSequential()) {
        const auto changed = [this] {
            fail(QStringLiteral("the file changed while it was read; its tables may not agree with its "
                                "figures."));
            return false;
        };
        if (!m_in->seek(0))
            return changed();
        RecordSampleReader reader(*m_in);
        if (!reader.readHeader() || reader.reader().headerLines() != m_header)
            return changed();
        std::uint64_t digest = 0;
        RecordSample s;
        for (std::int64_t n = 0; n < m_records; ++n) {
            if (!reader.next(s))
                return changed();
            digest = digestOf(digest, s);
            if (!visit(s))
                return false;
        }
        return digest == m_digest || changed();
    }
    for (const RecordSample& s : m_held) {
        if (!visit(s))
            return false;
    }
    return true;
}

} // namespace slm
