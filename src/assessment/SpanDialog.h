#pragma once

#include <QDateTime>
#include <functional>
#include <optional>

class QWidget;

namespace slm
{

// The span "Exclude..." asks for: start and end as typed, nothing when cancelled.
struct TypedSpan {
    QDateTime start;
    QDateTime end;
};
using SpanQuestion = std::function<std::optional<TypedSpan>(QWidget* parent, const TypedSpan& proposed)>;
// The small dialog with two date-time edits.
std::optional<TypedSpan> askSpanByDialog(QWidget* parent, const TypedSpan& proposed);

} // namespace slm
