#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <optional>
#include <span>
#include <utility>

// The one JSON writer of the report program: texts, numbers and objects written as bytes in a
// fixed key order, unknown values as null.

namespace slm::json
{

// A JSON string: quotes and backslashes escaped, control characters as \n, \r, \t or \u00XX.
QByteArray text(const QString& text);
// A number as it is ("g", 15 digits), as shown (one decimal), or rounded to 0.01 (no "-0").
QByteArray number(std::optional<double> value);
QByteArray figure(std::optional<double> value);
QByteArray rounded(std::optional<double> value);
QByteArray boolean(std::optional<bool> value);

using Field = std::pair<const char*, QByteArray>;
// An object with its keys in the order given, on one line.
QByteArray object(std::initializer_list<Field> fields);
// "{" and the fields, each on a line of its own indented by two, without the closing brace.
QByteArray openObjectLines(std::span<const Field> fields);

} // namespace slm::json
