#include "station/StationIni.h"

#include <QFile>

namespace slm::station
{

namespace
{

bool isRemarkStart(QChar c)
{
    return c == u'#' || c == u';';
}

// The value after "=": quoted or plain, without its remark. False (and `why`) when a quote is
// left open or followed by more than a remark.
bool readValue(const QString& raw, QString& out, QString& why)
{
    const QString text = raw.trimmed();
    if (!text.startsWith(u'"')) {
        qsizetype end = text.size();
        for (qsizetype i = 1; i < text.size(); ++i)
            if (isRemarkStart(text[i]) && text[i - 1].isSpace()) {
                end = i;
                break;
            }
        out = isRemarkStart(text.isEmpty() ? QChar() : text[0]) ? QString() : text.left(end).trimmed();
        return true;
    }
    out.clear();
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'"' || text[i + 1] == u'\\')) {
            out += text[++i];
        } else if (c == u'"') {
            const QString rest = text.mid(i + 1).trimmed();
            if (!rest.isEmpty() && !isRemarkStart(rest[0])) {
                why = QStringLiteral("holds \"%1\" after its closing quote").arg(rest);
                return false;
            }
            return true;
        } else {
            out += c;
        }
    }
    why = QStringLiteral("opens a quote it does not close");
    return false;
}

} // namespace

std::optional<StationIni> StationIni::read(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the configuration file %1 cannot be read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString why;
    std::optional<StationIni> ini = parse(file.readAll(), why);
    if (!ini)
        error = QStringLiteral("%1: %2").arg(path, why);
    return ini;
}

std::optional<StationIni> StationIni::parse(const QByteArray& bytes, QString& error)
{
    StationIni ini;
    QString section;
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || isRemarkStart(trimmed[0]))
            continue;
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            const QString rest = close < 0 ? QString() : trimmed.mid(close + 1).trimmed();
            if (close < 0 || (!rest.isEmpty() && !isRemarkStart(rest[0]))) {
                error = QStringLiteral("line %1 is not a section: \"%2\"").arg(n + 1).arg(trimmed);
                return std::nullopt;
            }
            section = trimmed.mid(1, close - 1).trimmed();
            if (!ini.m_sections.contains(section))
                ini.m_sections << section;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) {
            error =
                QStringLiteral("line %1 is neither a section nor key=value: \"%2\"").arg(n + 1).arg(trimmed);
            return std::nullopt;
        }
        const QString key = line.left(equals).trimmed();
        QString value;
        QString why;
        if (!readValue(line.mid(equals + 1), value, why)) {
            error = QStringLiteral("[%1] %2 %3").arg(section, key, why);
            return std::nullopt;
        }
        ini.m_values.insert(section + u'/' + key, value);
    }
    return ini;
}

std::optional<QString> StationIni::value(const QString& key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd())
        return std::nullopt;
    return it.value();
}

QMap<QString, QString> StationIni::keys() const
{
    QMap<QString, QString> out;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
        out.insert(it.key(), it.value());
    return out;
}

} // namespace slm::station
