#pragma once

#include "link/MeterCommands.h"

#include <QString>
#include <functional>

struct Services;

// The panel's ten key buttons: each press asks the meter for attention and then sends the key
// command in one write. Nothing is read back; the effect shows in the next live frames.
class MeterKeys
{
public:
    // A meter that does not acknowledge within this many seconds loses the key press.
    static constexpr double AttentionBoundSeconds = 5.0;

    using StatusReport = std::function<void(const QString&)>;

    // status receives a short text when a press is given up (the panel shows it in its status bar).
    MeterKeys(Services& services, StatusReport status);

    // True when the key command was written. The wait inside lets user-interface events run.
    bool press(MeterCommands::Key key);

    static QString givenUpText();
    static QString busyText();

private:
    Services& m_services;
    StatusReport m_status;
};
