#pragma once

#include "model/SessionChange.h"

namespace pelorin {

// The texts of the session besides the lists: each page's counter, preset and drawn count, and the
// window-level texts the export needs.
namespace sessionfields {

inline const QString CandidateCounter = QStringLiteral("candidateCounter");
inline const QString PresetCount = QStringLiteral("presetCount");
inline const QString DrawnCount = QStringLiteral("drawnCount");
inline const QString SourceFolder = QStringLiteral("SourceFolder");
inline const QString SourceFileTail = QStringLiteral("SourceFileTail");
inline const QString ImportStamp = QStringLiteral("ImportStamp");
inline const QString ExportPath = QStringLiteral("ExportPath");
inline const QString CurCategory = QStringLiteral("CurCategory");
// "1" once a candidate workbook was chosen, so the export texts above hold.
inline const QString HasImportedCandidates = QStringLiteral("HasImportedCandidates");

} // namespace sessionfields

} // namespace pelorin
