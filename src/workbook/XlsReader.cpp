#include "workbook/XlsReader.h"

namespace pelorin::workbook {

Expected<WorkbookData> readXls(const QByteArray&, bool)
{
    return Expected<WorkbookData>::failure(QStringLiteral("暂不支持读取 .xls 工作簿。"));
}

} // namespace pelorin::workbook
