#pragma once

#include "commands/AppContext.h"
#include "fakes/CandidateWorkbook.h"
#include "fakes/CountingSeeds.h"
#include "fakes/FakeDesktop.h"
#include "fakes/MemoryPages.h"
#include "record/RecordWriter.h"
#include "session/SessionKeeper.h"
#include "ui/CategoryPage.h"
#include "ui/Commands.h"
#include "ui/DrawWindowPanel.h"
#include "ui/EntryPanel.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace pelorin::test {

// A session driven through the real main window, kept in memory for its draw record: shuffles take real
// seeded picks, seeds counted so every run is the same.
struct RecordSession
{
    FakeDesktop desk;
    CountingSeeds seeds;
    MainWindow window { servicesWithSeeds(), &desk.timer };
    SessionKeeper keeper { window.session(), nullptr, window.context().services.clock,
                           QDateTime(QDate(2024, 3, 5), QTime(9, 0)) };
    QTemporaryDir dir;
    int ticks = 7;
    bool active = false;

    RecordSession()
    {
        window.setExitHandler([] {});
        window.context().history = &keeper;
        // The box is remembered in the settings file the tests of one program share: start from its default.
        window.drawWindow()->slowStop->setChecked(false);
        window.drawWindow()->witnessed->setChecked(false);
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
    }

    Services servicesWithSeeds()
    {
        Services s = desk.services();
        s.seeds = &seeds;
        return s;
    }

    SessionList candidates(Category i) { return SessionList(window.session(), i, ListKind::Candidates); }
    SessionList results(Category i) { return SessionList(window.session(), i, ListKind::Results); }

    void importCandidates(Category i, const QStringList& names, const QString& file = QStringLiteral("名单.xlsx"))
    {
        const QString path = dir.filePath(file);
        QVERIFY(writeCandidateWorkbook(path, names));
        desk.fileDialog.chooseNext(path);
        QTest::mouseClick(window.page(i)->importCandidates, Qt::LeftButton);
    }

    void importHistory(Category i, const QStringList& names)
    {
        const QString path = dir.filePath(QStringLiteral("历史.xlsx"));
        QVERIFY(writeCandidateWorkbook(path, names));
        desk.fileDialog.chooseNext(path);
        QTest::mouseClick(window.page(i)->importHistory, Qt::LeftButton);
    }

    void enterCandidates(Category i, const QString& text)
    {
        QTest::mouseClick(window.page(i)->enterCandidates, Qt::LeftButton);
        window.entryPanel()->textArea->setPlainText(text);
        QTest::mouseClick(window.entryPanel()->confirm, Qt::LeftButton);
        QTest::mouseClick(window.entryPanel()->closeButton, Qt::LeftButton);
    }

    // Opens the draw window with a preset of count and draws until it closes, stopping with Enter after a
    // varying number of ticks.
    void draw(Category i, int count)
    {
        CategoryPage* page = window.page(i);
        page->presetCount->setText(QString::number(count));
        page->drawnCount->setText(QStringLiteral("0"));
        QTest::mouseClick(page->drawButton, Qt::LeftButton);
        DrawWindowPanel* draw = window.drawWindow();
        for (int k = 0; k < count && draw->isVisible(); ++k) {
            if (k > 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            desk.timer.fire(ticks);
            ticks = ticks * 7 % 61 + 24; // pointers stop all round the wheel
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            // With 随机缓停 the name is taken where the pointer comes to rest.
            for (int guard = 0; guard < 100000 && window.commands().draw.isRunningOut(); ++guard)
                desk.timer.fire(1);
        }
        if (draw->isVisible())
            QTest::mouseClick(draw->close, Qt::LeftButton);
    }

    record::WrittenRecord record() { return record::closeChain(keeper.chain()); }
};

} // namespace pelorin::test
