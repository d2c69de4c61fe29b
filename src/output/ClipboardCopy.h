#pragma once

#include "model/Categories.h"

#include <QString>

namespace pelorin {

struct AppContext;

// Copies a category's results to the clipboard, one name per line.
class ClipboardCopy
{
public:
    explicit ClipboardCopy(AppContext& context);

    void copyResults(Category i); // 复制

    // Every name followed by CR LF, the last one too.
    static QString textOf(const QStringList& results);

private:
    AppContext& m_context;
};

} // namespace pelorin
