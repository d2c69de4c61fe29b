#include "commands/AppContext.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeSpreadsheet.h"
#include "fakes/MemoryControls.h"
#include "fakes/MemoryPages.h"
#include "lists/WorkbookImport.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/scripted/ScriptedFileDialog.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "settings/FileSettingsStore.h"
#include "settings/RegistrySettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

using Cells = QHash<QString, QString>;

const QString ProgramFolder = QStringLiteral("C:\\Pelorin");
const QString Title = QStringLiteral("打开Excel多表所在的文件夹：");

// The seven pages in memory and every fake the import reaches, wired as the main window would.
struct Rig
{
    using Page = MemoryPage;

    Rig()
    {
        Services& services = context.services;
        services.messageBox = &box;
        services.fileDialog = &dialog;
        services.clock = &clock;
        services.spreadsheet = &sheets;
        services.settings = &store;
        services.programFolder = ProgramFolder;
    }

    Page& page(int i) { return pages[i]; }
    QString remembered(const QString& key)
    {
        return RegistrySettings(store, box).ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, key, QStringLiteral("path"));
    }
    void remember(const QString& key, const QString& folder)
    {
        RegistrySettings(store, box)
            .WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, key, QStringLiteral("path"), folder, REG_SZ);
    }

    AppContext context;
    MemoryPages pages { context };
    ScriptedMessageBox box;
    ScriptedFileDialog dialog;
    FakeClock clock;
    FakeSpreadsheet sheets;
    QTemporaryDir dir;
    FileSettingsStore store { dir.filePath(QStringLiteral("settings.json")) };
    WorkbookImport import { context };
};

QStringList numbered(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("企业%1").arg(i));
    return names;
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void columnB_data()
    {
        QTest::addColumn<Cells>("cells");
        QTest::addColumn<QStringList>("names");
        const QString a = QStringLiteral("甲公司");
        const QString b = QStringLiteral("乙公司");
        QTest::newRow("B2 empty") << Cells { { QStringLiteral("B1"), QStringLiteral("名称") } } << QStringList();
        QTest::newRow("gap ends the list") << Cells {
            { QStringLiteral("B2"), a }, { QStringLiteral("B3"), b }, { QStringLiteral("B5"), QStringLiteral("丙") }
        } << QStringList { a, b };
        QTest::newRow("spaces kept") << Cells { { QStringLiteral("B2"), QStringLiteral(" 甲 ") },
                                                { QStringLiteral("B3"), QStringLiteral("  ") } }
                                     << QStringList { QStringLiteral(" 甲 "), QStringLiteral("  ") };
        QTest::newRow("duplicates kept") << Cells { { QStringLiteral("B2"), a }, { QStringLiteral("B3"), a } }
                                         << QStringList { a, a };
        QTest::newRow("heading and other columns ignored") << Cells { { QStringLiteral("B1"), QStringLiteral("名称") },
                                                                      { QStringLiteral("A2"), QStringLiteral("1") },
                                                                      { QStringLiteral("C2"), QStringLiteral("备注") },
                                                                      { QStringLiteral("A3"), QStringLiteral("2") },
                                                                      { QStringLiteral("B2"), a } }
                                                           << QStringList { a };
    }
    void columnB()
    {
        QFETCH(Cells, cells);
        QFETCH(QStringList, names);
        Rig rig;
        const QString path = QStringLiteral("D:\\名单\\企业.xls");
        rig.sheets.books[path].cells = cells;
        rig.page(2).candidates.setItems({ QStringLiteral("旧") });
        rig.page(2).history.setItems({ QStringLiteral("旧") });

        rig.dialog.chooseNext(path, QStringLiteral("企业.xls"));
        rig.import.importCandidates(2);
        QCOMPARE(rig.page(2).candidates.items(), names);
        QCOMPARE(rig.page(2).candidateCounter.text(), QString::number(names.size()));

        rig.dialog.chooseNext(path, QStringLiteral("企业.xls"));
        rig.import.importHistory(2);
        QCOMPARE(rig.page(2).history.items(), names);
        QCOMPARE(rig.page(2).candidateCounter.text(), QString::number(names.size()));
        QVERIFY(rig.box.shown.isEmpty());
        // One read past the last name, none beyond.
        QCOMPARE(rig.sheets.cellReads, 2 * (names.size() + 1));
    }

    void dialogOpensInRememberedFolders()
    {
        Rig rig;
        rig.sheets.setColumnB(QStringLiteral("D:\\名单\\企业.xls"), { QStringLiteral("甲") });
        rig.sheets.setColumnB(QStringLiteral("E:\\历史\\2023.xlsx"), { QStringLiteral("乙") });
        rig.sheets.setColumnB(QStringLiteral("F:\\新\\成员.xls"), { QStringLiteral("丙") });

        rig.dialog.chooseNext(QStringLiteral("D:\\名单\\企业.xls"), QStringLiteral("企业.xls"));
        rig.import.importCandidates(3);
        rig.dialog.chooseNext(QStringLiteral("E:\\历史\\2023.xlsx"), QStringLiteral("2023.xlsx"));
        rig.import.importHistory(3);
        rig.dialog.chooseNext(QStringLiteral("F:\\新\\成员.xls"), QStringLiteral("成员.xls"));
        rig.import.importCandidates(2);
        rig.import.importHistory(2);
        rig.import.importCandidates(2);

        QStringList folders;
        for (const auto& opened : rig.dialog.opened) {
            QCOMPARE(opened.title, Title);
            QCOMPARE(opened.filters,
                     QStringList({ QStringLiteral("Excel文件(*.xls *.xlsx)"), QStringLiteral("Excel文件(*.xls)"),
                                   QStringLiteral("(*.xlsx)") }));
            folders.append(opened.folder);
        }
        QCOMPARE(folders,
                 QStringList({ ProgramFolder, ProgramFolder, QStringLiteral("D:\\名单"), QStringLiteral("E:\\历史"),
                               QStringLiteral("F:\\新") }));
        QCOMPARE(rig.remembered(QStringLiteral("Software\\PLRNpath")), QStringLiteral("F:\\新"));
        QCOMPARE(rig.remembered(QStringLiteral("Software\\PLRNpath2")), QStringLiteral("E:\\历史"));
    }

    void rememberedFolderIsTrimmed()
    {
        Rig rig;
        rig.remember(QStringLiteral("SOFTWARE\\PLRNpath"), QStringLiteral("  D:\\名单 "));
        rig.import.importCandidates(0);
        QCOMPARE(rig.dialog.opened.last().folder, QStringLiteral("D:\\名单"));
    }

    void cancelChangesNothing()
    {
        Rig rig;
        rig.remember(QStringLiteral("SOFTWARE\\PLRNpath"), QStringLiteral("D:\\名单"));
        rig.page(4).candidates.setItems({ QStringLiteral("甲") });
        rig.page(4).history.setItems({ QStringLiteral("乙") });
        rig.page(4).candidateCounter.setText(QStringLiteral("1"));
        Session& session = *rig.context.session;
        session.setCurrentCategory(1);
        session.setExportTexts({ QStringLiteral("E:\\上次"), QStringLiteral("\\上次.xls"),
                                 QStringLiteral("20240101000000"),
                                 QStringLiteral("E:\\上次\\上次_摇号导出（副组长）名单_20240101000000.xls"), true });
        const ExportTexts before = session.exportTexts();

        rig.dialog.chooseNext(QStringLiteral("   "), QString());
        rig.import.importCandidates(4);
        rig.import.importHistory(4);

        QCOMPARE(rig.dialog.opened.size(), 2);
        QCOMPARE(rig.page(4).candidates.items(), QStringList { QStringLiteral("甲") });
        QCOMPARE(rig.page(4).history.items(), QStringList { QStringLiteral("乙") });
        QCOMPARE(rig.page(4).candidateCounter.text(), QStringLiteral("1"));
        const ExportTexts& texts = session.exportTexts();
        QCOMPARE(session.currentCategory(), 1);
        QCOMPARE(texts.sourceFolder, before.sourceFolder);
        QCOMPARE(texts.sourceFileTail, before.sourceFileTail);
        QCOMPARE(texts.importStamp, before.importStamp);
        QCOMPARE(texts.exportPath, before.exportPath);
        QVERIFY(rig.sheets.opened.isEmpty());
        QVERIFY(rig.box.shown.isEmpty());
        QCOMPARE(rig.remembered(QStringLiteral("Software\\PLRNpath")), QStringLiteral("D:\\名单"));
        QCOMPARE(rig.remembered(QStringLiteral("Software\\PLRNpath2")), QString());
    }

    void reimportReplaces()
    {
        Rig rig;
        rig.sheets.setColumnB(QStringLiteral("/data/一.xlsx"), numbered(3));
        rig.sheets.setColumnB(QStringLiteral("/data/二.xlsx"), { QStringLiteral("乙") });
        rig.dialog.chooseNext(QStringLiteral("/data/一.xlsx"));
        rig.dialog.chooseNext(QStringLiteral("/data/二.xlsx"));
        rig.import.importCandidates(6);
        QCOMPARE(rig.page(6).candidateCounter.text(), QStringLiteral("3"));
        rig.import.importCandidates(6);
        QCOMPARE(rig.page(6).candidates.items(), QStringList { QStringLiteral("乙") });
        QCOMPARE(rig.page(6).candidateCounter.text(), QStringLiteral("1"));
    }

    void exportTexts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("bareName");
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("tail");
        QTest::addColumn<QString>("exportPath");
        QTest::newRow("folder") << QStringLiteral("D:\\名单\\企业.xls") << QStringLiteral("企业.xls") << 3
                                << QStringLiteral("D:\\名单") << QStringLiteral("\\企业.xls")
                                << QStringLiteral("D:\\名单\\企业_摇号导出（重点企业）名单_20240305140709.xls");
        QTest::newRow("root of a drive") << QStringLiteral("D:\\企业.xls") << QStringLiteral("企业.xls") << 0
                                         << QStringLiteral("D:") << QStringLiteral("\\企业.xls")
                                         << QStringLiteral("D:\\企业_摇号导出（组长）名单_20240305140709.xls");
        QTest::newRow("dot in the name") << QStringLiteral("D:\\名单\\a.b.xls") << QStringLiteral("a.b.xls") << 6
                                         << QStringLiteral("D:\\名单") << QStringLiteral("\\a.b.xls")
                                         << QStringLiteral("D:\\名单\\a.b_摇号导出（摇号名单）名单_20240305140709.xls");
        QTest::newRow("dot in the folder")
            << QStringLiteral("/home/u/v1.0/成员.xlsx") << QStringLiteral("成员.xlsx") << 2
            << QStringLiteral("/home/u/v1.0") << QStringLiteral("/成员.xlsx")
            << QStringLiteral("/home/u/v1.0/成员_摇号导出（成员）名单_20240305140709.xlsx");
        QTest::newRow("spaces around the path")
            << QStringLiteral("  D:\\名单\\企业.xls ") << QStringLiteral("企业.xls") << 4 << QStringLiteral("D:\\名单")
            << QStringLiteral("\\企业.xls")
            << QStringLiteral("D:\\名单\\企业_摇号导出（一般企业）名单_20240305140709.xls");
    }
    void exportTexts()
    {
        QFETCH(QString, path);
        QFETCH(QString, bareName);
        QFETCH(int, category);
        QFETCH(QString, folder);
        QFETCH(QString, tail);
        QFETCH(QString, exportPath);
        Rig rig;
        rig.sheets.setColumnB(path.trimmed(), { QStringLiteral("甲") });
        rig.dialog.chooseNext(path, bareName);
        rig.import.importCandidates(category);

        const ExportTexts& texts = rig.context.session->exportTexts();
        QCOMPARE(texts.sourceFolder, folder);
        QCOMPARE(texts.sourceFileTail, tail);
        QCOMPARE(texts.importStamp, QStringLiteral("20240305140709"));
        QCOMPARE(texts.exportPath, exportPath);
        QCOMPARE(rig.context.session->currentCategory(), category);
        QVERIFY(texts.hasImportedCandidates);
        QCOMPARE(rig.remembered(QStringLiteral("Software\\PLRNpath")), folder);
    }

    void nameWithoutDotTakesFormatsExtension_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QString>("extension");
        const QByteArray zip("PK\x03\x04\x14\0\0\0", 8);
        const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        QTest::newRow("zip package") << QStringLiteral("企业名单") << zip << QStringLiteral("xlsx");
        QTest::newRow("compound file") << QStringLiteral("企业名单") << compound << QStringLiteral("xls");
        QTest::newRow("neither") << QStringLiteral("企业名单") << QByteArray("名称\n甲\n") << QStringLiteral("xls");
        QTest::newRow("ends in a dot") << QStringLiteral("企业名单.") << zip << QStringLiteral("xlsx");
        QTest::newRow("other extension") << QStringLiteral("企业名单.dat") << zip << QStringLiteral("xlsx");
        QTest::newRow("workbook extension kept") << QStringLiteral("企业名单.XLS") << zip << QStringLiteral("XLS");
    }
    void nameWithoutDotTakesFormatsExtension()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, head);
        QFETCH(QString, extension);
        Rig rig;
        const QString path = rig.dir.filePath(fileName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(head);
        file.close();
        rig.sheets.setColumnB(path, { QStringLiteral("甲") });
        rig.dialog.chooseNext(path);
        rig.import.importCandidates(5);
        QCOMPARE(rig.context.session->exportTexts().exportPath,
                 rig.dir.path() + QStringLiteral("/企业名单_摇号导出（其它企业）名单_20240305140709.") + extension);
        QCOMPARE(rig.page(5).candidates.items(), QStringList { QStringLiteral("甲") });
    }

    void unreadableWorkbookKeepsEverything_data()
    {
        QTest::addColumn<bool>("history");
        QTest::addColumn<QString>("reason");
        for (const bool history : { false, true }) {
            const char* kind = history ? "history: " : "candidates: ";
            QTest::addRow("%smissing", kind) << history << QStringLiteral("文件不存在。");
            QTest::addRow("%sencrypted", kind) << history << QStringLiteral("工作簿已加密。");
            QTest::addRow("%sno sheet", kind) << history << QStringLiteral("工作簿中没有工作表。");
            QTest::addRow("%stoo many names", kind) << history << QStringLiteral("名单超过 32767 个，无法导入。");
        }
    }
    void unreadableWorkbookKeepsEverything()
    {
        QFETCH(bool, history);
        QFETCH(QString, reason);
        Rig rig;
        const QString key = history ? QStringLiteral("SOFTWARE\\PLRNpath2") : QStringLiteral("SOFTWARE\\PLRNpath");
        rig.remember(key, QStringLiteral("D:\\上次"));
        const QString path = QStringLiteral("E:\\坏\\企业.xls");
        if (reason == QStringLiteral("工作簿已加密。"))
            rig.sheets.setError(path, reason);
        else if (reason == QStringLiteral("工作簿中没有工作表。"))
            rig.sheets.books[path].hasSheet = false;
        else if (reason.startsWith(QStringLiteral("名单超过")))
            rig.sheets.setColumnB(path, numbered(32768));
        Rig::Page& page = rig.page(1);
        page.candidates.setItems({ QStringLiteral("甲") });
        page.history.setItems({ QStringLiteral("乙") });
        page.candidateCounter.setText(QStringLiteral("1"));

        rig.dialog.chooseNext(path, QStringLiteral("企业.xls"));
        if (history)
            rig.import.importHistory(1);
        else
            rig.import.importCandidates(1);

        QCOMPARE(rig.box.shown.size(), 1);
        QCOMPARE(rig.box.shown[0].text, QStringLiteral("无法读取Excel文件：企业.xls\n") + reason);
        QCOMPARE(rig.box.shown[0].title, text::windowCaption());
        QCOMPARE(rig.box.shown[0].icon, IMessageBox::Icon::Information);
        QCOMPARE(page.candidates.items(), QStringList { QStringLiteral("甲") });
        QCOMPARE(page.history.items(), QStringList { QStringLiteral("乙") });
        QCOMPARE(page.candidateCounter.text(), QStringLiteral("1"));
        QCOMPARE(rig.remembered(key), QStringLiteral("D:\\上次"));
        // The workbook was chosen, so the export names follow it even though it could not be read.
        QCOMPARE(rig.context.session->exportTexts().hasImportedCandidates, !history);
    }

    void mostNamesFit()
    {
        Rig rig;
        rig.sheets.setColumnB(QStringLiteral("/data/大.xlsx"), numbered(32767));
        rig.dialog.chooseNext(QStringLiteral("/data/大.xlsx"));
        rig.import.importCandidates(3);
        QCOMPARE(rig.page(3).candidateCounter.text(), QStringLiteral("32767"));
        QCOMPARE(rig.page(3).candidates.textAt(32766), QStringLiteral("企业32767"));
        QVERIFY(rig.box.shown.isEmpty());
    }

    void unavailableComponent()
    {
        for (const bool history : { false, true }) {
            Rig rig;
            rig.sheets.available = false;
            rig.sheets.setColumnB(QStringLiteral("/data/一.xlsx"), { QStringLiteral("新") });
            rig.page(0).candidates.setItems({ QStringLiteral("甲") });
            rig.page(0).history.setItems({ QStringLiteral("乙") });
            rig.dialog.chooseNext(QStringLiteral("/data/一.xlsx"));
            if (history)
                rig.import.importHistory(0);
            else
                rig.import.importCandidates(0);

            QCOMPARE(rig.box.shown.size(), 1);
            QCOMPARE(rig.box.shown[0].text, QStringLiteral("打开链接Excel软件出错。"));
            QCOMPARE(rig.box.shown[0].title, QStringLiteral("打开链接Excel软件出错："));
            QCOMPARE(rig.box.shown[0].icon, IMessageBox::Icon::None);
            QCOMPARE(rig.box.shown[0].buttons, IMessageBox::Buttons::Ok);
            QCOMPARE(rig.page(0).candidates.items(), QStringList { QStringLiteral("甲") });
            QCOMPARE(rig.page(0).history.items(), QStringList { QStringLiteral("乙") });
            QCOMPARE(rig.page(0).candidateCounter.text(), QStringLiteral("XXXX"));
            QVERIFY(rig.sheets.opened.isEmpty());
            QCOMPARE(rig.remembered(QStringLiteral("Software\\PLRNpath")), QString());
            QCOMPARE(rig.remembered(QStringLiteral("Software\\PLRNpath2")), QString());
        }
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
