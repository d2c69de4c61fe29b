#pragma once

#include "workbook/Expected.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>
#include <memory>

namespace pelorin::workbook {

// Reads a legacy Excel workbook (BIFF8 records in a compound file): every worksheet, or only the first.
// Each cell holds the text the spreadsheet shows for it; empty cells are left out.
Expected<WorkbookData> readXls(const QByteArray& bytes, bool firstSheetOnly);

class SheetCells;

// The first worksheet, its cells kept as stored and shown as text when asked for; the same texts as readXls.
Expected<std::unique_ptr<SheetCells>> readXlsFirstSheet(const QByteArray& bytes);

} // namespace pelorin::workbook
