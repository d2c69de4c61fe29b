#pragma once

#include "app/AppContext.h"
#include "fakes/MemoryControls.h"

#include <QList>
#include <QStringList>
#include <array>

namespace pelorin::test {

// One category page's lists and counters in memory, with the texts they have at start-up.
struct MemoryPage
{
    MemoryNameList candidates;
    MemoryNameList results;
    MemoryNameList history;
    MemoryTextControl candidateCounter { QStringLiteral("XXXX") };
    MemoryTextControl presetCount { QStringLiteral("1") };
    MemoryTextControl drawnCount { QStringLiteral("0") };
};

// The seven pages, wired into a context as the main window wires the real ones.
struct MemoryPages
{
    explicit MemoryPages(AppContext& context)
    {
        for (int i = 0; i < CategoryCount; ++i) {
            MemoryPage& p = pages[static_cast<std::size_t>(i)];
            context.category(i)
                = { &p.candidates, &p.results, &p.history, &p.candidateCounter, &p.presetCount, &p.drawnCount };
        }
    }
    MemoryPage& operator[](int i) { return pages[static_cast<std::size_t>(i)]; }

    std::array<MemoryPage, CategoryCount> pages;
};

// A panel that writes "name+" or "name-" to a shared log when it is shown or hidden, and keeps every
// place it was moved to.
class LoggingPanel : public MemoryPanel
{
public:
    LoggingPanel(QString name, QStringList& log)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    void setVisible(bool visible) override
    {
        m_log.append(m_name + (visible ? u'+' : u'-'));
        MemoryPanel::setVisible(visible);
    }
    void setBounds(const QRect& twips) override
    {
        boundsSet.append(twips);
        MemoryPanel::setBounds(twips);
    }
    QList<QRect> boundsSet;

private:
    QString m_name;
    QStringList& m_log;
};

} // namespace pelorin::test
