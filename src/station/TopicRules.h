#pragma once

#include <QString>

namespace slm::station
{

// Why `level` cannot be one level of an MQTT topic the station publishes to (or a file name, for
// the station's id and the meters' names); empty when it can. A level holds printable characters
// and no space, none of "+", "#" and "/", does not start with "$" (the broker's own topics, which
// wildcard subscriptions do not see) and is neither "." nor "..".
QString topicLevelFault(const QString& level);

// The same for a prefix of one or more levels ("slm", "city/noise"); empty levels are refused.
QString topicPrefixFault(const QString& prefix);

} // namespace slm::station
