#include "station/TopicRules.h"

#include <QStringList>

namespace slm::station
{

QString topicLevelFault(const QString& level)
{
    if (level.isEmpty())
        return QStringLiteral("is empty");
    if (level == u"." || level == u"..")
        return QStringLiteral("is \"%1\", which names a folder").arg(level);
    if (level.startsWith(u'$'))
        return QStringLiteral("starts with \"$\", which marks the broker's own topics");
    for (const char32_t c : level.toUcs4()) {
        if (QChar::isSpace(c))
            return QStringLiteral("holds a space");
        if (!QChar::isPrint(c))
            return QStringLiteral("holds a character that is not printable (U+%1)")
                .arg(uint(c), 4, 16, QLatin1Char('0'));
        if (c == U'+' || c == U'#' || c == U'/')
            return QStringLiteral("holds \"%1\"").arg(QChar(c));
    }
    if (level.toUtf8().size() > 1024)
        return QStringLiteral("is longer than 1024 bytes");
    return {};
}

QString topicPrefixFault(const QString& prefix)
{
    for (const QString& level : prefix.split(u'/')) {
        const QString fault = topicLevelFault(level);
        if (!fault.isEmpty())
            return QStringLiteral("level \"%1\" %2").arg(level, fault);
    }
    return {};
}

} // namespace slm::station
