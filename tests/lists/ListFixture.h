#pragma once

#include "app/AppContext.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/MemoryControls.h"
#include "fakes/ScriptedRandom.h"

#include <QStringList>
#include <array>

namespace pelorin::test {

// A panel that writes "name+" or "name-" to a shared log whenever it is shown or hidden.
class LoggedPanel : public MemoryPanel
{
public:
    LoggedPanel(QString name, QStringList& log)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    void setVisible(bool visible) override
    {
        m_log.append(m_name + (visible ? u'+' : u'-'));
        MemoryPanel::setVisible(visible);
    }

private:
    QString m_name;
    QStringList& m_log;
};

// Every list, counter and entry control in memory, wired into an AppContext, as the main window would.
struct ListFixture
{
    struct Page
    {
        MemoryNameList candidates;
        MemoryNameList results;
        MemoryNameList history;
        MemoryTextControl candidateCounter { QStringLiteral("XXXX") };
        MemoryTextControl presetCount { QStringLiteral("1") };
        MemoryTextControl drawnCount { QStringLiteral("0") };
    };

    ListFixture()
    {
        for (int i = 0; i < CategoryCount; ++i) {
            Page& page = pages[static_cast<std::size_t>(i)];
            context.category(i) = { &page.candidates,       &page.results,     &page.history,
                                    &page.candidateCounter, &page.presetCount, &page.drawnCount };
        }
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

    Page& page(int i) { return pages[static_cast<std::size_t>(i)]; }

    QStringList visibilityLog;
    LoggedPanel panel { QStringLiteral("panel"), visibilityLog };
    LoggedPanel heading { QStringLiteral("heading"), visibilityLog };
    LoggedPanel hint { QStringLiteral("hint"), visibilityLog };
    LoggedPanel textArea { QStringLiteral("text"), visibilityLog };
    LoggedPanel confirm { QStringLiteral("confirm"), visibilityLog };
    LoggedPanel close { QStringLiteral("close"), visibilityLog };
    MemoryTextControl headingCaption { QStringLiteral("手工直接录入或者复制名单：") };
    MemoryTextControl text;

    std::array<Page, CategoryCount> pages;
    FakeMessageBox messageBox;
    ScriptedRandom random;
    AppContext context;
};

// Fills a list with the given names.
inline void fill(INameList& list, const QStringList& names)
{
    list.setItems(names);
}

} // namespace pelorin::test
