#include "commands/AppContext.h"
#include "fakes/FakeClock.h"
#include "fakes/MemoryPages.h"
#include "lists/WorkbookImport.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/scripted/ScriptedFileDialog.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "settings/FileSettingsStore.h"
#include "workbook/Spreadsheet.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

// Writes the workbooks with the independent writers: xlwt for .xls, openpyxl for .xlsx.
const char* const MakeWorkbooks = R"PY(
import sys, os, xlwt, openpyxl
folder = sys.argv[1]
rows = ["名称", "甲公司", " 乙 公司 ", "甲公司", "", "丁公司"]

book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("名单")
for r, text in enumerate(rows):
    sheet.write(r, 0, r)
    if text:
        sheet.write(r, 1, text)
book.add_sheet("其它").write(1, 1, "不读")
book.save(os.path.join(folder, "企业.xls"))

book = openpyxl.Workbook()
sheet = book.active
for r, text in enumerate(rows, start=1):
    sheet.cell(row=r, column=1, value=r)
    if text:
        sheet.cell(row=r, column=2, value=text)
book.create_sheet("其它")["B2"] = "不读"
book.save(os.path.join(folder, "成员.xlsx"))
book.save(os.path.join(folder, "成员名单"))

# openpyxl stores formulas without their results.
def save(name, rows):
    written = openpyxl.Workbook()
    for row in rows:
        written.active.append(row)
    written.save(os.path.join(folder, name))
save("公式.xlsx", [["序号", "名称"], ["甲公司", "=A2"]])
save("公式在后.xlsx", [["序号", "名称"], [1, "甲公司"], ["乙公司", "=A3"]])
save("空白.xlsx", [["序号", "名称"], [1]])
save("别处公式.xlsx", [["序号", "名称"], [1, None, "=A2"], [2, "=A3"]])

with open(os.path.join(folder, "坏.xls"), "w", encoding="utf-8") as f:
    f.write("名称\n甲公司\n")
)PY";

struct Rig
{
    explicit Rig(const QString& folder)
    {
        Services& services = context.services;
        services.messageBox = &box;
        services.fileDialog = &dialog;
        services.clock = &clock;
        services.spreadsheet = &spreadsheet;
        services.settings = &store;
        services.programFolder = folder;
    }

    AppContext context;
    MemoryPages pages { context };
    SessionList& candidates = pages[3].candidates;
    SessionList& history = pages[3].history;
    SessionText& counter = pages[3].candidateCounter;
    ScriptedMessageBox box;
    ScriptedFileDialog dialog;
    FakeClock clock;
    workbook::Spreadsheet spreadsheet;
    QTemporaryDir settingsDir;
    FileSettingsStore store { settingsDir.filePath(QStringLiteral("settings.json")) };
    WorkbookImport import { context };
};

} // namespace

class TestImportFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     { QStringLiteral("-c"), QString::fromUtf8(MakeWorkbooks), m_dir.path() });
        if (!python.waitForFinished(60000) || python.exitCode() != 0)
            QSKIP(qPrintable(QStringLiteral("python3 with xlwt and openpyxl is needed: ")
                             + QString::fromUtf8(python.readAllStandardError())));
    }

    void readsColumnB_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("extension");
        QTest::newRow("xls") << QStringLiteral("企业.xls") << QStringLiteral("xls");
        QTest::newRow("xlsx") << QStringLiteral("成员.xlsx") << QStringLiteral("xlsx");
        QTest::newRow("xlsx without extension") << QStringLiteral("成员名单") << QStringLiteral("xlsx");
    }
    void readsColumnB()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, extension);
        Rig rig(m_dir.path());
        rig.dialog.chooseNext(m_dir.filePath(fileName));
        rig.import.importCandidates(3);

        QCOMPARE(rig.box.texts(), QStringList());
        QCOMPARE(rig.candidates.items(),
                 QStringList({ QStringLiteral("甲公司"), QStringLiteral(" 乙 公司 "), QStringLiteral("甲公司") }));
        QCOMPARE(rig.counter.text(), QStringLiteral("3"));
        QCOMPARE(rig.context.session->exportTexts().sourceFolder, m_dir.path());
        const QString stem = fileName.left(fileName.lastIndexOf(QLatin1Char('.')));
        QCOMPARE(rig.context.session->exportTexts().exportPath,
                 m_dir.filePath(stem + QStringLiteral("_摇号导出（重点企业）名单_20240305140709.") + extension));

        rig.dialog.chooseNext(m_dir.filePath(fileName));
        rig.import.importHistory(3);
        QCOMPARE(rig.history.items(), rig.candidates.items());
    }

    // A formula without its result would end the names where the workbook only lacks them; an empty B2 is a list.
    void formulasWithoutResults_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("cell");
        QTest::newRow("B2 a formula") << QStringLiteral("公式.xlsx") << QStringLiteral("B2");
        QTest::newRow("a formula after a name") << QStringLiteral("公式在后.xlsx") << QStringLiteral("B3");
        QTest::newRow("B2 empty, no formulas") << QStringLiteral("空白.xlsx") << QString();
        QTest::newRow("B2 empty, formulas elsewhere and below") << QStringLiteral("别处公式.xlsx") << QString();
    }
    void formulasWithoutResults()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, cell);
        Rig rig(m_dir.path());
        rig.candidates.setItems({ QStringLiteral("原有") });
        rig.dialog.chooseNext(m_dir.filePath(fileName));
        rig.import.importCandidates(3);
        if (cell.isEmpty()) {
            QCOMPARE(rig.box.texts(), QStringList());
            QCOMPARE(rig.candidates.items(), QStringList());
            QCOMPARE(rig.counter.text(), QStringLiteral("0"));
            return;
        }
        QCOMPARE(rig.box.shown.size(), 1);
        const QString text = rig.box.shown[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("无法读取Excel文件：") + fileName + QStringLiteral("\n单元格") + cell
                                 + QStringLiteral("是公式"))
                     && text.contains(QStringLiteral("打开这个工作簿并保存")),
                 qPrintable(text));
        QCOMPARE(rig.candidates.items(), QStringList { QStringLiteral("原有") });
        QCOMPARE(rig.counter.text(), QStringLiteral("XXXX"));
    }

    void refusesWhatIsNotAWorkbook_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("text file") << QStringLiteral("坏.xls");
        QTest::newRow("missing") << QStringLiteral("不存在.xlsx");
    }
    void refusesWhatIsNotAWorkbook()
    {
        QFETCH(QString, fileName);
        Rig rig(m_dir.path());
        rig.candidates.setItems({ QStringLiteral("原有") });
        rig.dialog.chooseNext(m_dir.filePath(fileName));
        rig.import.importCandidates(3);

        QCOMPARE(rig.box.shown.size(), 1);
        QVERIFY2(rig.box.shown[0].text.startsWith(QStringLiteral("无法读取Excel文件：") + fileName + QLatin1Char('\n')),
                 qPrintable(rig.box.shown[0].text));
        QVERIFY(rig.box.shown[0].text.size() > QStringLiteral("无法读取Excel文件：\n").size() + fileName.size());
        QCOMPARE(rig.box.shown[0].title, text::windowCaption());
        QCOMPARE(rig.candidates.items(), QStringList { QStringLiteral("原有") });
        QCOMPARE(rig.counter.text(), QStringLiteral("XXXX"));
    }
};

QTEST_GUILESS_MAIN(TestImportFiles)
#include "test_import_files.moc"
