#pragma once

#include "app/Categories.h"

#include <QString>

namespace pelorin {

struct AppContext;
class INameList;

// Copies a category's results to the clipboard, one name per line.
class ClipboardCopy
{
public:
    explicit ClipboardCopy(AppContext& context);

    void copyResults(Category i); // 复制

    // Every name followed by CR LF, the last one too.
    static QString textOf(const INameList& results);

private:
    AppContext& m_context;
};

} // namespace pelorin
