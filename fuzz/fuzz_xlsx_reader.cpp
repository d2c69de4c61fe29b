// Feeds arbitrary bytes to the .xlsx reader: it must return texts or an error, never crash or hang. The first
// sheet read for the import must show every cell as the whole read lists it.
#include "workbook/SheetCells.h"
#include "workbook/xlsx/XlsxReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)pelorin::workbook::readXlsx(bytes, false);
    const auto first = pelorin::workbook::readXlsxFirstSheet(bytes);
    if (first.ok() && *first) {
        for (const auto& [key, text] : (*first)->texts()) {
            if ((*first)->text(key) != text)
                std::abort();
        }
    }
    return 0;
}
