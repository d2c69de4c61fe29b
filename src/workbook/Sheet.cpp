#include "workbook/Sheet.h"

#include "workbook/CellAddress.h"
#include "workbook/ColumnFit.h"

#include <set>

namespace pelorin::workbook {

Sheet::Sheet(SheetData data)
    : m_data(std::move(data))
{
}

QString Sheet::cellText(const QString& a1) const
{
    const auto key = parseA1(a1);
    if (!key)
        return {};
    if (const auto edit = m_edits.find(*key); edit != m_edits.end())
        return edit->second;
    const auto cell = m_data.cells.find(*key);
    return cell == m_data.cells.end() ? QString() : cell->second;
}

bool Sheet::setCellText(const QString& a1, const QString& text)
{
    const auto key = parseA1(a1);
    if (!key)
        return false;
    m_edits.insert_or_assign(*key, text);
    return true;
}

void Sheet::autoFitColumns()
{
    std::set<int> columns;
    for (const auto& [key, text] : m_edits)
        columns.insert(key.second);
    for (const auto& [column, width] : fitColumns(current().cells, columns))
        m_widths[column] = width;
}

SheetData Sheet::current() const
{
    SheetData sheet = m_data;
    for (const auto& [key, text] : m_edits) {
        if (text.isEmpty())
            sheet.cells.erase(key);
        else
            sheet.cells.insert_or_assign(key, text);
    }
    for (const auto& [column, width] : m_widths)
        sheet.columnWidths[column] = width;
    return sheet;
}

} // namespace pelorin::workbook
