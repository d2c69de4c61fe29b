#pragma once

#include "platform/ISpreadsheet.h"
#include "workbook/SheetCells.h"
#include "workbook/WorkbookData.h"

#include <memory>

namespace pelorin::workbook {

// The first worksheet of an open workbook: its cells as read, and what has been written since.
class Sheet : public ISheet
{
public:
    explicit Sheet(std::unique_ptr<SheetCells> cells);

    QString cellText(const QString& a1) const override;
    bool lacksFormulaResult(const QString& a1) const override;
    bool setCellText(const QString& a1, const QString& text) override;
    void autoFitColumns() override;

    const QString& name() const { return m_cells->name; }
    const CellEdits& edits() const { return m_edits; }
    // Widths fitted for written columns, in characters.
    const std::map<int, double>& fittedWidths() const { return m_widths; }
    // The sheet as it now reads: the original texts with the edits over them.
    SheetData current() const;

private:
    std::unique_ptr<SheetCells> m_cells;
    CellEdits m_edits;
    std::map<int, double> m_widths;
};

} // namespace pelorin::workbook
