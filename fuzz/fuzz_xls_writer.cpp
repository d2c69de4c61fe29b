// Mutated templates through the export writer: it must refuse them with a text or write a workbook from which
// the reader gets back exactly the texts written.
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pelorin::workbook;
    const QByteArray templ = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    static const CellEdits edits = [] {
        CellEdits e;
        e[{ 0, 0 }] = QStringLiteral("重点企业名单：");
        for (int row = 0; row < 40; ++row)
            e[{ row, 1 }] = QStringLiteral("企业 %1").arg(row);
        e[{ 3, 2 }] = QString(300, u'长');
        e[{ 70, 4 }] = QStringLiteral("😀");
        return e;
    }();
    const auto filled = fillXlsTemplate(templ, edits, { { 1, 30 } });
    if (!filled.ok()) {
        if (filled.error().isEmpty())
            std::abort();
        return 0;
    }
    const auto back = readXls(*filled, true);
    if (!back.ok())
        std::abort();
    for (const auto& [key, text] : edits) {
        const auto found = back->sheets[0].cells.find(key);
        if (found == back->sheets[0].cells.end() || found->second != text)
            std::abort();
    }
    return 0;
}
