#pragma once

#include "app/Categories.h"

namespace pelorin {

struct AppContext;

// Fills a candidate or history list from column B of a workbook's first worksheet.
class WorkbookImport
{
public:
    explicit WorkbookImport(AppContext& context);

    void importCandidates(Category i); // 提供…名单
    void importHistory(Category i); // 导入历史摇中名单

private:
    AppContext& m_context;
};

} // namespace pelorin
