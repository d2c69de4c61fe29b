#include "session/SessionKeeper.h"

#include "app/AppContext.h"
#include "lists/SessionLists.h"
#include "platform/IClock.h"
#include "session/CompactShuffle.h"
#include "session/SessionFields.h"
#include "session/SessionSnapshot.h"

namespace pelorin {

SessionKeeper::SessionKeeper(AppContext& context, SessionLists& lists, IJournal* journal, QDateTime started)
    : m_context(context)
    , m_lists(lists)
    , m_journal(journal)
    , m_started(started.toUTC())
    , m_fields(sessionfields::read(context))
{
    connect(&m_lists, &SessionLists::changed, this, &SessionKeeper::listChanged);
    if (m_journal)
        m_journal->startSession(m_started);
    m_context.recorder = this;
    m_context.history = this;
}

SessionKeeper::~SessionKeeper()
{
    if (m_context.recorder == this)
        m_context.recorder = nullptr;
    if (m_context.history == this)
        m_context.history = nullptr;
}

void SessionKeeper::commandBegan(const QString& kind, Category category)
{
    if (m_depth++ > 0)
        return;
    // Whatever changed before this command was not part of it.
    keep(QStringLiteral("edit"), -1);
    m_kind = kind;
    m_category = category;
}

void SessionKeeper::commandEnded()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    keep(m_kind, m_category);
}

void SessionKeeper::listChanged(const ListChange& change)
{
    if (m_restoring)
        return;
    m_pending.push_back(change);
    if (m_depth == 0)
        scheduleEdit();
}

void SessionKeeper::fieldEdited()
{
    if (m_depth == 0 && !m_restoring)
        scheduleEdit();
}

void SessionKeeper::scheduleEdit()
{
    if (m_editScheduled)
        return;
    m_editScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_editScheduled = false;
            flushEdits();
        },
        Qt::QueuedConnection);
}

void SessionKeeper::flushEdits()
{
    if (m_depth == 0)
        keep(QStringLiteral("edit"), -1);
}

void SessionKeeper::keep(const QString& kind, Category category)
{
    CommandRecord record;
    record.details = m_context.notes.take();
    std::vector<FieldChange> fields = sessionfields::read(m_context);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (i >= m_fields.size() || !(fields[i] == m_fields[i]))
            record.fields.push_back(fields[i]);
    record.lists.swap(m_pending);
    if (record.lists.empty() && record.fields.empty() && record.details.isEmpty())
        return;
    m_fields = std::move(fields);
    record.sequence = ++m_sequence;
    record.kind = kind;
    record.category = category;
    record.time = now();
    compactShuffle(record);
    m_records.push_back(record);
    if (m_journal && !m_journal->append(record)) {
        const QString reason = m_journal->lastError();
        m_journal = nullptr;
        if (m_failed)
            m_failed(reason);
    }
}

void SessionKeeper::restore(const KeptSession& session)
{
    const SessionSnapshot snapshot = SessionSnapshot::replay(session.commands);
    m_restoring = true;
    for (Category i = 0; i < CategoryCount; ++i)
        for (ListKind kind : { ListKind::Candidates, ListKind::Results, ListKind::History })
            m_lists.list(i, kind).setItems(snapshot.list(i, kind));
    sessionfields::write(m_context, snapshot.fieldChanges());
    m_restoring = false;
    m_pending.clear();
    m_fields = sessionfields::read(m_context);
    m_records = session.commands;
    m_sequence = m_records.empty() ? 0 : m_records.back().sequence;
    m_started = session.started;
    if (m_journal)
        m_journal->continueSession(session.id);
}

void SessionKeeper::endSession()
{
    flushEdits();
    if (m_journal && !m_journal->endSession(now())) {
        m_journal = nullptr;
    }
}

QDateTime SessionKeeper::now() const
{
    const IClock* clock = m_context.services.clock;
    return (clock ? clock->now() : QDateTime::currentDateTime()).toUTC();
}

} // namespace pelorin
