#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace pelorin {

class APIFont;

// The state of the draw in progress and of the manual entry panel.
struct AppState
{
    bool IsRolling = false;
    std::int32_t WheelCount = 0;
    std::int32_t PointerAngle = 0;
    std::int16_t RollSpeed = 15;
    std::shared_ptr<APIFont> WheelFont;
    float WheelCenterX = 3500.0f / 15.0f;
    float WheelCenterY = 220.0f;
    float WheelRadius = 2500.0f; // twips
    std::int16_t EntryTarget = 1; // 1: candidate list, 4: history list
};

} // namespace pelorin
