#pragma once

#include "record/RecordSheet.h"

#include <QString>

namespace pelorin {

// Prints the record sheet.
class ISheetPrinter
{
public:
    virtual ~ISheetPrinter() = default;

    // Writes the sheet as a PDF file at path, A4, with its fonts embedded. On failure returns false, sets
    // error to the reason and leaves no file at path.
    virtual bool printPdf(const record::RecordSheet& sheet, const QString& path, QString* error) = 0;
};

} // namespace pelorin
