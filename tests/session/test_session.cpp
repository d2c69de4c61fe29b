#include "draw/DrawFixture.h"
#include "fakes/CandidateWorkbook.h"
#include "fakes/CountingSeeds.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDesktop.h"
#include "fakes/TinyDisk.h"
#include "model/ChangeNotes.h"
#include "model/Session.h"
#include "platform/INameList.h"
#include "platform/ITextControl.h"
#include "platform/qt/SqlJournal.h"
#include "record/RecordFormat.h"
#include "record/RecordVerifier.h"
#include "session/SessionKeeper.h"
#include "ui/CategoryPage.h"
#include "ui/Commands.h"
#include "ui/DrawWindowPanel.h"
#include "ui/MainWindow.h"
#include "ui/NameListView.h"
#include "ui/SessionSetup.h"
#include "workbook/Spreadsheet.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace pelorin;
using namespace pelorin::test;

namespace {

// Everything of the session a window shows: lists, page fields and the window-level texts.
QStringList shownState(MainWindow& w)
{
    QStringList state;
    for (Category i = 0; i < CategoryCount; ++i) {
        CategoryPage* p = w.page(i);
        for (NameListView* list : { p->candidates, p->results, p->history })
            state << QStringLiteral("%1:").arg(i) + list->items().join(u'|') + QString::number(list->count());
        state << p->candidateCounter->text() << p->presetCount->text() << p->drawnCount->text();
    }
    const ExportTexts& s = w.session().exportTexts();
    state << s.sourceFolder << s.sourceFileTail << s.importStamp << s.exportPath
          << QString::number(w.session().currentCategory()) << QString::number(s.hasImportedCandidates);
    return state;
}

// One run of the program: a window with fakes and its kept session.
struct Run
{
    FakeDesktop desk;
    CountingSeeds seeds; // real seeded shuffles, kept as their seeds
    MainWindow window { seeded(), &desk.timer };
    bool answer = true;
    QStringList asked;
    SessionSetup setup { window, [this](const QString& q) {
                            asked << q;
                            return answer;
                        } };
    Run()
    {
        window.setExitHandler([] {});
    }
    Services seeded()
    {
        Services s = desk.services();
        s.seeds = &seeds;
        return s;
    }
};

int userVersion(const QString& path)
{
    int version = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next())
                version = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return version;
}

} // namespace

class SessionTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString journalPath() const { return m_dir.filePath(SessionSetup::journalName()); }
    void wipe()
    {
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

private slots:
    void init()
    {
        wipe();
        qputenv("PELORIN_DATA", m_dir.path().toUtf8());
    }

    void recordsOneUnitPerCommand()
    {
        Run run;
        QVERIFY(run.setup.begin());
        SessionKeeper& keeper = run.setup.keeper();
        Session& session = run.window.session();
        {
            Session::Command outer(session, QStringLiteral("import"), 2);
            session.replaceCandidates(2, { QStringLiteral("甲"), QString(), QStringLiteral("甲") });
            session.note(QStringLiteral("sha256"), QStringLiteral("ab12"));
            {
                Session::Command inner(session, QStringLiteral("clear"), 2); // belongs to the import
                session.setPreset(2, QStringLiteral("1"));
            }
            QCOMPARE(keeper.commands().size(), std::size_t(0));
        }
        {
            Session::Command nothing(session, QStringLiteral("shuffle"), 2);
        }
        session.appendNames(2, ListKind::Results, { QStringLiteral("乙") }); // outside any command

        const std::vector<SessionChange> records = keeper.commands();
        QCOMPARE(records.size(), std::size_t(2));
        QCOMPARE(records[0].kind, QStringLiteral("import"));
        QCOMPARE(records[0].category, 2);
        QCOMPARE(records[0].sequence, 1);
        QCOMPARE(records[0].details.value(QStringLiteral("sha256")).toString(), QStringLiteral("ab12"));
        QCOMPARE(records[0].lists.size(), std::size_t(1));
        QCOMPARE(records[0].lists[0].type, ListChange::Type::Replace);
        QCOMPARE(records[0].fields.size(), std::size_t(1));
        QCOMPARE(records[0].fields[0], (FieldChange { 2, QStringLiteral("candidateCounter"), QStringLiteral("3") }));
        QCOMPARE(records[1].kind, QStringLiteral("edit"));
        QCOMPARE(records[1].lists[0].names, QStringList { QStringLiteral("乙") });

        // Details and every change come back from disk as they went in.
        const SqlJournal::Opened reopened = SqlJournal::open(journalPath());
        QVERIFY(reopened.journal);
        const std::optional<KeptSession> kept = reopened.journal->unfinishedSession();
        QVERIFY(kept);
        QCOMPARE(kept->commands.size(), std::size_t(2));
        QCOMPARE(kept->commands[0].details, records[0].details);
        QCOMPARE(kept->commands[0].lists, records[0].lists);
        QCOMPARE(kept->commands[0].fields, records[0].fields);
        QCOMPARE(kept->commands[1].lists, records[1].lists);
        QCOMPARE(kept->commands[0].time, records[0].time);
        QCOMPARE(userVersion(journalPath()), SqlJournal::SchemaVersion);
    }

    void aShuffleIsKeptAsItsSeed()
    {
        // Duplicates and empty names, and a list that fills more than one of the stream's buffers.
        QStringList names = { "甲", "", "乙", "甲", "", "丙" };
        for (int i = 0; i < 3000; ++i)
            names << QString("企业%1").arg(i % 1000);
        QStringList wheel;
        qint64 startSeq = 0;
        {
            Run run;
            QVERIFY(run.setup.begin());
            run.window.show();
            run.window.session().replaceCandidates(4, names);
            run.window.page(4)->presetCount->setText("2");
            QTest::mouseClick(run.window.page(4)->drawButton, Qt::LeftButton);
            QVERIFY(run.window.drawWindow()->isVisible());
            wheel = run.window.session().names(4, ListKind::Candidates);
            QVERIFY(wheel != names);
            const SessionChange start = run.setup.keeper().commands().back();
            QCOMPARE(start.kind, "start");
            QCOMPARE(start.lists.size(), std::size_t(1));
            QCOMPARE(start.lists[0].type, ListChange::Type::Shuffle);
            QVERIFY(start.lists[0].names.isEmpty());
            startSeq = start.sequence;
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "shuffle");
            db.setDatabaseName(journalPath());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QString("SELECT type, names FROM list_change WHERE seq = %1").arg(startSeq)));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), "shuffle");
            QCOMPARE(q.value(1).toString(), "[]");
        }
        QSqlDatabase::removeDatabase("shuffle");
        // The crash: the restore recomputes the wheel from the list and the seed.
        Run next;
        QVERIFY(next.setup.begin());
        next.setup.offerRestore();
        QCOMPARE(next.window.session().names(4, ListKind::Candidates), wheel);
    }

    void aShuffleThatKeepsTheOrderIsStillAShuffle()
    {
        // Two equal names come out of every shuffle as they went in: the seed is still noted, and the
        // change carries the shuffle, so a replay meets the seed it was given.
        Session session;
        std::vector<SessionChange> changes;
        connect(&session, &Session::changed, [&](const SessionChange& c) { changes.push_back(c); });
        session.appendNames(1, ListKind::Candidates, { "甲", "甲" });
        CountingSeeds seeds;
        session.shuffle(1, seeds.newSeed());
        QCOMPARE(changes.size(), std::size_t(2));
        QCOMPARE(changes[1].lists.size(), std::size_t(1));
        QCOMPARE(changes[1].lists[0].type, ListChange::Type::Shuffle);
        QCOMPARE(changes[1].details.value(shufflenotes::Count).toInt(), 2);

        session.appendNames(1, ListKind::Candidates, { "乙", "丙", "丁" });
        session.shuffle(1, seeds.newSeed());
        Session restored;
        restored.restore(changes);
        QCOMPARE(restored.names(1, ListKind::Candidates), session.names(1, ListKind::Candidates));
        QCOMPARE(restored.candidateCounterText(1), QStringLiteral("5"));
    }

    void aJournalOfTheEarlierProgramRestores()
    {
        // Written by the program before the session model, killed after its last command.
        QVERIFY(QFile::copy(PELORIN_TEST_DATA "/earlier/session.sqlite", journalPath()));
        QFile::setPermissions(journalPath(), QFile::ReadOwner | QFile::WriteOwner);
        QFile stateFile(PELORIN_TEST_DATA "/earlier/session-state.json");
        QVERIFY(stateFile.open(QIODevice::ReadOnly));
        const QJsonObject shown = QJsonDocument::fromJson(stateFile.readAll()).object();
        Run run;
        QVERIFY(run.setup.begin());
        run.setup.offerRestore();
        QCOMPARE(run.asked.size(), 1);
        const Session& session = run.window.session();
        const QJsonArray pages = shown.value("pages").toArray();
        for (Category i = 0; i < CategoryCount; ++i) {
            const QJsonObject page = pages.at(i).toObject();
            QCOMPARE(session.names(i, ListKind::Candidates), page.value("candidates").toVariant().toStringList());
            QCOMPARE(session.names(i, ListKind::Results), page.value("results").toVariant().toStringList());
            QCOMPARE(session.names(i, ListKind::History), page.value("history").toVariant().toStringList());
            QCOMPARE(run.window.page(i)->candidateCounter->text(), page.value("candidateCounter").toString());
            QCOMPARE(run.window.page(i)->presetCount->text(), page.value("presetCount").toString());
            QCOMPARE(run.window.page(i)->drawnCount->text(), page.value("drawnCount").toString());
        }
        QCOMPARE(session.exportTexts().exportPath, shown.value("ExportPath").toString());
        QCOMPARE(session.exportTexts().sourceFolder, shown.value("SourceFolder").toString());
        QCOMPARE(session.currentCategory(), shown.value("CurCategory").toInt());
        QCOMPARE(session.count(3, ListKind::Results), 1);
    }

    void aJournalOfTheFirstFormatIsTakenOver()
    {
        {
            Run run;
            QVERIFY(run.setup.begin());
            run.window.session().replaceCandidates(0, { "甲", "乙" });
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "old");
            db.setDatabaseName(journalPath());
            QVERIFY(db.open());
            // The first format: no record lines.
            QVERIFY(QSqlQuery(db).exec("ALTER TABLE command DROP COLUMN line"));
            QVERIFY(QSqlQuery(db).exec("ALTER TABLE session DROP COLUMN head"));
            QVERIFY(QSqlQuery(db).exec("PRAGMA user_version = 1"));
        }
        QSqlDatabase::removeDatabase("old");
        Run next;
        QVERIFY(next.setup.begin());
        next.setup.offerRestore();
        QCOMPARE(next.window.session().names(0, ListKind::Candidates), QStringList({ "甲", "乙" }));
        QCOMPARE(userVersion(journalPath()), 3);
    }

    void restoresEveryListAndFieldAfterACrash()
    {
        QTemporaryDir files;
        const QString candidates = files.filePath("企业.xlsx");
        QVERIFY(writeCandidateWorkbook(candidates, { "甲公司", "乙公司", "丙公司", "丁公司", "乙公司", "戊公司" }));
        QStringList before;
        {
            Run run;
            QVERIFY(run.setup.begin());
            run.window.show();
            CategoryPage* page = run.window.page(3);
            run.desk.fileDialog.chooseNext(candidates);
            QTest::mouseClick(page->importCandidates, Qt::LeftButton);
            run.window.session().appendNames(5, ListKind::History, { "旧", "", "旧" });
            QLineEdit* preset = page->presetCount;
            preset->selectAll();
            QTest::keyClicks(preset, "3");
            QCoreApplication::processEvents();
            QTest::mouseClick(page->drawButton, Qt::LeftButton);
            run.desk.timer.fire(12);
            QTest::mouseClick(run.window.drawWindow()->startStop, Qt::LeftButton); // stop: one drawn
            QTest::mouseClick(run.window.drawWindow()->startStop, Qt::LeftButton); // rolling again
            run.desk.timer.fire(5);
            QVERIFY(run.window.drawWindow()->isVisible());
            QCOMPARE(page->results->count(), 1);
            before = shownState(run.window);
            // The run ends here without end(): as if the process were killed while the wheel rolls.
        }
        Run next;
        QVERIFY(next.setup.begin());
        QVERIFY(shownState(next.window) != before);
        next.setup.offerRestore();
        QCOMPARE(next.asked.size(), 1);
        QVERIFY(next.asked[0].startsWith("上次摇号未正常结束（"));
        QVERIFY(next.asked[0].endsWith("），是否恢复当时的名单和结果？"));
        QCOMPARE(shownState(next.window), before);
        QVERIFY(!next.window.drawWindow()->isVisible());
        QCOMPARE(next.window.page(3)->presetCount->text(), "3");
        QCOMPARE(next.window.page(3)->drawnCount->text(), "1");
        // The restored session goes on: its commands are the old ones and the new ones.
        const std::size_t restored = next.setup.keeper().commands().size();
        QTest::mouseClick(next.window.page(3)->clearResults, Qt::LeftButton);
        QCOMPARE(next.setup.keeper().commands().size(), restored + 1);
        QCOMPARE(next.setup.keeper().commands().back().sequence, qint64(restored + 1));
        next.setup.end();
    }

    // The record is written with the commands and shown to the room as it grows; a journal changed
    // afterwards is never restored. Its record goes beside it as it stands: intact when only the changes
    // were edited, broken at the edited line when a line was.
    void anEditedJournalIsNeverRestored_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("recordHolds");
        QTest::newRow("a drawn name") << "UPDATE list_change SET names = '[\"假公司\"]' WHERE list = 1" << true;
        QTest::newRow("a line") << "UPDATE command SET line = replace(line, '\"kind\":\"stop\"', '\"kind\":\"stop\" ')"
                                   " WHERE kind = 'stop'"
                                << false;
    }
    void anEditedJournalIsNeverRestored()
    {
        QFETCH(QString, edit);
        QFETCH(bool, recordHolds);
        QString shown;
        {
            Run run;
            QVERIFY(run.setup.begin());
            run.window.show();
            {
                Session::Command typed(run.window.session(), "manualEntry", 2);
                run.window.session().appendNames(2, ListKind::Candidates, { "甲", "乙", "丙" });
            }
            QTest::mouseClick(run.window.page(2)->drawButton, Qt::LeftButton);
            run.desk.timer.fire(50);
            QTest::mouseClick(run.window.drawWindow()->startStop, Qt::LeftButton);
            QCOMPARE(run.window.page(2)->results->count(), 1);
            const record::Chain& chain = run.setup.keeper().chain();
            const QString hash = record::lineHash(chain.lines.back());
            shown = run.window.drawWindow()->recordCode->text();
            QCOMPARE(shown, "记录校验码：" + hash.left(4) + " " + hash.mid(4, 4));
            // The record is a copy of the chain as it was written.
            QVERIFY(run.window.commands().record.writeRecordInto(m_dir.path()));
            const QStringList records = QDir(m_dir.path()).entryList({ "摇号记录_*.jsonl" });
            QCOMPARE(records.size(), 1);
            QFile written(m_dir.filePath(records[0]));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QVERIFY(written.readAll().startsWith(chain.head + '\n' + chain.lines.front() + '\n'));
            written.remove();
        }
        {
            // Another name in the results, as someone with the sqlite3 tool could write it.
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "edit");
            db.setDatabaseName(journalPath());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(edit));
            QCOMPARE(q.numRowsAffected(), 1);
        }
        QSqlDatabase::removeDatabase("edit");
        Run next;
        QVERIFY(next.setup.begin());
        next.setup.offerRestore();
        QVERIFY(next.asked.isEmpty());
        QCOMPARE(next.window.session().count(2, ListKind::Results), 0);
        const QStringList told = next.desk.messageBox.texts();
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith("上次摇号的记录链在第 "), qPrintable(told[0]));
        QCOMPARE(QDir(m_dir.path()).entryList({ "session.sqlite.broken-*" }).size(), 1);
        const QStringList kept = QDir(m_dir.path()).entryList({ "摇号记录_记录链断开_*.jsonl" });
        QCOMPARE(kept.size(), 1);
        QFile record(m_dir.filePath(kept[0]));
        QVERIFY(record.open(QIODevice::ReadOnly));
        const record::VerifyReport report = record::verifyRecord(record);
        if (recordHolds) {
            QVERIFY(report.outcome == record::VerifyReport::Outcome::Holds);
            QVERIFY(report.summary.categories[2].draws[0].name != "假公司");
        } else {
            QVERIFY(report.outcome == record::VerifyReport::Outcome::Broken);
            QVERIFY(told[0].contains(QStringLiteral("第 %1 行").arg(report.line)));
        }
    }

    // The session and its record without a window: the draw window's commands over memory controls, the
    // keeper with a fake clock and counted seeds; the record it wrote names what the session drew.
    void aSessionWithoutAWindowMakesARecordThatVerifies()
    {
        DrawFixture f;
        FakeClock clock;
        CountingSeeds seeds;
        f.context.services.clock = &clock;
        f.context.services.seeds = &seeds;
        Session& session = f.pages.session;
        SessionKeeper keeper(session, nullptr, &clock, clock.time);
        f.context.history = &keeper;
        {
            Session::Command typed(session, "manualEntry", 4);
            session.appendNames(4, ListKind::Candidates, { "甲", "乙", "丙", "丁", "戊" });
        }
        session.setPreset(4, "2");
        f.controller.open(4);
        f.drawAt(100);
        clock.time = clock.time.addSecs(3);
        f.controller.startStop();
        f.drawAt(250);
        QCOMPARE(session.count(4, ListKind::Results), 2);
        QVERIFY(!session.progress().isOpen());
        QCOMPARE(session.progress().recordCode(), record::roomCode(keeper.chain().last()));

        QBuffer file;
        file.setData(record::closeChain(keeper.chain()).bytes);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const record::VerifyReport report = record::verifyRecord(file);
        QVERIFY2(report.outcome == record::VerifyReport::Outcome::Holds, qPrintable(report.reason));
        QStringList drawn;
        for (const auto& draw : report.summary.categories[4].draws)
            drawn << draw.name;
        QCOMPARE(drawn, session.names(4, ListKind::Results));
    }

    void normalEndOrNoIsNotOfferedAgain()
    {
        {
            Run run;
            QVERIFY(run.setup.begin());
            run.window.session().appendNames(0, ListKind::Candidates, { "甲" });
            QCoreApplication::processEvents();
            run.setup.end();
        }
        {
            Run run;
            QVERIFY(run.setup.begin());
            run.setup.offerRestore();
            QVERIFY(run.asked.isEmpty());
            run.window.session().appendNames(0, ListKind::Candidates, { "乙" });
            QCoreApplication::processEvents();
        }
        {
            Run run;
            run.answer = false;
            QVERIFY(run.setup.begin());
            run.setup.offerRestore();
            QCOMPARE(run.asked.size(), 1);
            QCOMPARE(run.window.page(0)->candidates->count(), 0);
        }
        Run run;
        QVERIFY(run.setup.begin());
        run.setup.offerRestore();
        QVERIFY(run.asked.isEmpty());
    }

    void secondProgramIsTurnedAway()
    {
        Run first;
        QVERIFY(first.setup.begin());
        Run second;
        QVERIFY(!second.setup.begin());
        QCOMPARE(second.desk.messageBox.lastText(), "Pelorin 已在运行。");
    }

    void staleLockOfADeadProgramDoesNotBlock()
    {
        // A lock file naming a process that no longer runs, on this machine: an empty host name is this one
        // for every system (Windows names itself by COMPUTERNAME, not by the host name).
        QFile lock(m_dir.filePath("pelorin.lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("999999\npelorin\n\n");
        lock.close();
        Run run;
        QVERIFY(run.setup.begin());
    }

    void damagedJournalIsMovedAsideAndTheRunStartsEmpty_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not a database") << QByteArray(8192, 'x');
        QByteArray header("SQLite format 3\0", 16);
        QTest::newRow("header only") << header + QByteArray(84, '\0');
    }
    void damagedJournalIsMovedAsideAndTheRunStartsEmpty()
    {
        QFETCH(QByteArray, bytes);
        QFile file(journalPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        Run run;
        QVERIFY(run.setup.begin());
        QVERIFY(run.desk.messageBox.lastText().contains(QDir::toNativeSeparators(journalPath())));
        const QStringList aside = QDir(m_dir.path()).entryList({ "session.sqlite.damaged-*" });
        QCOMPARE(aside.size(), 1);
        QFile moved(m_dir.filePath(aside[0]));
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), bytes);
        QVERIFY(run.setup.keeper().journalling());
    }

    void newerJournalIsNotTouched()
    {
        {
            Run run;
            QVERIFY(run.setup.begin());
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(journalPath());
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 99"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        const SqlJournal::Opened opened = SqlJournal::open(journalPath());
        QCOMPARE(opened.fault, SqlJournal::Fault::Unreadable);
        QVERIFY(opened.reason.contains("更新版本"));
        QCOMPARE(userVersion(journalPath()), 99);
    }

    void truncatedOrFlippedJournalNeverCrashes()
    {
        {
            Run run;
            QVERIFY(run.setup.begin());
            for (int k = 0; k < 40; ++k) {
                run.window.session().appendNames(k % 7, ListKind::Candidates,
                                                 { QString::number(k), QString(k * 20, u'名') });
                QCoreApplication::processEvents();
            }
        }
        QFile original(journalPath());
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        original.close();
        QVERIFY(bytes.size() > 4096);
        QTemporaryDir scratch;
        const QString path = scratch.filePath("j.sqlite");
        int unreadable = 0;
        auto tryOpen = [&](const QByteArray& content) {
            QFile::remove(path);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
            f.close();
            const SqlJournal::Opened opened = SqlJournal::open(path);
            if (opened.fault != SqlJournal::Fault::None) {
                ++unreadable;
                QVERIFY(!opened.reason.isEmpty());
            }
            QVERIFY(QFile::exists(path));
        };
        for (qsizetype cut = bytes.size() - 1; cut > bytes.size() - 3 * 4096 && cut > 0; cut -= 97)
            tryOpen(bytes.left(cut));
        for (qsizetype at = 0; at < bytes.size(); at += 211) {
            QByteArray flipped = bytes;
            flipped[at] = static_cast<char>(flipped[at] ^ 0x5a);
            tryOpen(flipped);
        }
        QVERIFY(unreadable > 0);
    }

    void aFullDiskIsToldInChinese()
    {
        TinyDisk disk(1024);
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        const SqlJournal::Opened opened = SqlJournal::open(disk.filePath("session.sqlite"));
        QVERIFY2(opened.journal, qPrintable(opened.reason));
        opened.journal->startSession(QDateTime::currentDateTimeUtc(), "{}");
        disk.fill();
        SessionChange record;
        record.kind = "edit";
        record.time = QDateTime::currentDateTimeUtc();
        record.lists.push_back({ ListChange::Type::Append, 0, ListKind::Candidates, -1, QStringList(500, "某某公司") });
        bool kept = true;
        for (int sequence = 1; kept && sequence < 100; ++sequence) {
            record.sequence = sequence;
            kept = opened.journal->append(record, "{}");
        }
        QVERIFY(!kept);
        QCOMPARE(opened.journal->lastError(), "无法写入摇号记录 " + disk.filePath("session.sqlite") + "：磁盘空间已满");
    }

    void unwritableFolderGoesOnWithoutJournal()
    {
        QFile blocker(m_dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("PELORIN_DATA", m_dir.filePath("blocker/inside").toUtf8());
        Run run;
        QVERIFY(run.setup.begin());
        QCOMPARE(run.window.windowTitle(), "Pelorinv1.0_PC版（未保存记录）");
        QCOMPARE(run.desk.messageBox.shown.size(), 1);
        QVERIFY(!run.setup.keeper().journalling());
        run.window.session().appendNames(0, ListKind::Candidates, { "甲" });
        QTest::mouseClick(run.window.page(0)->clearCandidates, Qt::LeftButton);
        QCOMPARE(run.window.page(0)->candidates->count(), 0);
    }
};

QTEST_MAIN(SessionTest)
#include "test_session.moc"
