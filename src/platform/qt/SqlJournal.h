#pragma once

#include "platform/IJournal.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <memory>

namespace pelorin {

// The session journal in an SQLite database, through Qt's SQL module. The schema is created and
// documented in SqlJournal.cpp.
class SqlJournal : public IJournal
{
public:
    // The version this program writes, kept in PRAGMA user_version.
    static constexpr int SchemaVersion = 3;

    enum class Fault
    {
        None,
        Unreadable, // corrupt, truncated, not a journal, from a newer program, or locked by another
        Unwritable, // the file cannot be created or written: no rights, disk full
    };

    struct Opened
    {
        std::unique_ptr<SqlJournal> journal; // set when fault is None
        Fault fault = Fault::None;
        QString reason; // in Chinese, for the user
    };

    // Opens or creates the journal at path and reads the session left unfinished, if any.
    static Opened open(const QString& path);

    ~SqlJournal() override;
    SqlJournal(const SqlJournal&) = delete;
    SqlJournal& operator=(const SqlJournal&) = delete;

    std::optional<KeptSession> unfinishedSession() override { return m_unfinished; }
    void startSession(const QDateTime& started, const QByteArray& head) override;
    void continueSession(qint64 id) override;
    bool declineSession(qint64 id) override;
    bool append(const SessionChange& record, const QByteArray& line) override;
    bool endSession(const QDateTime& ended) override;
    QString lastError() const override { return m_error; }

    QString path() const { return m_path; }

private:
    SqlJournal(QString connection, QString path);
    Fault prepare(QString& reason);
    bool readUnfinished(QString& reason);
    bool writeSession();
    bool fail(const QString& what, const QSqlError& error);

    QString m_connection;
    QString m_path;
    QSqlDatabase m_db;
    std::optional<KeptSession> m_unfinished;
    qint64 m_session = 0; // 0 until the current session is written
    QDateTime m_started;
    QByteArray m_head;
    QString m_error;
};

} // namespace pelorin
