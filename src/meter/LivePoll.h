#pragma once

#include "shared/ReentryGuard.h"

class QByteArray;

namespace slm
{

struct LiveReading;
struct MeterLine;

// One pass of the 200 ms live poll: flush, wait for more than five bytes in steps of 0.01 s,
// and decode the newest frame into the live reading. What follows a lost link is the session's.
class LivePoll
{
public:
    enum class Result { Decoded, Skipped, LinkLost, Cancelled };

    LivePoll(const MeterLine& line, LiveReading& live);

    // Skipped when an earlier pass or another exchange holds the link.
    Result tick();
    bool running() const { return m_running.active(); }
    int decodedFrames() const { return m_decoded; }

private:
    void decode(const QByteArray& frame);

    const MeterLine& m_s;
    LiveReading& m_live;
    ReentryFlag m_running;
    int m_decoded = 0;
};

} // namespace slm
