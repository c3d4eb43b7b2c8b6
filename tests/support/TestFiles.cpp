#include "support/TestFiles.h"

#include "measurement/Measurement.h"
#include "measurement/MeasurementReader.h"
#include "measurement/RecordCsv.h"

#include <QFile>

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

QString writeAndOpen(const QString& path, const QByteArray& bytes, slm::Measurement& into)
{
    if (const QString error = slm::writeFileAtomically(path, bytes); !error.isEmpty())
        return error;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    slm::MeasurementReader reader(in);
    if (!reader.readInto(into))
        return reader.error();
    into.setOrigin({slm::MeasurementOrigin::Kind::File, path});
    return {};
}
