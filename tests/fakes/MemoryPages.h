#pragma once

#include "commands/AppContext.h"
#include "fakes/MemoryControls.h"
#include "model/Session.h"
#include "model/SessionFields.h"

#include <QList>
#include <QStringList>
#include <vector>

namespace pelorin::test {

// One list of the session as a test fills, reads and selects it. Filling applies a change as a restore
// would: nothing is announced, so a test's set-up leaves no change in the session's history.
class SessionList
{
public:
    SessionList(Session& session, Category category, ListKind kind)
        : m_session(session)
        , m_category(category)
        , m_kind(kind)
    {
    }

    QStringList items() const { return m_session.names(m_category, m_kind); }
    int count() const { return m_session.count(m_category, m_kind); }
    QString textAt(int index) const { return items().value(index); }
    int selectedIndex() const { return m_selected; }
    void setSelectedIndex(int index) { m_selected = index; }
    void setItems(const QStringList& names) { put(ListChange::Type::Replace, names); }
    void removeAt(int index) { put(ListChange::Type::Remove, { textAt(index) }, index); }

private:
    void put(ListChange::Type type, const QStringList& names, int index = -1)
    {
        SessionChange change;
        change.lists.push_back({ type, m_category, m_kind, index, names });
        m_session.apply(change);
        m_selected = -1;
    }

    Session& m_session;
    Category m_category;
    ListKind m_kind;
    int m_selected = -1;
};

// One of a page's counters as the session shows it; setting it applies the text as a restore would.
class SessionText
{
public:
    SessionText(Session& session, Category category, QString field)
        : m_session(session)
        , m_category(category)
        , m_field(std::move(field))
    {
    }

    QString text() const
    {
        if (m_field == sessionfields::CandidateCounter)
            return m_session.candidateCounterText(m_category);
        return m_field == sessionfields::PresetCount ? m_session.presetText(m_category)
                                                     : m_session.drawnText(m_category);
    }
    void setText(const QString& text)
    {
        SessionChange change;
        change.fields.push_back({ m_category, m_field, text });
        m_session.apply(change);
    }

private:
    Session& m_session;
    Category m_category;
    QString m_field;
};

// One category page's lists and counters, as the session holds them.
struct MemoryPage
{
    MemoryPage(Session& session, Category i)
        : candidates(session, i, ListKind::Candidates)
        , results(session, i, ListKind::Results)
        , history(session, i, ListKind::History)
        , candidateCounter(session, i, sessionfields::CandidateCounter)
        , presetCount(session, i, sessionfields::PresetCount)
        , drawnCount(session, i, sessionfields::DrawnCount)
    {
    }

    SessionList candidates;
    SessionList results;
    SessionList history;
    SessionText candidateCounter;
    SessionText presetCount;
    SessionText drawnCount;
};

// A session of seven pages, wired into a context as the main window wires the real one.
struct MemoryPages
{
    explicit MemoryPages(AppContext& context)
        : pages(makePages(session))
    {
        context.session = &session;
    }
    MemoryPage& operator[](int i) { return pages[static_cast<std::size_t>(i)]; }

    static std::vector<MemoryPage> makePages(Session& session)
    {
        std::vector<MemoryPage> made;
        for (Category i = 0; i < CategoryCount; ++i)
            made.emplace_back(session, i);
        return made;
    }

    Session session;
    std::vector<MemoryPage> pages;
};

} // namespace pelorin::test
