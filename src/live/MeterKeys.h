#pragma once

#include "link/MeterCommands.h"
#include "shared/Services.h"

#include <QString>

namespace slm
{

// The panel's ten key buttons: each press asks the meter for attention and then sends the key
// command in one write. Nothing is read back; the effect shows in the next live frames.
class MeterKeys
{
public:
    // A meter that does not acknowledge within this many seconds loses the key press.
    static constexpr double AttentionBoundSeconds = 5.0;

    explicit MeterKeys(const MeterLine& line);

    // True when the key command was written. The wait inside lets user-interface events run.
    // A press that is refused or given up is posted to the line's notices.
    bool press(MeterCommands::Key key);

    static QString givenUpText();

private:
    MeterLine m_line;
};

} // namespace slm
