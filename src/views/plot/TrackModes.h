#pragma once

#include <QString>
#include <array>
#include <vector>

namespace slm
{

// One entry of a graph window's track-mode list: the text shown, the graph's track mode
// (1..8, or 0 for an entry that is an action rather than a mode) and the help text.
struct TrackModeEntry {
    const char* entry;
    int mode;
    const char* help;
};

// The list of the record plot, in list order.
inline constexpr std::array<TrackModeEntry, 8> TrackModeTable{{
    {"Normal", 1, "Normal mode"},
    {"Cursor Coordinates", 2, "Drag the cursor with your mouse to get X (Count) and Y (dB) position."},
    {"PanXY", 3,
     "Click anywhere on the plot area and drag to pan the graph both horizontally and vertically."},
    {"PanX", 4, "Click anywhere on the plot area and drag to pan the graph horizontally."},
    {"PanY", 5, "Click anywhere on the plot area and drag to pan the graph vertically."},
    {"ZoomXY", 6, "Select a region on the graph to zoom both horizontally and vertically."},
    {"ZoomX", 7, "Select a region on the graph to zoom horizontally."},
    {"ZoomY", 8, "Select a region on the graph to zoom vertically."},
}};

inline constexpr int NormalEntry = 0;
inline constexpr int CursorEntry = 1;

// The live graph reads values, not dB, so its cursor help says so.
inline constexpr const char* LiveGraphCursorHelp =
    "Drag the cursor with your mouse to get X (Count) and Y (Value) position.";
inline constexpr const char* ResetScaleEntry = "Reset Scale";

inline std::vector<TrackModeEntry> recordPlotTrackModes()
{
    return {TrackModeTable.begin(), TrackModeTable.end()};
}

inline std::vector<TrackModeEntry> liveGraphTrackModes()
{
    std::vector<TrackModeEntry> entries = recordPlotTrackModes();
    entries[CursorEntry].help = LiveGraphCursorHelp;
    return entries;
}

// The live histogram has no cursor entry and ends with a scale reset (mode 0: an action).
inline std::vector<TrackModeEntry> liveHistogramTrackModes()
{
    std::vector<TrackModeEntry> entries = recordPlotTrackModes();
    entries.erase(entries.begin() + CursorEntry);
    entries.push_back({ResetScaleEntry, 0, ""});
    return entries;
}

} // namespace slm
