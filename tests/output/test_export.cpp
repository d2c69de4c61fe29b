#include "fakes/FakeDesktop.h"
#include "lists/ImportPaths.h"
#include "model/Session.h"
#include "output/WorkbookCells.h"
#include "ui/CategoryPage.h"
#include "ui/Commands.h"
#include "ui/MainWindow.h"

#include "platform/ISpreadsheet.h"
#include "ui/NameListView.h"
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

class ExportTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        window.reset();
        desk = std::make_unique<FakeDesktop>();
        window = std::make_unique<MainWindow>(desk->services(), &desk->timer);
        dir = std::make_unique<QTemporaryDir>();
    }

    void emptyResultsExportNothing()
    {
        click(QStringLiteral("Command13_3"));
        QCOMPARE(desk->messageBox.texts(), QStringList { "当前还没有摇取结果名单。" });
        click(QStringLiteral("Command15"));
        QCOMPARE(desk->messageBox.lastText(), QStringLiteral("当前还没有任何一项摇取结果可供导出。"));
        QVERIFY(desk->inputBox.asked.isEmpty());
        QVERIFY(desk->shell.opened.isEmpty());
        QVERIFY(QDir(dir->path()).isEmpty());
    }

    void categoryExportWritesHeadingAndNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xls") << "企业.xls";
        QTest::newRow("xlsx") << "企业.xlsx";
    }
    void categoryExportWritesHeadingAndNames()
    {
        QFETCH(QString, file);
        imported(file, 3);
        addResults(3, { "甲公司", " 乙公司 ", "甲公司" });
        click(QStringLiteral("Command13_3"));
        const QString expected
            = dir->filePath(QFileInfo(file).completeBaseName() + "_摇号导出（重点企业）名单_20240305140709."
                            + QFileInfo(file).suffix());
        QCOMPARE(desk->shell.opened, QStringList { expected });
        QVERIFY2(desk->messageBox.shown.isEmpty(), qPrintable(desk->messageBox.lastText()));
        expectCells(expected,
                    { { "A1", "重点企业名单：" }, { "B1", "甲公司" }, { "B2", " 乙公司 " }, { "B3", "甲公司" } });
    }

    void fileIsNamedForTheExportedCategory()
    {
        // Imported for category 0 last: category 3's export must not take category 0's file name.
        imported(QStringLiteral("team.xls"), 0);
        addResults(3, { "甲公司" });
        addResults(0, { "张三" });
        click(QStringLiteral("Command13_3"));
        click(QStringLiteral("Command13_0"));
        QCOMPARE(desk->shell.opened,
                 QStringList({ dir->filePath("team_摇号导出（重点企业）名单_20240305140709.xls"),
                               dir->filePath("team_摇号导出（组长）名单_20240305140709.xls") }));
        expectCells(desk->shell.opened[0], { { "A1", "重点企业名单：" }, { "B1", "甲公司" } });
        expectCells(desk->shell.opened[1], { { "A1", "组长名单：" }, { "B1", "张三" } });
    }

    void existingFileIsReplacedOnlyOnYes()
    {
        imported(QStringLiteral("a.b.xlsx"), 3);
        addResults(3, { "甲" });
        click(QStringLiteral("Command13_3"));
        const QString path = dir->filePath("a.b_摇号导出（重点企业）名单_20240305140709.xlsx");
        QCOMPARE(desk->shell.opened, QStringList { path });

        window->session().appendNames(3, ListKind::Results, { QStringLiteral("乙") });
        desk->messageBox.answerNext(IMessageBox::Answer::No);
        click(QStringLiteral("Command13_3"));
        QCOMPARE(desk->messageBox.lastText(), "文件已存在，是否覆盖？\n" + QDir::toNativeSeparators(path));
        QCOMPARE(desk->shell.opened.size(), 1);
        expectCells(path, { { "A1", "重点企业名单：" }, { "B1", "甲" } });

        desk->messageBox.answerNext(IMessageBox::Answer::Yes);
        click(QStringLiteral("Command13_3"));
        QCOMPARE(desk->shell.opened.size(), 2);
        expectCells(path, { { "A1", "重点企业名单：" }, { "B1", "甲" }, { "B2", "乙" } });
    }

    void exportAllWritesOneBlockPerCategory()
    {
        imported(QStringLiteral("team.xls"), 0);
        addResults(0, { "张三", "李四" });
        addResults(2, { "王五" });
        desk->inputBox.answers.enqueue(QStringLiteral("spring"));
        click(QStringLiteral("Command15"));
        QCOMPARE(desk->inputBox.asked.size(), 1);
        QCOMPARE(desk->inputBox.asked[0].prompt, QStringLiteral("请输入导出摇号结果保存文件名称："));
        QCOMPARE(desk->inputBox.asked[0].title, QStringLiteral("请填写导出保存文件名称："));
        const QString path = dir->filePath("spring_摇号导出（组长）名单_20240305140709.xls");
        QCOMPARE(desk->shell.opened, QStringList { path });
        expectCells(
            path,
            { { "A1", "组长名单：" }, { "B1", "张三" }, { "B2", "李四" }, { "A4", "成员名单：" }, { "B4", "王五" } });
    }

    void exportAllWithOnlyTheLastCategory()
    {
        imported(QStringLiteral("team.xlsx"), 5);
        addResults(5, { "丙公司" });
        desk->inputBox.answers.enqueue(QString());
        click(QStringLiteral("Command15"));
        const QString path = dir->filePath("_摇号导出（其它企业）名单_20240305140709.xlsx");
        QCOMPARE(desk->shell.opened, QStringList { path });
        expectCells(path, { { "A1", "其它企业名单：" }, { "B1", "丙公司" } });
    }

    void exportAllCancelledOrRefusedWritesNothing()
    {
        imported(QStringLiteral("team.xls"), 0);
        addResults(0, { "张三" });
        click(QStringLiteral("Command15")); // the input box is cancelled
        desk->inputBox.answers.enqueue(QStringLiteral("a/b"));
        click(QStringLiteral("Command15"));
        QCOMPARE(desk->messageBox.lastText(),
                 QStringLiteral("文件名称不能包含以下字符：\\ / : * ? \" < > |，"
                                "不能包含控制字符（如换行、制表符），也不能只由句点组成。"));
        desk->inputBox.answers.enqueue(QStringLiteral(".."));
        click(QStringLiteral("Command15"));
        desk->inputBox.answers.enqueue(QStringLiteral("a\tb"));
        click(QStringLiteral("Command15"));
        QCOMPARE(desk->messageBox.shown.size(), 3);
        QVERIFY(desk->shell.opened.isEmpty());
        QVERIFY(QDir(dir->path()).isEmpty());
    }

    void typedNamesOnlyExportThroughTheSaveDialog()
    {
        addResults(3, { "甲公司" });
        desk->clock.time = QDateTime(QDate(2026, 12, 7), QTime(9, 5, 7));
        click(QStringLiteral("Command13_3")); // the save dialog is cancelled
        QCOMPARE(desk->fileDialog.opened.size(), 1);
        QVERIFY(desk->fileDialog.opened[0].save);
        QVERIFY(desk->fileDialog.opened[0].folder.endsWith("重点企业_摇号导出（重点企业）名单_20261207090507.xlsx"));
        QVERIFY(desk->shell.opened.isEmpty());

        const QString path = dir->filePath("结果.xlsx");
        desk->fileDialog.chooseNext(path);
        click(QStringLiteral("Command13_3"));
        QCOMPARE(desk->shell.opened, QStringList { path });
        expectCells(path, { { "A1", "重点企业名单：" }, { "B1", "甲公司" } });

        // The typed name leads the offered name; the category word is the current category's.
        window->session().setCurrentCategory(3);
        desk->inputBox.answers.enqueue(QStringLiteral("春季"));
        click(QStringLiteral("Command15"));
        QVERIFY(desk->fileDialog.opened.last().folder.endsWith("/春季_摇号导出（重点企业）名单_20261207090507.xlsx"));
    }

    void savedNamesGetAWorkbookExtension()
    {
        // A name typed without an extension takes the selected filter's; .xlsx unless .xls is selected.
        addResults(3, { "甲公司" });
        desk->fileDialog.choices.enqueue({ dir->filePath("结果"), "结果", "Excel工作簿(*.xlsx)" });
        click(QStringLiteral("Command13_3"));
        desk->fileDialog.choices.enqueue({ dir->filePath("旧格式"), "旧格式", "Excel 97-2003工作簿(*.xls)" });
        click(QStringLiteral("Command13_3"));
        desk->fileDialog.choices.enqueue({ dir->filePath("a.b"), "a.b", QString() });
        click(QStringLiteral("Command13_3"));
        QCOMPARE(desk->shell.opened,
                 QStringList({ dir->filePath("结果.xlsx"), dir->filePath("旧格式.xls"), dir->filePath("a.b.xlsx") }));
        expectCells(dir->filePath("旧格式.xls"), { { "A1", "重点企业名单：" }, { "B1", "甲公司" } });
        expectCells(dir->filePath("a.b.xlsx"), { { "A1", "重点企业名单：" }, { "B1", "甲公司" } });

        // The dialog asked about "结果", not "结果.xlsx": replacing that one is asked here, and No keeps it.
        desk->fileDialog.choices.enqueue({ dir->filePath("结果"), "结果", "Excel工作簿(*.xlsx)" });
        desk->messageBox.answerNext(IMessageBox::Answer::No);
        click(QStringLiteral("Command13_3"));
        QVERIFY(desk->messageBox.lastText().startsWith("文件已存在，是否覆盖？"));
        QCOMPARE(desk->shell.opened.size(), 3);
    }

    void theExportCarriesTheImportsTimeAndTheCurrentCategory()
    {
        // A real import at one time, the export later: the name keeps the import's stamp.
        const QString source = dir->filePath("team.xlsx");
        {
            QString error;
            auto document
                = window->context().services.spreadsheet->open(PELORIN_SOURCE_DIR "/data/export.xlsx", &error);
            QVERIFY2(document, qPrintable(error));
            document->firstSheet()->setCellText("B2", "张三");
            document->firstSheet()->setCellText("B3", "李四");
            QVERIFY2(document->saveAs(source, &error), qPrintable(error));
        }
        desk->clock.time = QDateTime(QDate(2026, 1, 2), QTime(8, 0, 0));
        desk->fileDialog.chooseNext(source);
        click(QStringLiteral("Command3_0"));
        QCOMPARE(window->page(0)->candidates->count(), 2);
        desk->clock.time = QDateTime(QDate(2026, 1, 2), QTime(11, 30, 0));
        addResults(0, { "张三" });
        addResults(3, { "甲公司" });
        click(QStringLiteral("Command13_0"));
        QCOMPARE(desk->shell.opened.last(), dir->filePath("team_摇号导出（组长）名单_20260102080000.xlsx"));

        // The export-all's word is the category of the last draw, not of the import.
        window->session().setCurrentCategory(3);
        desk->inputBox.answers.enqueue(QStringLiteral("春季"));
        click(QStringLiteral("Command15"));
        QCOMPARE(desk->shell.opened.last(), dir->filePath("春季_摇号导出（重点企业）名单_20260102080000.xlsx"));
    }

    void failuresNameTheFileAndLeaveNothing()
    {
        // A folder that does not exist stands for any folder that cannot be written.
        imported(QStringLiteral("team.xls"), 3);
        ExportTexts texts = window->session().exportTexts();
        texts.sourceFolder = dir->filePath("missing");
        window->session().setExportTexts(texts);
        addResults(3, { "甲" });
        click(QStringLiteral("Command13_3"));
        QVERIFY(desk->messageBox.lastText().startsWith("导出失败：team_摇号导出（重点企业）名单_20240305140709.xls\n"));
        QVERIFY(desk->shell.opened.isEmpty());

        // Without any template.
        window->context().services.programFolder = dir->filePath("nowhere");
        imported(QStringLiteral("team.xls"), 3);
        for (const QString& folder : window->commands().exporter.templateFolders().mid(1))
            if (QFile::exists(folder + "/export.xls") || QFile::exists(folder + "/export.xlsx"))
                QSKIP("an installed copy of the templates serves as fallback on this machine");
        desk->messageBox.shown.clear();
        click(QStringLiteral("Command13_3"));
        QVERIFY(desk->messageBox.lastText().contains("找不到导出模板文件"));
        QVERIFY(QDir(dir->path()).entryList(QDir::Files).isEmpty());
    }

    void withoutAProgramForWorkbooksTheMessageSaysWhere()
    {
        imported(QStringLiteral("team.xlsx"), 3);
        addResults(3, { "甲" });
        desk->shell.opens = false;
        click(QStringLiteral("Command13_3"));
        const QString path = dir->filePath("team_摇号导出（重点企业）名单_20240305140709.xlsx");
        QCOMPARE(desk->shell.opened, QStringList { path });
        QCOMPARE(desk->messageBox.shown.size(), 1);
        QVERIFY(desk->messageBox.lastText().contains(QDir::toNativeSeparators(path)));
    }

    void templateLinkOpensItsAddress()
    {
        click(QStringLiteral("Command16"));
        QCOMPARE(desk->shell.opened.size(), 1);
        QVERIFY(desk->shell.opened[0].startsWith("https://"));
    }

private:
    void click(const QString& name)
    {
        auto* button = window->findChild<QAbstractButton*>(name);
        QVERIFY2(button, qPrintable(name));
        button->click();
    }
    void addResults(Category i, const QStringList& names)
    {
        window->session().appendNames(i, ListKind::Results, names);
    }
    // The state a candidate import of dir/fileName for category i at the fake clock's time leaves.
    void imported(const QString& fileName, Category i)
    {
        ExportTexts s;
        s.sourceFolder = dir->path();
        s.sourceFileTail = QLatin1Char('/') + fileName;
        s.importStamp = QStringLiteral("20240305140709");
        s.exportPath = importpaths::exportPathOf(s.sourceFolder, s.sourceFileTail, categoryName(i), s.importStamp,
                                                 importpaths::extensionOf(fileName));
        s.hasImportedCandidates = true;
        window->session().setCurrentCategory(i);
        window->session().setExportTexts(s);
    }
    void expectCells(const QString& path, const QMap<QString, QString>& expected)
    {
        QVERIFY2(QFile::exists(path), qPrintable(path));
        if (!WorkbookCells::readerAvailable())
            QSKIP("openpyxl/xlrd under /usr/bin/python3 are not installed");
        const WorkbookCells read = WorkbookCells::read(path);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.cells, expected);
    }

    std::unique_ptr<FakeDesktop> desk;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> dir;
};

QTEST_MAIN(ExportTest)
#include "test_export.moc"
