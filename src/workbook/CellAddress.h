#pragma once

#include "workbook/WorkbookData.h"

#include <QStringView>
#include <optional>

namespace pelorin::workbook {

// "B2" -> (1, 1). Letters without case; rows 1..1048576, columns A..XFD. nullopt for anything else.
std::optional<CellKey> parseA1(QStringView reference);
// (1, 1) -> "B2".
QString toA1(CellKey key);
QString columnName(int column);

} // namespace pelorin::workbook
