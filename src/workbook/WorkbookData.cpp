#include "workbook/WorkbookData.h"

namespace pelorin::workbook {

Format detectFormat(const QByteArray& bytes)
{
    static const QByteArray zip("PK\x03\x04", 4);
    static const QByteArray emptyZip("PK\x05\x06", 4);
    static const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (bytes.startsWith(compound))
        return Format::Xls;
    if (bytes.startsWith(zip) || bytes.startsWith(emptyZip))
        return Format::Xlsx;
    return Format::Unknown;
}

} // namespace pelorin::workbook
