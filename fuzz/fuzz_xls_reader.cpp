// Any bytes given to the legacy Excel reader must give a workbook or an error text, never a crash or a hang.
#include "workbook/xls/XlsReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto result = pelorin::workbook::readXls(bytes, false);
    if (!result.ok() && result.error().isEmpty())
        std::abort();
    return 0;
}
