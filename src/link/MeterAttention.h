#pragma once

namespace slm
{

struct MeterLine;

// Asks the meter for attention before a key command: flush, "A", wait 0.2 s, until at least six
// bytes wait; read; done when the newest six are the acknowledgement, else start over.
// Gives up after timeoutSeconds without an acknowledgement and returns false.
bool MeterAttention(const MeterLine& line, double timeoutSeconds = 5.0);

} // namespace slm
