#pragma once

namespace slm
{

// What OK in the panel's "Save Data" box does: start a recording at the PC's sampling rate, or
// write the panel's list to a file.
enum class SaveMode { Recording, List };

} // namespace slm
