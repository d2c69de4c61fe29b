#pragma once

#include "workbook/Expected.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <map>

namespace pelorin::workbook {

struct SharedStringTable;

// Rewrites one worksheet substream (its BOF to its EOF) with texts written into cells. Every other record is
// kept; the cell table is laid out anew (rows in order, no INDEX or DBCELL), and the written columns get the
// given widths in characters. Texts up to 255 characters become LABEL records unless allShared is set; the
// others are added to strings.
class XlsSheetRewriter
{
public:
    XlsSheetRewriter(SharedStringTable& strings, bool allShared)
        : m_strings(strings)
        , m_allShared(allShared)
    {
    }
    Expected<QByteArray> rewrite(QByteArrayView substream, const CellEdits& edits,
                                 const std::map<int, double>& columnWidths);

private:
    SharedStringTable& m_strings;
    bool m_allShared;
};

// Checks what a writer is asked to write: rows 1 to 65,536, columns A to IV, texts up to 32,767 characters.
QString checkEdits(const CellEdits& edits);

} // namespace pelorin::workbook
