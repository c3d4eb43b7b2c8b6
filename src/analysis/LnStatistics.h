#pragma once

namespace slm
{

// The two resolutions of the percentile levels: classes of whole decibels or of tenths.
enum class LnResolution { WholeDb, TenthDb };

} // namespace slm
