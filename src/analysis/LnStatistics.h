#pragma once

#include "measurement/LnClasses.h"

#include <optional>

namespace slm
{

class PanelTimers;
class BusyCaption;

// The run as a window asks for it: the panel's timers off, the progress in the list window's
// caption ("12.5% Completed", restored afterwards), pending events handled whenever the shown
// percentage changes, the timers on again. Returns nothing when the list went away (or was
// cleared to fewer rows) while events ran; the caller then has nothing to show.
// Timers and caption may be null; the caption object must outlive the call. Events run inside,
// so a second click can arrive while a run is under way: callers enter through a ReentryFlag.
std::optional<LnResult> runLnStatistics(const RecordListModel& list, LnResolution resolution,
                                        PanelTimers* timers, BusyCaption* caption);

// The progress text after record `done` of `total`: the percentage with one decimal.
QString lnProgressText(qint64 done, qint64 total);

} // namespace slm
