#pragma once

#include "platform/ISheetPrinter.h"

namespace pelorin {

// Prints the record sheet with QPdfWriter: A4 portrait, a CJK font embedded, rows that do not fit continued
// on the next page under the table's headings again, every page numbered.
class QtSheetPdf : public ISheetPrinter
{
public:
    bool printPdf(const record::RecordSheet& sheet, const QString& path, QString* error) override;
};

} // namespace pelorin
