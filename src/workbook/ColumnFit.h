#pragma once

#include "workbook/WorkbookData.h"

#include <QStringView>
#include <map>
#include <set>

namespace pelorin::workbook {

// How many character widths a text takes in a cell: a CJK or full-width character counts as two;
// for text on several lines, its longest line.
int displayWidth(QStringView text);

// Width in characters for each of the given columns, to fit the longest text in it, with a little
// room to spare; at most 255, the most a column can be. Columns without text keep their width.
std::map<int, double> fitColumns(const std::map<CellKey, QString>& cells, const std::set<int>& columns);

} // namespace pelorin::workbook
