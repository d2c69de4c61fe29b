// Any bytes given to the legacy Excel reader must give a workbook or an error text, never a crash or a hang. The
// first sheet read for the import must show every cell as the whole read lists it.
#include "workbook/SheetCells.h"
#include "workbook/xls/XlsReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto result = pelorin::workbook::readXls(bytes, false);
    if (!result.ok() && result.error().isEmpty())
        std::abort();
    const auto first = pelorin::workbook::readXlsFirstSheet(bytes);
    if (first.ok()) {
        for (const auto& [key, text] : (*first)->texts()) {
            if ((*first)->text(key) != text)
                std::abort();
        }
    }
    return 0;
}
