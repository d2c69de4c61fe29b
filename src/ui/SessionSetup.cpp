#include "ui/SessionSetup.h"

#include "platform/AppText.h"
#include "platform/IMessageBox.h"
#include "platform/SafeSave.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/SqlJournal.h"
#include "record/RecordWriter.h"
#include "session/SessionKeeper.h"
#include "ui/CategoryPage.h"
#include "ui/MainWindow.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QStandardPaths>

namespace pelorin {

namespace {

// Renames the journal and its write-ahead files out of the way; returns the new name, empty on failure.
QString moveAside(const QString& path, const QString& why = QStringLiteral("damaged"))
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QLatin1Char('.') + why + QLatin1Char('-') + stamp;
    for (int n = 2; QFile::exists(target); ++n)
        target = path + QStringLiteral(".%1-%2-%3").arg(why, stamp).arg(n);
    if (!QFile::rename(path, target))
        return {};
    for (const QString& suffix : { QStringLiteral("-wal"), QStringLiteral("-shm") })
        if (QFile::exists(path + suffix))
            QFile::rename(path + suffix, target + suffix);
    return target;
}

} // namespace

std::function<bool(const QString&)> SessionSetup::askOnDesktop(QWidget* parent)
{
    // The same box as every other question of the program: its buttons, No the default.
    return [parent](const QString& question) { return QtMessageBox(parent).question(question, text::windowCaption()); };
}

SessionSetup::SessionSetup(MainWindow& window, std::function<bool(const QString&)> askRestore)
    : m_window(window)
    , m_askRestore(std::move(askRestore))
{
}

SessionSetup::~SessionSetup()
{
    if (m_window.context().history == m_keeper.get())
        m_window.context().history = nullptr;
    m_keeper.reset();
    m_journal.reset();
}

QString SessionSetup::dataFolder()
{
    const QString chosen = qEnvironmentVariable("PELORIN_DATA");
    return chosen.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) : chosen;
}

bool SessionSetup::begin()
{
    const QString folder = dataFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        withoutJournal(QStringLiteral("无法创建保存摇号记录的文件夹：%1").arg(QDir::toNativeSeparators(folder)));
        return true;
    }
    m_lock = std::make_unique<QLockFile>(QDir(folder).filePath(QStringLiteral("pelorin.lock")));
    // A running program's lock never goes stale by age; a dead one's is taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            tell(QStringLiteral("Pelorin 已在运行。"));
            return false;
        }
        m_lock.reset();
        withoutJournal(QStringLiteral("无法在文件夹中写入摇号记录：%1").arg(QDir::toNativeSeparators(folder)));
        return true;
    }
    openJournal(folder);
    return true;
}

void SessionSetup::openJournal(const QString& folder)
{
    const QString path = QDir(folder).filePath(journalName());
    SqlJournal::Opened opened = SqlJournal::open(path);
    if (opened.fault == SqlJournal::Fault::Unreadable) {
        const QString reason = opened.reason;
        opened = {};
        const QString moved = moveAside(path);
        if (moved.isEmpty()) {
            withoutJournal(QStringLiteral("摇号记录文件无法读取：%1\n原因：%2\n它也无法改名移开。")
                               .arg(QDir::toNativeSeparators(path), reason));
            return;
        }
        tell(QStringLiteral("摇号记录文件无法读取：%1\n原因：%2\n原文件已改名保存为：%3\n本次从空白名单开始。")
                 .arg(QDir::toNativeSeparators(path), reason, QDir::toNativeSeparators(moved)));
        opened = SqlJournal::open(path);
    }
    if (opened.fault != SqlJournal::Fault::None) {
        withoutJournal(
            QStringLiteral("无法写入摇号记录文件：%1\n原因：%2").arg(QDir::toNativeSeparators(path), opened.reason));
        return;
    }
    if (const std::optional<KeptSession> kept = opened.journal->unfinishedSession()) {
        if (const int broken = SessionKeeper::chainBreak(*kept)) {
            // Someone changed the journal after the commands were written: it is never restored, and its
            // record as it stands goes beside it, where a verifier shows the line that breaks.
            opened = {};
            const QString record = QDir(folder).filePath(
                QStringLiteral("摇号记录_记录链断开_%1.jsonl")
                    .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"))));
            const QString saved = files::saveBytes(record, record::closeChain({ kept->head, kept->lines }).bytes);
            const QString moved = moveAside(path, QStringLiteral("broken"));
            if (moved.isEmpty()) {
                withoutJournal(
                    QStringLiteral("上次摇号的记录链在第 %1 行断开：摇号记录文件在写成之后被改动过，不能恢复。\n"
                                   "文件：%2\n它也无法改名移开。")
                        .arg(broken)
                        .arg(QDir::toNativeSeparators(path)));
                return;
            }
            tell(QStringLiteral("上次摇号的记录链在第 %1 行断开：摇号记录文件在写成之后被改动过，不能恢复。\n"
                                "原文件已改名保存为：%2\n%3\n本次从空白名单开始。")
                     .arg(broken)
                     .arg(QDir::toNativeSeparators(moved),
                          saved.isEmpty() ? QStringLiteral("那次摇号的记录已另存为：%1（可用 pelorin --verify 核验）")
                                                .arg(QDir::toNativeSeparators(record))
                                          : QStringLiteral("那次摇号的记录无法另存：%1").arg(saved)));
            opened = SqlJournal::open(path);
            if (opened.fault != SqlJournal::Fault::None) {
                withoutJournal(QStringLiteral("无法写入摇号记录文件：%1\n原因：%2")
                                   .arg(QDir::toNativeSeparators(path), opened.reason));
                return;
            }
        }
    }
    m_journal = std::move(opened.journal);
    m_keeper = std::make_unique<SessionKeeper>(m_window.session(), m_journal.get(), m_window.context().services.clock,
                                               QDateTime());
    m_keeper->setJournalFailedHandler([this](const QString& reason) { withoutJournal(reason); });
    m_window.context().history = m_keeper.get();
}

void SessionSetup::withoutJournal(const QString& message)
{
    tell(message + QStringLiteral("\n\n本次摇号的名单和结果不会保存到磁盘。"));
    m_window.setWindowTitle(text::windowCaption() + QStringLiteral("（未保存记录）"));
    if (!m_keeper) {
        m_keeper = std::make_unique<SessionKeeper>(m_window.session(), nullptr, m_window.context().services.clock,
                                                   QDateTime());
        m_window.context().history = m_keeper.get();
    }
}

void SessionSetup::tell(const QString& message)
{
    m_window.context().services.messageBox->information(message, text::windowCaption());
}

void SessionSetup::offerRestore()
{
    if (!m_journal)
        return;
    const std::optional<KeptSession> kept = m_journal->unfinishedSession();
    if (!kept)
        return;
    const QString began = kept->started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (m_askRestore(QStringLiteral("上次摇号未正常结束（%1），是否恢复当时的名单和结果？").arg(began))) {
        if (m_keeper->restore(*kept))
            tell(QStringLiteral("已恢复上次的名单和结果。那次摇号由较早版本的 Pelorin 保存，没有随操作写下的摇号记录；"
                                "它的摇号记录由保存的操作重新生成。"));
    } else
        m_journal->declineSession(kept->id);
}

void SessionSetup::end()
{
    if (m_keeper)
        m_keeper->endSession();
}

} // namespace pelorin
