#include "Json.h"

#include <cmath>

namespace slm::json
{

QByteArray text(const QString& text)
{
    // Times, dates and names are mostly plain ASCII: written as they are.
    bool plain = true;
    for (const QChar ch : text)
        plain = plain && ch.unicode() >= 0x20 && ch.unicode() < 0x80 && ch != u'"' && ch != u'\\';
    if (plain)
        return '"' + text.toLatin1() + '"';
    QByteArray out = "\"";
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += char(c);
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\t') {
            out += "\\t";
        } else if (c < 0x20) {
            out += "\\u" + QByteArray::number(int(c), 16).rightJustified(4, '0');
        } else {
            out += QString(ch).toUtf8();
        }
    }
    return out + '"';
}

QByteArray number(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return "null";
    return QByteArray::number(*value, 'g', 15);
}

QByteArray figure(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return "null";
    return QByteArray::number(*value, 'f', 1);
}

QByteArray rounded(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return "null";
    double r = std::round(*value * 100.0) / 100.0;
    if (r == 0)
        r = 0; // no "-0"
    return QByteArray::number(r, 'g', 15);
}

QByteArray boolean(std::optional<bool> value)
{
    return value ? QByteArray(*value ? "true" : "false") : QByteArray("null");
}

namespace
{

QByteArray fieldsText(std::span<const Field> fields, const char* first, const char* next)
{
    QByteArray out = "{";
    for (size_t i = 0; i < fields.size(); ++i) {
        out += i == 0 ? first : next;
        out += fields[i].first;
        out += "\": ";
        out += fields[i].second;
    }
    return out;
}

} // namespace

QByteArray object(std::initializer_list<Field> fields)
{
    return fieldsText(std::span<const Field>(fields.begin(), fields.size()), "\"", ", \"") + '}';
}

QByteArray openObjectLines(std::span<const Field> fields)
{
    return fieldsText(fields, "\n  \"", ",\n  \"");
}

} // namespace slm::json
