// Feeds arbitrary bytes to the .xlsx reader: it must return texts or an error, never crash or hang. The first
// sheet read for the import must show every cell as the whole read lists it, and reading column B alone must
// give the same cells of column B and the same refusal.
#include "workbook/SheetCells.h"
#include "workbook/xlsx/XlsxReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

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
    const std::vector<int> columnB { 1 };
    const auto onlyB = pelorin::workbook::readXlsxFirstSheet(bytes, &columnB);
    if (onlyB.ok() != first.ok() || (!first.ok() && onlyB.error() != first.error()))
        std::abort();
    if (first.ok() && bool(*first) != bool(*onlyB))
        std::abort();
    if (first.ok() && *first) {
        const std::set<int> b { 1 };
        if ((*first)->texts(&b) != (*onlyB)->texts())
            std::abort();
        for (int row = 0; row < 64; ++row) {
            if ((*first)->lacksResult({ row, 1 }) != (*onlyB)->lacksResult({ row, 1 }))
                std::abort();
        }
    }
    return 0;
}
