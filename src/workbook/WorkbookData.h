#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <utility>
#include <vector>

namespace pelorin::workbook {

enum class Format
{
    Unknown,
    Xls,
    Xlsx
};

// Row and column, both from 0 (A1 is 0, 0).
using CellKey = std::pair<int, int>;

// The values of one worksheet as the spreadsheet shows them.
struct SheetData
{
    QString name;
    std::map<CellKey, QString> cells;
    std::map<int, double> columnWidths; // column -> width in characters
};

struct WorkbookData
{
    std::vector<SheetData> sheets; // in workbook order
};

// Texts written into the first sheet: cell -> text.
using CellEdits = std::map<CellKey, QString>;

// Tells the format from the first bytes of a file: a zip package or a compound file.
Format detectFormat(const QByteArray& bytes);

} // namespace pelorin::workbook
