#pragma once

#include "workbook/Expected.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>
#include <map>

namespace pelorin::workbook {

// Writes edits into the first worksheet of an OOXML template and returns the new package: every
// other part is copied unchanged; formulas are recalculated when the file is next opened; a template
// or macro-enabled package comes out as a plain workbook. Widths are in characters.
Expected<QByteArray> fillXlsxTemplate(const QByteArray& templ, const CellEdits& edits,
                                      const std::map<int, double>& columnWidths);

// A new workbook holding these sheets' texts and column widths.
Expected<QByteArray> writeXlsx(const WorkbookData& data);

// The limits of an OOXML worksheet.
constexpr int kXlsxMaxRows = 1048576;
constexpr int kXlsxMaxColumns = 16384;
constexpr int kMaxCellTextLength = 32767;

} // namespace pelorin::workbook
