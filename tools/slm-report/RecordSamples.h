#pragma once

#include "measurement/LevelFigures.h"
#include "measurement/MeasurementReader.h"
#include "measurement/Sample.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A record file's records as parsed samples, for the assessments: read a pass at a time, so a
// file of millions of records is never held, or held whole where the report needs every record at
// once (the PDF).

namespace slm
{

// The records of an open file one at a time, the header read first.
class RecordSampleReader
{
public:
    explicit RecordSampleReader(QIODevice& in) : m_reader(in) {}
    // False for an empty file or a fault in the header (reader().error() says which).
    bool readHeader();
    // The next record; false at the end or at a fault.
    bool next(RecordSample& sample);
    const MeasurementReader& reader() const { return m_reader; }
    // The header's interval, or once the records are read the most common step of their times.
    std::optional<double> interval() const;

private:
    MeasurementReader m_reader;
    std::optional<double> m_headerInterval;
    StepCounter m_steps;
    // Records of one hour share "yyyy/mm/dd hh": the calendar is worked out once per hour.
    char m_hourText[13] = {};
    std::int64_t m_hourBase = RecordSample::NoTime;
};

// One file's records as parsed samples, with its header and interval, read in one pass (one
// parsed sample per record; the texts are not kept).
struct RecordSamplesOfFile {
    RecordFileKind kind = RecordFileKind::List;
    QStringList header;
    std::vector<RecordSample> samples;
    std::optional<double> interval;
    QString error;
};
RecordSamplesOfFile readRecordSamplesOfFile(const QByteArray& encodedPath);

// One file read a pass at a time: the first pass reads the header and every record, each later
// pass the same records again. A pipe cannot be read twice: its samples are held from the first
// pass instead. A later pass checks that it read what the first one did (a file rewritten in
// between is an error, a file that grew is read to where the first pass ended).
class RecordFilePasses
{
public:
    using Visitor = std::function<bool(const RecordSample&)>; // false stops the pass

    // Opens the file and reads its header.
    explicit RecordFilePasses(const QByteArray& encodedPath);
    ~RecordFilePasses();

    // "<path>: ..." once the file could not be opened, read or read again; "" while all is well.
    const QString& error() const { return m_error; }
    RecordFileKind kind() const { return m_kind; }
    const QStringList& headerLines() const { return m_header; }
    // The header's interval, known before the first pass.
    std::optional<double> headerInterval() const { return m_headerInterval; }
    // After the first pass: the header's interval or the most common step.
    std::optional<double> interval() const { return m_interval; }
    std::int64_t records() const { return m_records; }

    // Both false when a fault stopped them (error() says which) or `visit` did.
    bool first(const Visitor& visit);
    bool again(const Visitor& visit);

private:
    void fail(const QString& fault);

    QString m_path;
    std::unique_ptr<QFile> m_in;
    std::unique_ptr<RecordSampleReader> m_reader;
    bool m_hasHeader = false;
    RecordFileKind m_kind = RecordFileKind::List;
    QStringList m_header;
    std::optional<double> m_headerInterval;
    std::optional<double> m_interval;
    std::int64_t m_records = 0;
    std::uint64_t m_digest = 0;
    std::vector<RecordSample> m_held; // a pipe's records
    QString m_error;
};

} // namespace slm
