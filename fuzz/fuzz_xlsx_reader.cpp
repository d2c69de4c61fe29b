// Feeds arbitrary bytes to the .xlsx reader: it must return texts or an error, never crash or hang.
#include "workbook/xlsx/XlsxReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)pelorin::workbook::readXlsx(bytes, false);
    return 0;
}
