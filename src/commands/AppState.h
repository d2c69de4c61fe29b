#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace pelorin {

class APIFont;

// Where the draw window's wheel lies and the font of its numbers, and what the manual entry panel adds to.
// The draw itself is the session's.
struct AppState
{
    std::shared_ptr<APIFont> WheelFont;
    float WheelCenterX = 3500.0f / 15.0f;
    float WheelCenterY = 220.0f;
    float WheelRadius = 2500.0f; // twips
    std::int16_t EntryTarget = 1; // 1: candidate list, 4: history list
};

} // namespace pelorin
