#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace slm::station
{

// The station's INI file, read so that a value means what it says: no list splitting at commas,
// no escapes, no comment in the middle of a password. Lines starting with "#" or ";" are remarks;
// after a value, a "#" or ";" with white space before it starts a remark. A value in double
// quotes holds anything ("a;b # c"), with \" and \\ for a quote and a backslash.
class StationIni
{
public:
    // Nothing, with `error` naming the line or the key, when the file cannot be read as such.
    static std::optional<StationIni> read(const QString& path, QString& error);
    static std::optional<StationIni> parse(const QByteArray& text, QString& error);

    // "station/id": the value, or nothing when the key is not there.
    std::optional<QString> value(const QString& key) const;
    // Every "section/key" with its value, for the readers that take a plain map (the limits).
    QMap<QString, QString> keys() const;
    // The sections in the order of the file.
    const QStringList& sections() const { return m_sections; }

private:
    QHash<QString, QString> m_values;
    QStringList m_sections;
};

} // namespace slm::station
