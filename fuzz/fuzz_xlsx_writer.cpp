// Fills mutated templates: the filler must either report an error or produce a package that reads
// back with the written texts.
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pelorin::workbook;
    using pelorin::Expected;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const CellEdits edits { { { 0, 0 }, QStringLiteral("重点企业名单：") },
                            { { 0, 1 }, QStringLiteral(" 甲\x01_x0041_ ") },
                            { { 2, 1 }, QStringLiteral("乙") } };
    const Expected<QByteArray> out = fillXlsxTemplate(bytes, edits, { { 1, 12.5 } });
    if (!out)
        return 0;
    const Expected<WorkbookData> back = readXlsx(*out, true);
    if (!back || back->sheets.empty())
        std::abort();
    for (const auto& [key, text] : edits) {
        const auto it = back->sheets.front().cells.find(key);
        if (it == back->sheets.front().cells.end() || it->second != text)
            std::abort();
    }
    return 0;
}
