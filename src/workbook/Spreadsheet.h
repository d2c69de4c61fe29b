#pragma once

#include "platform/ISpreadsheet.h"

namespace pelorin::workbook {

// Reads and writes .xls and .xlsx workbooks itself; no spreadsheet program is needed.
class Spreadsheet : public ISpreadsheet
{
public:
    // Larger files are refused rather than read into memory.
    static constexpr qint64 kMaxFileBytes = 200LL * 1024 * 1024;

    bool isAvailable() const override { return true; }
    std::unique_ptr<IWorkbookDocument> open(const QString& path, QString* error) override;
    std::unique_ptr<IWorkbookDocument> openColumns(const QString& path, const std::vector<int>& columns,
                                                   QString* error) override;

private:
    std::unique_ptr<IWorkbookDocument> read(const QString& path, const std::vector<int>* columns, QString* error);
};

} // namespace pelorin::workbook
