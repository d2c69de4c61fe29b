#pragma once

#include "draw/DrawWindowController.h"
#include "lists/HistoryExclusion.h"
#include "lists/ListCommands.h"
#include "lists/ManualEntry.h"
#include "lists/WorkbookImport.h"
#include "output/ClipboardCopy.h"
#include "output/RecordExport.h"
#include "output/WorkbookExport.h"
#include "tasks/TaskCommands.h"

namespace pelorin {

struct AppContext;

// Every command of the main window, grouped by what it works on. The window only forwards clicks here.
class Commands
{
public:
    explicit Commands(AppContext& context);

    // Asks "退出并关闭当前程序吗"; true when the user answers Yes.
    bool confirmExit();

    ListCommands lists;
    ManualEntry entry;
    HistoryExclusion exclusion;
    WorkbookImport import;
    DrawWindowController draw;
    WorkbookExport exporter;
    ClipboardCopy clipboard;
    RecordExport record;
    TaskCommands tasks;

private:
    AppContext& m_context;
};

} // namespace pelorin
