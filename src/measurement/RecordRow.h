#pragma once

#include <QString>

namespace slm
{

// One record of a list or a record file: number, "yyyy/mm/dd hh:nn:ss" and level text.
struct RecordRow {
    QString number;
    QString dateTime;
    QString level;
};

} // namespace slm
