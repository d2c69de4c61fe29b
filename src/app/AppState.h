#pragma once

#include "app/Categories.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace pelorin {

class APIFont;

// The window-level state shared by the commands for the whole run.
struct AppState
{
    std::int16_t CurCategory = 0;
    bool IsRolling = false;
    std::int32_t WheelCount = 0;
    std::int32_t PointerAngle = 0;
    std::int16_t RollSpeed = 15;
    std::shared_ptr<APIFont> WheelFont;
    float WheelCenterX = 3500.0f / 15.0f;
    float WheelCenterY = 220.0f;
    float WheelRadius = 2500.0f; // twips
    std::int16_t EntryTarget = 1; // 1: candidate list, 4: history list
    QString SourceFolder;
    QString SourceFileTail;
    QString ImportStamp;
    QString ExportPath;
    // True once a candidate workbook was chosen since start-up, so the four texts above are set.
    bool HasImportedCandidates = false;
};

} // namespace pelorin
