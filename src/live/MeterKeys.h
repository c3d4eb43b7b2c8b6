#pragma once

#include "link/MeterCommands.h"

#include <QString>

namespace slm
{

struct Services;

// The panel's ten key buttons: each press asks the meter for attention and then sends the key
// command in one write. Nothing is read back; the effect shows in the next live frames.
class MeterKeys
{
public:
    // A meter that does not acknowledge within this many seconds loses the key press.
    static constexpr double AttentionBoundSeconds = 5.0;

    explicit MeterKeys(Services& services);

    // True when the key command was written. The wait inside lets user-interface events run.
    // A press that is refused or given up is posted to the services' notices.
    bool press(MeterCommands::Key key);

    static QString givenUpText();

private:
    Services& m_services;
};

} // namespace slm
