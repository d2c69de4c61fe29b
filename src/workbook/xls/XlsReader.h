#pragma once

#include "workbook/Expected.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>

namespace pelorin::workbook {

// Reads a legacy Excel workbook (BIFF8 records in a compound file): every worksheet, or only the first.
// Each cell holds the text the spreadsheet shows for it; empty cells are left out.
Expected<WorkbookData> readXls(const QByteArray& bytes, bool firstSheetOnly);

} // namespace pelorin::workbook
