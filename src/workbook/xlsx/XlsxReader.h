#pragma once

#include "workbook/Expected.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>
#include <memory>
#include <vector>

namespace pelorin::workbook {

// Reads the cell texts of an OOXML workbook (.xlsx, .xlsm, .xltx). With firstSheetOnly, only the
// first worksheet in workbook order; chart sheets do not count.
Expected<WorkbookData> readXlsx(const QByteArray& bytes, bool firstSheetOnly);

class SheetCells;

// The first worksheet, its cells kept as stored and shown as text when asked for; the same texts as readXlsx.
// Null when the workbook has no worksheet. Given columns (0 for A), only their cells are kept; every part is still
// read and checked whole.
Expected<std::unique_ptr<SheetCells>> readXlsxFirstSheet(const QByteArray& bytes,
                                                         const std::vector<int>* columns = nullptr);

} // namespace pelorin::workbook
