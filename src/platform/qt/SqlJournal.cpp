#include "platform/qt/SqlJournal.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <map>

namespace pelorin {

// The journal's schema, version 3 (PRAGMA user_version = 3). Times are ISO 8601 in UTC with
// milliseconds. A session's lists and fields are rebuilt by replaying its changes in (seq, pos) order.
// Version 2 added the change type shuffle, version 3 the draw record's lines (session.head and
// command.line); earlier files are taken over, their sessions without record lines.
//
//   session       one run of the program that changed anything
//     id          1, 2, 3 ...
//     started     when the run began
//     ended       set at a normal end (Yes to the exit question)
//     declined    set when the user chose not to restore it after a crash
//     head        the header line of the session's draw record
//   command       one user command: kind as in SessionChange, category -1 for none, details a JSON object,
//                 line its line of the draw record, written in the same transaction (empty for a command
//                 that leaves none: one that changed only texts of the window)
//   list_change   type append | remove | clear | replace | shuffle; list 0 candidates, 1 results,
//                 2 history; idx the removed item's index (remove only); names a JSON array of the names
//                 (a clear's are those it removed; a shuffle has none: its command's details hold the
//                 seed that recomputes the order)
//   field_change  a text the command set: category -1 for window-level texts
static const char* const Schema[] = {
    "CREATE TABLE session (id INTEGER PRIMARY KEY, started TEXT NOT NULL, ended TEXT, declined TEXT, head TEXT)",
    "CREATE TABLE command (session INTEGER NOT NULL REFERENCES session(id), seq INTEGER NOT NULL,"
    " kind TEXT NOT NULL, category INTEGER NOT NULL, time TEXT NOT NULL, details TEXT NOT NULL, line TEXT,"
    " PRIMARY KEY (session, seq))",
    "CREATE TABLE list_change (session INTEGER NOT NULL, seq INTEGER NOT NULL, pos INTEGER NOT NULL,"
    " type TEXT NOT NULL, category INTEGER NOT NULL, list INTEGER NOT NULL, idx INTEGER, names TEXT NOT NULL,"
    " PRIMARY KEY (session, seq, pos))",
    "CREATE TABLE field_change (session INTEGER NOT NULL, seq INTEGER NOT NULL, pos INTEGER NOT NULL,"
    " category INTEGER NOT NULL, field TEXT NOT NULL, value TEXT NOT NULL, PRIMARY KEY (session, seq, pos))",
};

namespace {

const char* const TypeNames[] = { "append", "remove", "clear", "replace", "shuffle" };
constexpr int TypeCount = 5;

QString isoTime(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

int sqliteCode(const QSqlError& error)
{
    if (!error.nativeErrorCode().isEmpty())
        return error.nativeErrorCode().toInt() & 0xff;
    // Qt's driver drops the code of a failed COMMIT and keeps only SQLite's text, which SQLite fixes per code.
    static const std::pair<const char*, int> texts[] = {
        { "database or disk is full", 13 },     { "database disk image is malformed", 11 },
        { "file is not a database", 26 },       { "database is locked", 5 },
        { "database table is locked", 6 },      { "attempt to write a readonly database", 8 },
        { "unable to open database file", 14 }, { "disk I/O error", 10 },
    };
    for (const auto& [text, code] : texts)
        if (error.databaseText().contains(QLatin1String(text), Qt::CaseInsensitive))
            return code;
    return 0;
}

// What went wrong, in Chinese; SQLite's own text only as a detail where its code says nothing plainer.
QString reasonOf(const QSqlError& error)
{
    switch (sqliteCode(error)) {
    case 13: // SQLITE_FULL
        return QStringLiteral("磁盘空间已满");
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return QStringLiteral("数据库文件已损坏");
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QStringLiteral("文件正被其他程序使用");
    case 8: // SQLITE_READONLY
        return QStringLiteral("文件或文件夹是只读的，不能写入");
    case 3: // SQLITE_PERM
    case 23: // SQLITE_AUTH
        return QStringLiteral("没有访问权限");
    case 14: // SQLITE_CANTOPEN
        return QStringLiteral("无法打开文件（文件夹不存在或没有权限）");
    case 10: // SQLITE_IOERR
        return QStringLiteral("磁盘读写出错");
    default:
        return QStringLiteral("数据库出错（%1）").arg(error.text());
    }
}

SqlJournal::Fault faultOf(const QSqlError& error, QString& reason)
{
    switch (sqliteCode(error)) {
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        reason = QStringLiteral("文件已损坏或不是摇号记录");
        return SqlJournal::Fault::Unreadable;
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        reason = QStringLiteral("文件被另一个程序锁住");
        return SqlJournal::Fault::Unreadable;
    default:
        reason = QStringLiteral("无法写入（%1）").arg(reasonOf(error));
        return SqlJournal::Fault::Unwritable;
    }
}

QString namesText(const QStringList& names)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact));
}

bool parseNames(const QString& text, QStringList& names)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return false;
    const QJsonArray array = doc.array();
    names.reserve(array.size());
    for (const QJsonValue& v : array) {
        if (!v.isString())
            return false;
        names.append(v.toString());
    }
    return true;
}

} // namespace

SqlJournal::Opened SqlJournal::open(const QString& path)
{
    static QAtomicInt serial;
    const QString connection = QStringLiteral("pelorin-journal-%1").arg(serial.fetchAndAddRelaxed(1));
    std::unique_ptr<SqlJournal> journal(new SqlJournal(connection, path));
    Opened result;
    result.fault = journal->prepare(result.reason);
    if (result.fault == Fault::None)
        result.journal = std::move(journal);
    return result;
}

SqlJournal::SqlJournal(QString connection, QString path)
    : m_connection(std::move(connection))
    , m_path(std::move(path))
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=500"));
}

SqlJournal::~SqlJournal()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

SqlJournal::Fault SqlJournal::prepare(QString& reason)
{
    const bool existed = QFileInfo(m_path).size() > 0;
    if (!m_db.open()) {
        if (existed)
            return faultOf(m_db.lastError(), reason);
        reason = QStringLiteral("无法创建文件（%1）").arg(reasonOf(m_db.lastError()));
        return Fault::Unwritable;
    }
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return faultOf(q.lastError(), reason);
    const int version = q.value(0).toInt();
    if (version > SchemaVersion) {
        reason = QStringLiteral("文件由更新版本的 Pelorin 写成（格式 %1）").arg(version);
        return Fault::Unreadable;
    }
    if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next())
        return faultOf(q.lastError(), reason);
    if (q.value(0).toString() != QLatin1String("ok")) {
        reason = QStringLiteral("文件已损坏（%1）").arg(q.value(0).toString());
        return Fault::Unreadable;
    }
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next())
        return faultOf(q.lastError(), reason);
    // FULL: a committed command survives a power cut, not only a killed process.
    if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        return faultOf(q.lastError(), reason);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")) || !q.next())
        return faultOf(q.lastError(), reason);
    const int tables = q.value(0).toInt();
    if (version == 0) {
        if (tables != 0) {
            reason = QStringLiteral("文件不是摇号记录");
            return Fault::Unreadable;
        }
        if (!m_db.transaction())
            return faultOf(m_db.lastError(), reason);
        for (const char* statement : Schema)
            if (!q.exec(QString::fromLatin1(statement))) {
                const Fault fault = faultOf(q.lastError(), reason);
                m_db.rollback();
                return fault;
            }
        if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)) || !m_db.commit()) {
            const Fault fault = faultOf(q.lastError().isValid() ? q.lastError() : m_db.lastError(), reason);
            m_db.rollback();
            return fault;
        }
        return Fault::None;
    }
    if (tables != 4) {
        reason = QStringLiteral("文件内容不完整");
        return Fault::Unreadable;
    }
    if (version < 3) {
        // The record lines' columns, empty for what the earlier program kept.
        if (!m_db.transaction())
            return faultOf(m_db.lastError(), reason);
        if (!q.exec(QStringLiteral("ALTER TABLE session ADD COLUMN head TEXT"))
            || !q.exec(QStringLiteral("ALTER TABLE command ADD COLUMN line TEXT"))
            || !q.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)) || !m_db.commit()) {
            const Fault fault = faultOf(q.lastError().isValid() ? q.lastError() : m_db.lastError(), reason);
            m_db.rollback();
            return fault;
        }
    }
    if (!readUnfinished(reason)) {
        if (reason.isEmpty())
            reason = QStringLiteral("文件内容不完整");
        return Fault::Unreadable;
    }
    return Fault::None;
}

bool SqlJournal::readUnfinished(QString& reason)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT id, started, head FROM session WHERE ended IS NULL AND declined IS NULL"
                               " AND EXISTS (SELECT 1 FROM command WHERE command.session = session.id)"
                               " ORDER BY id DESC LIMIT 1"))) {
        faultOf(q.lastError(), reason);
        return false;
    }
    if (!q.next())
        return q.lastError().type() == QSqlError::NoError;
    KeptSession session;
    session.id = q.value(0).toLongLong();
    session.started = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
    session.head = q.value(2).toString().toUtf8();
    const QString corrupt = QStringLiteral("文件内容不完整");

    std::map<qint64, std::size_t> bySeq;
    q.prepare(
        QStringLiteral("SELECT seq, kind, category, time, details, line FROM command WHERE session = ? ORDER BY seq"));
    q.addBindValue(session.id);
    if (!q.exec())
        return faultOf(q.lastError(), reason), false;
    while (q.next()) {
        SessionChange record;
        record.sequence = q.value(0).toLongLong();
        record.kind = q.value(1).toString();
        record.category = q.value(2).toInt();
        record.time = QDateTime::fromString(q.value(3).toString(), Qt::ISODateWithMs);
        const QJsonDocument details = QJsonDocument::fromJson(q.value(4).toString().toUtf8());
        if (!details.isObject())
            return reason = corrupt, false;
        record.details = details.object();
        bySeq[record.sequence] = session.commands.size();
        session.commands.push_back(std::move(record));
        // A command that leaves no line in the record keeps an empty one.
        if (const QString line = q.value(5).toString(); !line.isEmpty())
            session.lines.push_back(line.toUtf8());
    }
    // A session of an earlier program has no record lines at all. A missing line of a later one breaks
    // its chain there, which the keeper finds.
    if (session.head.isEmpty())
        session.lines.clear();

    q.prepare(QStringLiteral("SELECT seq, type, category, list, idx, names FROM list_change WHERE session = ?"
                             " ORDER BY seq, pos"));
    q.addBindValue(session.id);
    if (!q.exec())
        return faultOf(q.lastError(), reason), false;
    while (q.next()) {
        const auto at = bySeq.find(q.value(0).toLongLong());
        if (at == bySeq.end())
            return reason = corrupt, false;
        ListChange change;
        const QString type = q.value(1).toString();
        int t = 0;
        while (t < TypeCount && type != QLatin1String(TypeNames[t]))
            ++t;
        const int list = q.value(3).toInt();
        if (t == TypeCount || list < 0 || list > 2 || !parseNames(q.value(5).toString(), change.names))
            return reason = corrupt, false;
        change.type = static_cast<ListChange::Type>(t);
        change.category = q.value(2).toInt();
        change.list = static_cast<ListKind>(list);
        change.index = q.value(4).isNull() ? -1 : q.value(4).toInt();
        session.commands[at->second].lists.push_back(std::move(change));
    }

    q.prepare(QStringLiteral("SELECT seq, category, field, value FROM field_change WHERE session = ?"
                             " ORDER BY seq, pos"));
    q.addBindValue(session.id);
    if (!q.exec())
        return faultOf(q.lastError(), reason), false;
    while (q.next()) {
        const auto at = bySeq.find(q.value(0).toLongLong());
        if (at == bySeq.end())
            return reason = corrupt, false;
        session.commands[at->second].fields.push_back(
            { q.value(1).toInt(), q.value(2).toString(), q.value(3).toString() });
    }
    m_unfinished = std::move(session);
    return true;
}

void SqlJournal::startSession(const QDateTime& started, const QByteArray& head)
{
    m_session = 0;
    m_started = started;
    m_head = head;
}

void SqlJournal::continueSession(qint64 id)
{
    m_session = id;
}

bool SqlJournal::declineSession(qint64 id)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE session SET declined = ? WHERE id = ?"));
    q.addBindValue(isoTime(QDateTime::currentDateTimeUtc()));
    q.addBindValue(id);
    return q.exec() || fail(QStringLiteral("标记"), q.lastError());
}

bool SqlJournal::writeSession()
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO session (started, head) VALUES (?, ?)"));
    q.addBindValue(isoTime(m_started));
    q.addBindValue(QString::fromUtf8(m_head));
    if (!q.exec())
        return fail(QStringLiteral("写入"), q.lastError());
    m_session = q.lastInsertId().toLongLong();
    return true;
}

bool SqlJournal::append(const SessionChange& record, const QByteArray& line)
{
    if (!m_db.transaction())
        return fail(QStringLiteral("写入"), m_db.lastError());
    const qint64 unwritten = m_session;
    auto abandon = [&](const QSqlQuery& q) {
        const QSqlError detail = q.lastError();
        m_db.rollback();
        m_session = unwritten;
        return fail(QStringLiteral("写入"), detail);
    };
    QSqlQuery q(m_db);
    if (m_session == 0 && !writeSession()) {
        m_db.rollback();
        return false;
    }
    q.prepare(QStringLiteral("INSERT INTO command (session, seq, kind, category, time, details, line)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(m_session);
    q.addBindValue(record.sequence);
    q.addBindValue(record.kind);
    q.addBindValue(record.category);
    q.addBindValue(isoTime(record.time));
    q.addBindValue(QString::fromUtf8(QJsonDocument(record.details).toJson(QJsonDocument::Compact)));
    q.addBindValue(QString::fromUtf8(line));
    if (!q.exec())
        return abandon(q);
    int pos = 0;
    if (!record.lists.empty()) {
        q.prepare(QStringLiteral("INSERT INTO list_change VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const ListChange& change : record.lists) {
            q.addBindValue(m_session);
            q.addBindValue(record.sequence);
            q.addBindValue(pos++);
            q.addBindValue(QString::fromLatin1(TypeNames[static_cast<int>(change.type)]));
            q.addBindValue(change.category);
            q.addBindValue(static_cast<int>(change.list));
            q.addBindValue(change.type == ListChange::Type::Remove ? QVariant(change.index) : QVariant());
            q.addBindValue(namesText(change.names));
            if (!q.exec())
                return abandon(q);
        }
    }
    if (!record.fields.empty()) {
        q.prepare(QStringLiteral("INSERT INTO field_change VALUES (?, ?, ?, ?, ?, ?)"));
        for (const FieldChange& field : record.fields) {
            q.addBindValue(m_session);
            q.addBindValue(record.sequence);
            q.addBindValue(pos++);
            q.addBindValue(field.category);
            q.addBindValue(field.field);
            q.addBindValue(field.value);
            if (!q.exec())
                return abandon(q);
        }
    }
    if (!m_db.commit()) {
        const QSqlError detail = m_db.lastError();
        m_db.rollback();
        m_session = unwritten;
        return fail(QStringLiteral("写入"), detail);
    }
    return true;
}

bool SqlJournal::endSession(const QDateTime& ended)
{
    if (m_session == 0)
        return true;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE session SET ended = ? WHERE id = ?"));
    q.addBindValue(isoTime(ended));
    q.addBindValue(m_session);
    return q.exec() || fail(QStringLiteral("写入"), q.lastError());
}

bool SqlJournal::fail(const QString& what, const QSqlError& error)
{
    m_error = QStringLiteral("无法%1摇号记录 %2：%3").arg(what, QDir::toNativeSeparators(m_path), reasonOf(error));
    return false;
}

} // namespace pelorin
