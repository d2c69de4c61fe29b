#include "model/SlowStop.h"

#include "model/IRandom.h"

#include <cmath>

namespace pelorin {

int SlowStop::sectorAtStep(std::int64_t step, int count)
{
    if (count <= 0)
        return 0;
    // Sector k covers the angles [360k/count, 360(k+1)/count), that is the steps [360k, 360(k+1)); the
    // first stretch of a lap is sector count, which the rolling pointer reaches at 360 degrees.
    const std::int64_t lap = std::int64_t(360) * count;
    const std::int64_t inLap = ((step % lap) + lap) % lap;
    const auto k = static_cast<int>(inLap / 360);
    return k == 0 ? count : k;
}

void SlowStop::begin(std::int32_t pressAngle, int speed, int count, IRandom& random)
{
    const int lap = 360 * (count < 1 ? 1 : count);
    run(pressAngle, speed, count, random.between(lap, 3 * lap - 1));
}

void SlowStop::beginTo(std::int32_t pressAngle, int speed, int count, int sector)
{
    const std::int64_t n = count < 1 ? 1 : count;
    const std::int64_t lap = 360 * n;
    // Sector k covers the steps [360k, 360(k+1)) of a lap, sector count the first stretch.
    const std::int64_t middle = std::int64_t(sector == count ? 0 : sector) * 360 + 180;
    const std::int64_t from = std::int64_t(pressAngle) * n;
    run(pressAngle, speed, count, lap + (((middle - from) % lap) + lap) % lap);
}

void SlowStop::run(std::int32_t pressAngle, int speed, int count, std::int64_t turn)
{
    m_count = count < 1 ? 1 : count;
    const int perTick = speed < 1 ? 1 : speed;
    m_pressAngle = pressAngle;
    m_start = std::int64_t(pressAngle) * m_count;
    m_turn = turn;
    m_travelled = 0;
    // Even slowing from perTick degrees to rest covers the turn in twice the ticks the full speed would need.
    const double velocity = double(perTick) * m_count; // steps per tick
    m_duration = static_cast<int>(std::ceil(2.0 * double(m_turn) / velocity));
    if (m_duration < 1)
        m_duration = 1;
    m_tick = 0;
    m_running = true;
}

bool SlowStop::step()
{
    if (!m_running)
        return false;
    ++m_tick;
    if (m_tick >= m_duration) {
        m_travelled = m_turn;
        m_running = false;
        return true;
    }
    // Distance under constant deceleration ending at rest after m_duration ticks.
    const double left = 1.0 - double(m_tick) / m_duration;
    m_travelled = static_cast<std::int64_t>(std::llround(double(m_turn) * (1.0 - left * left)));
    return false;
}

} // namespace pelorin
