#include "measurement/AssessmentEvents.h"

#include "measurement/AssessmentArithmetic.h"

namespace slm
{

std::optional<EventSummary> noiseEvents(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const ExclusionMask& mask, const EventSettings& settings)
{
    return noiseEvents(samples, interval, mask, settings, nullptr);
}

std::optional<EventSummary> noiseEvents(std::span<const RecordSample> samples, std::optional<double> interval,
                                        const ExclusionMask& mask, const EventSettings& settings,
                                        const std::function<bool(const NoiseEvent&)>& visit)
{
    using namespace assessment;
    if (!interval || !(*interval > 0))
        return std::nullopt;
    const double dt = *interval;
    EventSummary summary;
    summary.settings = settings;
    const double reach = dt + settings.continuationSeconds;

    // The open event and the levels since its last above record, which join it only when a later
    // above record bridges them.
    bool open = false;
    NoiseEvent current;
    EnergySum energy;
    EnergySum pending;
    double pendingMax = 0;
    std::int64_t pendingMaxTime = 0;
    std::int64_t measured = 0;
    bool stopped = false;

    auto close = [&] {
        if (!open)
            return;
        open = false;
        current.durationSeconds = double(current.last - current.start) + dt;
        if (current.durationSeconds < settings.minDurationSeconds)
            return;
        current.levels = energy.count;
        current.leq = energy.leq();
        if (current.leq && energy.total() > 0)
            current.sel = 10.0 * std::log10(energy.total() * dt);
        current.number = int(++summary.count);
        summary.timeInEventsSeconds += current.durationSeconds;
        if (!visit)
            summary.events.push_back(current);
        else if (!visit(current))
            stopped = true;
    };
    auto addLevel = [](NoiseEvent& e, EnergySum& sum, const RecordSample& s) {
        const double level = s.level();
        if (!e.lmax || level > *e.lmax) {
            e.lmax = level;
            e.maxTime = s.time;
        }
        sum.add(energyOf(s));
    };

    for (size_t i = 0; i < samples.size() && !stopped; ++i) {
        const RecordSample& s = samples[i];
        const bool excluded = mask.excluded(i);
        if (s.isLevel() && !excluded)
            ++measured;
        if (excluded || s.kind == LevelTextKind::Paused || !s.hasTime()) {
            close();
            continue;
        }
        const bool over = s.kind == LevelTextKind::Over;
        const bool above = over || (s.isLevel() && s.level() >= settings.threshold);
        if (!above) {
            // A level below the threshold may yet be bridged: kept apart until then.
            if (open && s.isLevel()) {
                const double level = s.level();
                if (pending.count == 0 || level > pendingMax) {
                    pendingMax = level;
                    pendingMaxTime = s.time;
                }
                pending.add(energyOf(s));
            }
            continue;
        }
        if (open && (s.time - current.last < 0 || double(s.time - current.last) > reach))
            close();
        if (!open) {
            open = true;
            current = NoiseEvent{};
            current.start = s.time;
            energy = EnergySum{};
        } else if (pending.count > 0) {
            energy.add(pending);
            if (!current.lmax || pendingMax > *current.lmax) {
                current.lmax = pendingMax;
                current.maxTime = pendingMaxTime;
            }
        }
        pending = EnergySum{};
        current.last = s.time;
        if (over) {
            current.overRange = true;
            ++current.overloads;
        } else
            addLevel(current, energy, s);
    }
    close();
    if (measured > 0)
        summary.perHour = double(summary.count) / (double(measured) * dt / 3600.0);
    return summary;
}

} // namespace slm
