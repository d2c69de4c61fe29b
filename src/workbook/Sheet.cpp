#include "workbook/Sheet.h"

#include "workbook/CellAddress.h"
#include "workbook/ColumnFit.h"

#include <set>

namespace pelorin::workbook {

namespace {

void applyEdits(std::map<CellKey, QString>& cells, const CellEdits& edits)
{
    for (const auto& [key, text] : edits) {
        if (text.isEmpty())
            cells.erase(key);
        else
            cells.insert_or_assign(key, text);
    }
}

} // namespace

Sheet::Sheet(std::unique_ptr<SheetCells> cells)
    : m_cells(std::move(cells))
{
}

QString Sheet::cellText(const QString& a1) const
{
    const auto key = parseA1(a1);
    if (!key)
        return {};
    if (!m_edits.empty()) {
        if (const auto edit = m_edits.find(*key); edit != m_edits.end())
            return edit->second;
    }
    return m_cells->text(*key);
}

bool Sheet::lacksFormulaResult(const QString& a1) const
{
    const auto key = parseA1(a1);
    // A written cell holds its text, whatever it held before.
    return key && !m_edits.contains(*key) && m_cells->lacksResult(*key);
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
    // Only the written columns are fitted, so only their cells need their texts.
    std::map<CellKey, QString> cells = m_cells->texts(&columns);
    applyEdits(cells, m_edits);
    for (const auto& [column, width] : fitColumns(cells, columns))
        m_widths[column] = width;
}

SheetData Sheet::current() const
{
    SheetData sheet = m_cells->toSheetData();
    applyEdits(sheet.cells, m_edits);
    for (const auto& [column, width] : m_widths)
        sheet.columnWidths[column] = width;
    return sheet;
}

} // namespace pelorin::workbook
