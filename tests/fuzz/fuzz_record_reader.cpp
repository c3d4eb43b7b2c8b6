// libFuzzer target over the record file reader: any bytes must read without a crash, a hang or an
// unbounded line, and what it lists must hold up:
// - a header never has more lines than its kind, and an error always names its line;
// - every listed field is free of TABs and line ends;
// - the listed records, written back as a list file, read back the same.
#include "measurement/Measurement.h"
#include "measurement/MeasurementReader.h"
#include "measurement/RecordFileFormat.h"
#include "support/RecordReadBack.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace slm;

namespace
{

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "record reader: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const ReadBack file = readBack(bytes);

    require(file.headerLines.size() <= headerLineCount(file.kind), "header longer than its kind");
    require(file.error.isEmpty() == (file.errorLine == 0), "an error without its line");
    require(file.errorLine == 0 || file.errorLine >= 1, "line numbers count from 1");
    for (const RecordRow& row : file.rows)
        for (const QString* field : {&row.number, &row.dateTime, &row.level}) {
            require(!field->contains(u'\t') && !field->contains(u'\n'), "a field holds a TAB or a line end");
            require(field->size() <= RecordLineReader::MaxLineBytes, "a field longer than a line");
        }

    QByteArray again = encodeLine(titleLine());
    for (const RecordRow& row : file.rows)
        again += encodeLine(recordLine(row));
    const ReadBack back = readBack(again);
    require(back.error.isEmpty(), "the program's own list file does not read");
    require(back.rows.size() == file.rows.size(), "records lost on the way back");
    for (std::size_t i = 0; i < back.rows.size(); ++i)
        require(back.rows[i].number == file.rows[i].number &&
                    back.rows[i].dateTime == file.rows[i].dateTime &&
                    back.rows[i].level == file.rows[i].level,
                "a record changed on the way back");
    return 0;
}
