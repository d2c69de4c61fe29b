#pragma once

#include "model/SessionChange.h"

#include <vector>

namespace pelorin {

struct AppContext;

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

// Every field with its value now, pages first, in a fixed order.
std::vector<FieldChange> read(AppContext& context);
// Sets each field named in fields; unknown names and categories are ignored.
void write(AppContext& context, const std::vector<FieldChange>& fields);

} // namespace sessionfields

} // namespace pelorin
