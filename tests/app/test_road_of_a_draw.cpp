// The whole road of one draw through the real main window: import from a workbook on disk, strike out
// last year's names, draw two names by clicks and Enter, export, copy.
#include "commands/AppContext.h"
#include "fakes/CandidateWorkbook.h"
#include "fakes/FakeDesktop.h"
#include "model/Session.h"
#include "output/WorkbookCells.h"
#include "platform/INameList.h"
#include "ui/BottomBar.h"
#include "ui/CategoryPage.h"
#include "ui/DrawWindowPanel.h"
#include "ui/MainWindow.h"
#include "workbook/Spreadsheet.h"

#include "ui/NameListView.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace pelorin;
using namespace pelorin::test;

class RoadOfADrawTest : public QObject
{
    Q_OBJECT
private slots:
    void importExcludeDrawExportCopy()
    {
        QTemporaryDir dir;
        const QString candidates = dir.filePath("企业.xlsx");
        const QString history = dir.filePath("去年.xlsx");
        QVERIFY(writeCandidateWorkbook(candidates, { "甲公司", "乙公司", "丙公司", "丁公司", "乙公司" }));
        QVERIFY(writeCandidateWorkbook(history, { "乙公司", "戊公司" }));

        FakeDesktop desk;
        MainWindow window(desk.services(), &desk.timer);
        window.setExitHandler([] {});
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        CategoryPage* page = window.page(3);

        desk.fileDialog.chooseNext(candidates);
        QTest::mouseClick(page->importCandidates, Qt::LeftButton);
        QCOMPARE(page->candidates->count(), 5);
        QCOMPARE(page->candidateCounter->text(), "5");
        desk.fileDialog.chooseNext(history);
        QTest::mouseClick(page->importHistory, Qt::LeftButton);
        QCOMPARE(page->history->count(), 2);
        QTest::mouseClick(page->excludeHistory, Qt::LeftButton);
        QCOMPARE(window.session().names(3, ListKind::Candidates),
                 QStringList({ "甲公司", "丙公司", "丁公司", "乙公司" }));
        QCOMPARE(page->candidateCounter->text(), "4");

        page->presetCount->setText("2");
        QTest::mouseClick(page->drawButton, Qt::LeftButton);
        DrawWindowPanel* draw = window.drawWindow();
        QVERIFY(draw->isVisible());
        QCOMPARE(draw->startStop->text(), "停止");
        QCOMPARE(draw->presetBox->text(), "2");
        QCOMPARE(draw->drawnBox->text(), "0");
        QVERIFY(!window.inspectorTabs()->isEnabled());
        QVERIFY(!window.enterpriseTabs()->isEnabled());
        QVERIFY(!page->drawButton->isEnabled());

        // First draw: let the pointer reach a sector, stop by Enter on the focused start/stop button.
        desk.timer.fire(12);
        QVERIFY(!draw->nameBox->text().isEmpty());
        const QString first = draw->nameBox->text().section('_', 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(draw->startStop->text(), "开始摇号");
        QCOMPARE(draw->currentDraw->count(), 1);
        QCOMPARE(page->results->text(0), first);
        QCOMPARE(page->candidateCounter->text(), "3");

        // Second draw, by the mouse.
        QTest::mouseClick(draw->startStop, Qt::LeftButton);
        desk.timer.fire(20);
        const QString second = draw->nameBox->text().section('_', 1);
        QTest::mouseClick(draw->startStop, Qt::LeftButton);
        QCOMPARE(desk.messageBox.lastText(), "预设定摇取个数已摇完毕。");
        QVERIFY(!draw->isVisible());
        QCOMPARE(page->drawnCount->text(), "2");
        QCOMPARE(page->results->count(), 2);
        QCOMPARE(page->results->text(1), second);
        QCOMPARE(page->candidates->count(), 2);
        QVERIFY(window.inspectorTabs()->isEnabled());

        QTest::mouseClick(page->exportResults, Qt::LeftButton);
        const QString exported = dir.filePath("企业_摇号导出（重点企业）名单_20240305140709.xlsx");
        QCOMPARE(desk.shell.opened, QStringList { exported });
        if (WorkbookCells::readerAvailable()) {
            const WorkbookCells cells = WorkbookCells::read(exported);
            QVERIFY2(cells.ok, qPrintable(cells.error));
            QCOMPARE(cells.cells,
                     (QMap<QString, QString> { { "A1", "重点企业名单：" }, { "B1", first }, { "B2", second } }));
        }

        QTest::mouseClick(page->copyResults, Qt::LeftButton);
        QCOMPARE(desk.clipboard.content, first + "\r\n" + second + "\r\n");
    }
};

QTEST_MAIN(RoadOfADrawTest)
#include "test_road_of_a_draw.moc"
