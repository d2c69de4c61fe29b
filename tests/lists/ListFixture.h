#pragma once

#include "commands/AppContext.h"
#include "fakes/MemoryControls.h"
#include "fakes/MemoryPages.h"
#include "fakes/ScriptedRandom.h"
#include "platform/scripted/ScriptedMessageBox.h"

#include <QStringList>
#include <array>

namespace pelorin::test {

// Every list, counter and entry control in memory, wired into an AppContext, as the main window would.
struct ListFixture
{
    using Page = MemoryPage;

    ListFixture()
    {
        context.controls.entry = &entry;
        context.services.messageBox = &messageBox;
        context.services.random = &random;
    }

    Page& page(int i) { return pages[i]; }

    MemoryEntryPanel entry;

    ScriptedMessageBox messageBox;
    ScriptedRandom random;
    AppContext context;
    MemoryPages pages { context };
};

// Fills a list with the given names.
inline void fill(SessionList& list, const QStringList& names)
{
    list.setItems(names);
}

} // namespace pelorin::test
