#pragma once

#include "workbook/WorkbookData.h"

#include <pugixml.hpp>

namespace pelorin::workbook::xlsx {

// Writes edits into a parsed worksheet as inline strings: rows and cells stay sorted and unique, an
// existing cell keeps its style, the dimension follows the used range, and the given columns get
// their widths (in characters, at most 255).
void fillSheet(pugi::xml_document& sheet, const CellEdits& edits, const std::map<int, double>& columnWidths);

// Appends an XML-safe text element: escapes what XML cannot hold, keeps surrounding spaces.
void setInlineText(pugi::xml_node textElement, const QString& text);

constexpr double kMaxColumnWidth = 255.0;

} // namespace pelorin::workbook::xlsx
