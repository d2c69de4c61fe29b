#pragma once

#include "workbook/Expected.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>
#include <map>

namespace pelorin::workbook {

// Injects edits into the first sheet of a BIFF8 template, keeping everything else; widths in characters for the
// written columns.
Expected<QByteArray> fillXlsTemplate(const QByteArray& templ, const CellEdits& edits,
                                     const std::map<int, double>& columnWidths);

// A fresh BIFF8 workbook holding these sheets' values and column widths (used when converting from .xlsx).
Expected<QByteArray> writeXls(const WorkbookData& data);

} // namespace pelorin::workbook
