#pragma once

#include "workbook/Expected.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>

namespace pelorin::workbook {

// Reads the cell texts of an OOXML workbook (.xlsx, .xlsm, .xltx). With firstSheetOnly, only the
// first worksheet in workbook order; chart sheets do not count.
Expected<WorkbookData> readXlsx(const QByteArray& bytes, bool firstSheetOnly);

} // namespace pelorin::workbook
