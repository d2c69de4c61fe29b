#pragma once

#include "platform/ISpreadsheet.h"
#include "workbook/WorkbookData.h"

namespace pelorin::workbook {

// The first worksheet of an open workbook: its texts as read, and what has been written since.
class Sheet : public ISheet
{
public:
    explicit Sheet(SheetData data);

    QString cellText(const QString& a1) const override;
    bool setCellText(const QString& a1, const QString& text) override;
    void autoFitColumns() override;

    const SheetData& original() const { return m_data; }
    const CellEdits& edits() const { return m_edits; }
    // Widths fitted for written columns, in characters.
    const std::map<int, double>& fittedWidths() const { return m_widths; }
    // The sheet as it now reads: the original texts with the edits over them.
    SheetData current() const;

private:
    SheetData m_data;
    CellEdits m_edits;
    std::map<int, double> m_widths;
};

} // namespace pelorin::workbook
