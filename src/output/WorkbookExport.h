#pragma once

#include "app/Categories.h"

namespace pelorin {

struct AppContext;

// Writes result lists into a copy of the template workbook and opens it.
class WorkbookExport
{
public:
    explicit WorkbookExport(AppContext& context);

    void exportCategory(Category i); // 导出
    void exportAll(); // 一键导出（本轮所有的）摇号结果
    void openTemplateDownload(); // Excel模板下载

private:
    AppContext& m_context;
};

} // namespace pelorin
