#pragma once

// What the record reader gives of some bytes, as the file views read them: kind, header lines,
// records and the fault, if any. Header-only, so the fuzzer (built apart with clang) shares it.
#include "measurement/Measurement.h"
#include "measurement/MeasurementReader.h"
#include "measurement/RecordRow.h"

#include <QBuffer>
#include <QStringList>
#include <vector>

struct ReadBack {
    slm::RecordFileKind kind = slm::RecordFileKind::List;
    QStringList headerLines;
    std::vector<slm::RecordRow> rows;
    QString error;
    int errorLine = 0;
};

inline ReadBack readBack(QIODevice& in)
{
    slm::MeasurementReader reader(in);
    slm::Measurement m;
    reader.readInto(m);
    ReadBack r{reader.kind(), reader.headerLines(), {}, reader.error(), reader.errorLine()};
    for (int i = 0; i < m.recordCount(); ++i)
        r.rows.push_back(m.record(i));
    return r;
}

inline ReadBack readBack(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readBack(buffer);
}
