#pragma once

#include "measurement/AssessmentExclusions.h"
#include "measurement/AssessmentRun.h"

#include <QFont>
#include <QRectF>
#include <optional>
#include <span>

class QPainter;

// The report's two drawings, as vector paths: the levels against time and the distribution of
// the levels in the Ln table's classes. Sizes are in the painter's device pixels.

namespace slm::report
{

struct LevelPlotInput {
    std::span<const RecordSample> samples;
    std::optional<double> interval;
    std::span<const ClockSpan> excludedSpans; // merged, shaded
    std::span<const Exclusion> exclusions;    // each with its reason, written in its span if it fits
    const EventSummary* events = nullptr;     // marked along the top, numbered; null when unknown
};

// Levels against the records' clock. More records than the plot has device pixels across are
// drawn as the lowest and highest level of each pixel column, so ten days at 1 s make a path of a
// few thousand points.
void paintLevelPlot(QPainter& painter, const QRectF& area, double dotsPerMm, const QFont& font,
                    const LevelPlotInput& input);

// The share of the levels in each class, with L10, L50 and L90 marked.
void paintLevelHistogram(QPainter& painter, const QRectF& area, double dotsPerMm, const QFont& font,
                         const LnResult& ln);

} // namespace slm::report
