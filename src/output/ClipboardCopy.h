#pragma once

#include "app/Categories.h"

namespace pelorin {

struct AppContext;

// Copies a category's results to the clipboard, one name per line.
class ClipboardCopy
{
public:
    explicit ClipboardCopy(AppContext& context);

    void copyResults(Category i); // 复制

private:
    AppContext& m_context;
};

} // namespace pelorin
