#pragma once

#include "app/AppContext.h"
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
        // Design sizes, as the window lays them out before any opening.
        heading.setBounds(QRect(120, 120, 6615, 255));
        hint.setBounds(QRect(120, 8800, 6615, 180));
        textArea.setBounds(QRect(120, 400, 6615, 7000));
        confirm.setBounds(QRect(2000, 9200, 1215, 375));
        close.setBounds(QRect(4000, 9200, 1455, 375));
        context.controls.entry = { &panel, &heading, &hint, &textArea, &confirm, &close, &headingCaption, &text };
        context.services.messageBox = &messageBox;
        context.services.random = &random;
    }

    Page& page(int i) { return pages[i]; }

    QStringList visibilityLog;
    LoggingPanel panel { QStringLiteral("panel"), visibilityLog };
    LoggingPanel heading { QStringLiteral("heading"), visibilityLog };
    LoggingPanel hint { QStringLiteral("hint"), visibilityLog };
    LoggingPanel textArea { QStringLiteral("text"), visibilityLog };
    LoggingPanel confirm { QStringLiteral("confirm"), visibilityLog };
    LoggingPanel close { QStringLiteral("close"), visibilityLog };
    MemoryTextControl headingCaption { QStringLiteral("手工直接录入或者复制名单：") };
    MemoryTextControl text;

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
