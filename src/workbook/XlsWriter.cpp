#include "workbook/XlsWriter.h"

namespace pelorin::workbook {

Expected<QByteArray> fillXlsTemplate(const QByteArray&, const CellEdits&, const std::map<int, double>&)
{
    return Expected<QByteArray>::failure(QStringLiteral("暂不支持写入 .xls 工作簿。"));
}

Expected<QByteArray> writeXls(const WorkbookData&)
{
    return Expected<QByteArray>::failure(QStringLiteral("暂不支持写入 .xls 工作簿。"));
}

} // namespace pelorin::workbook
