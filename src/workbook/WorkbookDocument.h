#pragma once

#include "platform/ISpreadsheet.h"
#include "workbook/Expected.h"
#include "workbook/Sheet.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>
#include <memory>

namespace pelorin::workbook {

// An open workbook: the file's bytes, kept as the template of every save, and its first worksheet.
class WorkbookDocument : public IWorkbookDocument
{
public:
    WorkbookDocument(QByteArray bytes, Format format, std::unique_ptr<Sheet> firstSheet);

    ISheet* firstSheet() override { return m_sheet.get(); }
    bool saveAs(const QString& path, QString* error) override;

    // The workbook with the edits applied, in the given format.
    Expected<QByteArray> render(Format target) const;
    // The format a file name asks for: .xls or .xlsx (and its relatives); otherwise the workbook's own.
    Format formatFor(const QString& path) const;

private:
    Expected<QByteArray> convert(Format target) const;

    QByteArray m_bytes;
    Format m_format;
    std::unique_ptr<Sheet> m_sheet;
};

} // namespace pelorin::workbook
