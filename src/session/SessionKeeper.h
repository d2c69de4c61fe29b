#pragma once

#include "app/CommandScope.h"
#include "app/ISessionHistory.h"
#include "platform/IJournal.h"

#include <QObject>
#include <functional>

namespace pelorin {

struct AppContext;
class SessionLists;

// Watches the lists and fields of the session and keeps what each command changed as one record: in
// memory for the draw record, and in the journal when there is one. Commands only mark where they begin
// and end (CommandScope); changes made outside any command are kept as an "edit" once the event loop
// runs again.
class SessionKeeper : public QObject, public ICommandRecorder, public ISessionHistory
{
    Q_OBJECT
public:
    // journal may be null: the session is then kept in memory only.
    SessionKeeper(AppContext& context, SessionLists& lists, IJournal* journal, QDateTime started);
    ~SessionKeeper() override;

    void commandBegan(const QString& kind, Category category) override;
    void commandEnded() override;

    QDateTime sessionStarted() const override { return m_started; }
    std::vector<CommandRecord> commands() const override { return m_records; }

    // Puts every list and field back as the kept session left them and continues that session.
    void restore(const KeptSession& session);
    // A field was edited by hand; its new text is kept soon.
    void fieldEdited();
    // Keeps changes made outside any command now.
    void flushEdits();
    // The user ended the program normally.
    void endSession();

    bool journalling() const { return m_journal != nullptr; }
    // Called once, with the reason, if the journal stops taking records; the session goes on in memory.
    void setJournalFailedHandler(std::function<void(const QString&)> handler) { m_failed = std::move(handler); }

private:
    void listChanged(const ListChange& change);
    void scheduleEdit();
    void keep(const QString& kind, Category category);
    QDateTime now() const;

    AppContext& m_context;
    SessionLists& m_lists;
    IJournal* m_journal;
    QDateTime m_started;
    std::function<void(const QString&)> m_failed;

    int m_depth = 0;
    QString m_kind;
    Category m_category = -1;
    bool m_restoring = false;
    bool m_editScheduled = false;
    std::vector<ListChange> m_pending;
    std::vector<FieldChange> m_fields; // as last kept
    std::vector<CommandRecord> m_records;
    qint64 m_sequence = 0;
};

} // namespace pelorin
