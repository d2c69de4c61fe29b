// Saving on a file system that is full or read-only: every file the program writes fails with a Chinese
// reason, and neither a partial nor an empty file takes the target's place.
#include "platform/scripted/ScriptedMessageBox.h"
#include "fakes/TinyDisk.h"
#include "platform/SafeSave.h"
#include "platform/SystemReason.h"
#include "settings/FileSettingsStore.h"
#include "workbook/Spreadsheet.h"

#include <QDir>
#include <QLibraryInfo>
#include <QTest>
#include <QTranslator>

using namespace pelorin;
using namespace pelorin::test;

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Only what the test put there: no temporary file is left behind.
QStringList filesIn(const TinyDisk& disk)
{
    return QDir(disk.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class SafeSaveTest : public QObject
{
    Q_OBJECT
private slots:
    // As the program runs: with Qt's Chinese translation, which words some of the system's reasons itself.
    void initTestCase()
    {
        if (m_translator.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&m_translator);
    }

    void systemReasonsReadInChinese_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full") << "No space left on device"
                              << "磁盘空间已满";
        QTest::newRow("read-only") << "Read-only file system"
                                   << "磁盘或文件夹是只读的，不能写入";
        QTest::newRow("rights") << "Permission denied"
                                << "没有访问权限";
        QTest::newRow("in use") << "Text file busy"
                                << "文件正被其他程序使用";
        QTest::newRow("missing") << "No such file or directory"
                                 << "文件或文件夹不存在";
        QTest::newRow("Qt's own") << "Existing file /x/a.xlsx is not writable"
                                  << "没有写入权限";
        QTest::newRow("already Chinese") << "文件已损坏"
                                         << "文件已损坏";
        QTest::newRow("unknown keeps its text") << "Exotic failure"
                                                << "系统错误（Exotic failure）";
    }
    void systemReasonsReadInChinese()
    {
        QFETCH(QString, system);
        QFETCH(QString, reason);
        QCOMPARE(files::reasonOf(system), reason);
    }

    void aFullDiskKeepsTheFormerFile()
    {
        TinyDisk disk;
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        const QString target = disk.filePath("摇号记录.jsonl");
        QCOMPARE(files::saveBytes(target, "earlier\n"), QString());
        disk.fill();
        // A few bytes, which Qt would keep in its buffer until the end, and more than the disk ever held.
        for (const QByteArray& bytes : { QByteArray("{\"a\":1}\n"), QByteArray(200 * 1024, 'x') }) {
            QCOMPARE(files::saveBytes(target, bytes), QStringLiteral("磁盘空间已满"));
            QCOMPARE(contentOf(target), QByteArray("earlier\n"));
            QCOMPARE(filesIn(disk), QStringList({ ".filler", "摇号记录.jsonl" }));
        }
        QCOMPARE(files::saveBytes(disk.filePath("新.jsonl"), "x"), QStringLiteral("磁盘空间已满"));
        QVERIFY(!QFile::exists(disk.filePath("新.jsonl")));
    }

    void aReadOnlyDiskSaysSo()
    {
        TinyDisk disk;
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        QVERIFY(disk.makeReadOnly());
        const QString reason = files::saveBytes(disk.filePath("a.xlsx"), "x");
        QCOMPARE(reason, QStringLiteral("磁盘或文件夹是只读的，不能写入"));
    }

    void workbooksAndSettingsOnAFullDisk()
    {
        TinyDisk disk;
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        // The settings file keeps what it held and the failure is told with the file and the reason.
        FileSettingsStore store(disk.filePath("settings.json"));
        ScriptedMessageBox box;
        store.reportFailuresTo(&box);
        QVERIFY(store.createKey("HKEY_LOCAL_MACHINE", "SOFTWARE\\PLRNpath"));
        const QByteArray settings = contentOf(store.path());
        disk.fill();
        QVERIFY(!store.setValue("HKEY_LOCAL_MACHINE", "SOFTWARE\\PLRNpath", "path", { 1, QByteArray("D:\\x\0", 5) }));
        QCOMPARE(contentOf(store.path()), settings);
        QCOMPARE(
            box.texts(),
            QStringList { "无法保存设置文件：" + QDir::toNativeSeparators(store.path()) + "\n原因：磁盘空间已满" });

        // An export: the reason names the file, and no workbook is left.
        workbook::Spreadsheet spreadsheet;
        QString error;
        auto document = spreadsheet.open(PELORIN_SOURCE_DIR "/data/export.xlsx", &error);
        QVERIFY2(document, qPrintable(error));
        document->firstSheet()->setCellText("B1", "甲公司");
        const QString path = disk.filePath("结果.xlsx");
        QVERIFY(!document->saveAs(path, &error));
        QCOMPARE(error, "无法保存工作簿“" + QDir::toNativeSeparators(path) + "”：磁盘空间已满");
        QVERIFY(!QFile::exists(path));
        QCOMPARE(filesIn(disk), QStringList({ ".filler", "settings.json" }));
    }

private:
    QTranslator m_translator;
};

QTEST_GUILESS_MAIN(SafeSaveTest)
#include "test_safe_save.moc"
