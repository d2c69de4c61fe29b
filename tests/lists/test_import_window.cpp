#include "fakes/FakeDesktop.h"
#include "fakes/FakeSpreadsheet.h"
#include "model/Session.h"
#include "settings/FileSettingsStore.h"
#include "ui/MainWindow.h"

#include "ui/NameListView.h"
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

QStringList itemsOf(const NameListView* list)
{
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->text(row));
    return items;
}

} // namespace

class TestImportWindow : public QObject
{
    Q_OBJECT

private slots:
    void importButtonsFillThePage()
    {
        FakeDesktop desk;
        FakeSpreadsheet sheets;
        QTemporaryDir dir;
        FileSettingsStore store(dir.filePath(QStringLiteral("settings.json")));
        Services services = desk.services();
        services.spreadsheet = &sheets;
        services.settings = &store;
        MainWindow window(services, &desk.timer);

        const QStringList names { QStringLiteral("甲公司"), QStringLiteral("乙公司"), QStringLiteral("丙公司") };
        sheets.setColumnB(QStringLiteral("D:\\名单\\企业.xls"), names);
        sheets.setColumnB(QStringLiteral("D:\\历史\\去年.xlsx"), { QStringLiteral("乙公司") });
        desk.fileDialog.chooseNext(QStringLiteral("D:\\名单\\企业.xls"), QStringLiteral("企业.xls"));
        desk.fileDialog.chooseNext(QStringLiteral("D:\\历史\\去年.xlsx"), QStringLiteral("去年.xlsx"));

        auto* importCandidates = window.findChild<QPushButton*>(QStringLiteral("Command3_3"));
        auto* importHistory = window.findChild<QPushButton*>(QStringLiteral("Command5_3"));
        QVERIFY(importCandidates && importHistory);
        QTest::mouseClick(importCandidates, Qt::LeftButton);
        QTest::mouseClick(importHistory, Qt::LeftButton);

        QCOMPARE(itemsOf(window.findChild<NameListView*>(QStringLiteral("List1_3"))), names);
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label2_3"))->text(), QStringLiteral("3"));
        QCOMPARE(itemsOf(window.findChild<NameListView*>(QStringLiteral("List4_3"))),
                 QStringList { QStringLiteral("乙公司") });
        QCOMPARE(itemsOf(window.findChild<NameListView*>(QStringLiteral("List1_4"))), QStringList());
        QCOMPARE(window.session().exportTexts().exportPath,
                 QStringLiteral("D:\\名单\\企业_摇号导出（重点企业）名单_20240305140709.xls"));
        QVERIFY(desk.messageBox.shown.isEmpty());
    }
};

QTEST_MAIN(TestImportWindow)
#include "test_import_window.moc"
