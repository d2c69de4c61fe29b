#pragma once

#include <cstdint>

namespace pelorin {

class IRandom;

// The pointer's run-out after a stop pressed with "随机缓停" on: from the angle of the press it turns a
// further 1 to 3 laps, drawn at the press, slowing evenly from the rolling speed to rest. Positions count
// in steps of 1/count degree, so every sector is exactly 360 steps wide and, the drawn turn covering two
// whole laps of steps, every resting sector is exactly as likely as any other.
class SlowStop
{
public:
    static constexpr int MinimumSpeed = 10; // degrees per tick

    // The sector (1..count) under the pointer at step (1/count degree each) of the rolling angle; a whole
    // number of laps further is the same sector.
    static int sectorAtStep(std::int64_t step, int count);

    // Draws the further turn from random and starts the run-out from pressAngle (degrees) at speed
    // (degrees per tick) on a wheel of count sectors. count and speed must be at least 1.
    void begin(std::int32_t pressAngle, int speed, int count, IRandom& random);
    // Starts a run-out from pressAngle that comes to rest in the middle of sector (1..count), at least one
    // lap and less than two further on: the sector was chosen before, the run-out only shows it.
    void beginTo(std::int32_t pressAngle, int speed, int count, int sector);
    void cancel() { m_running = false; }
    bool isRunning() const { return m_running; }

    // One tick of the run-out; true on the tick on which the pointer comes to rest.
    bool step();

    // Where the pointer stands now, in steps from 0 degrees (not reduced to one lap), and in degrees.
    std::int64_t position() const { return m_start + m_travelled; }
    double degrees() const { return double(position()) / m_count; }
    int sector() const { return sectorAtStep(position(), m_count); }

    std::int32_t pressAngle() const { return m_pressAngle; }
    // The further turn drawn at the press, in steps and in degrees.
    std::int64_t turnSteps() const { return m_turn; }
    double turnDegrees() const { return double(m_turn) / m_count; }
    // Ticks from the press to rest, and ticks done so far.
    int duration() const { return m_duration; }
    int ticksDone() const { return m_tick; }

private:
    void run(std::int32_t pressAngle, int speed, int count, std::int64_t turn);

    bool m_running = false;
    int m_count = 1;
    std::int32_t m_pressAngle = 0;
    std::int64_t m_start = 0;
    std::int64_t m_turn = 0;
    std::int64_t m_travelled = 0;
    int m_duration = 0;
    int m_tick = 0;
};

} // namespace pelorin
