// The 摇号记录 button: the record and its PDF sheet written beside the workbook, read back by poppler's tools.
#include "RecordSession.h"
#include "fakes/TinyDisk.h"
#include "output/VerifyCommand.h"
#include "platform/qt/QtSheetPdf.h"
#include "record/RecordSheet.h"
#include "ui/BottomBar.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

using namespace pelorin;
using namespace pelorin::test;

namespace {

// The text poppler reads from a PDF, or a null string when pdftotext is not installed.
QString pdfText(const QString& path)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        return {};
    QProcess p;
    p.start("pdftotext", { "-enc", "UTF-8", path, "-" });
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfInfo(const QString& tool, const QString& path)
{
    QProcess p;
    p.start(tool, { path });
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString withoutSpace(QString text)
{
    text.remove(QRegularExpression("\\s"));
    return text;
}

} // namespace

class RecordSheetTest : public QObject
{
    Q_OBJECT
private slots:
    void theButtonWritesRecordAndSheetBesideTheWorkbook()
    {
        RecordSession s;
        QVERIFY(s.active);
        s.importCandidates(3,
                           { "东城食品有限公司", "西城医药有限公司", "南岗照明有限公司", "北辰建材股份有限公司",
                             "青山印刷股份有限公司" },
                           "重点企业名单.xlsx");
        s.draw(3, 3);
        QCOMPARE(s.results(3).count(), 3);

        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        const QString record = s.dir.filePath("摇号记录_20240305140709.jsonl");
        const QString sheet = s.dir.filePath("摇号记录_20240305140709.pdf");
        QVERIFY(QFile::exists(record));
        QCOMPARE(s.desk.shell.opened, QStringList { sheet });

        QString report;
        QTextStream out(&report);
        QCOMPARE(record::runVerify(record, out), 0);
        const QString checkCode = report.section("校验码：", 1).section('\n', 0, 0);
        QCOMPARE(checkCode.size(), 64);

        const QString text = pdfText(sheet);
        if (text.isNull())
            QSKIP("pdftotext is not installed");
        for (const QString& needed : { QString("随机抽查摇号记录"), QString("重点企业"), QString("重点企业名单.xlsx"),
                                       QString("操作人："), QString("监督人："), QString("日期："), checkCode,
                                       QString("pelorin --verify 摇号记录_20240305140709.jsonl") })
            QVERIFY2(text.contains(needed), qPrintable(needed));
        for (const QString& name : s.results(3).items())
            QVERIFY2(text.contains(name), qPrintable(name));
        // Every font the sheet uses travels inside it.
        const QStringList fonts = pdfInfo("pdffonts", sheet).split('\n').mid(2, -1);
        for (const QString& font : fonts)
            if (!font.trimmed().isEmpty())
                QVERIFY2(font.contains(" yes "), qPrintable(font));

        // Twice within the same second: the same names, and No (the default) keeps both files.
        const QByteArray before = [&] {
            QFile f(record);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        s.desk.messageBox.answerNext(IMessageBox::Answer::No);
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QVERIFY(s.desk.messageBox.lastText().startsWith("文件已存在，是否覆盖？"));
        QFile again(record);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), before);
        QCOMPARE(s.desk.shell.opened.size(), 1);
    }

    void withoutAnImportASaveDialogChoosesTheFolder()
    {
        RecordSession s;
        s.enterCandidates(6, "甲\n乙\n丙");
        s.draw(6, 1);
        // The name typed without its extension gets it; the sheet goes beside.
        s.desk.fileDialog.chooseNext(s.dir.filePath("今天的摇号"));
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QVERIFY(s.desk.fileDialog.opened.last().save);
        QVERIFY(s.desk.fileDialog.opened.last().folder.endsWith("摇号记录_20240305140709.jsonl"));
        QVERIFY(QFile::exists(s.dir.filePath("今天的摇号.jsonl")));
        QCOMPARE(s.desk.shell.opened, QStringList { s.dir.filePath("今天的摇号.pdf") });

        // The same name again: one question for the pair, and No keeps them. Chosen with its extension, the
        // dialog has asked about the record itself, so only the sheet is asked about.
        qsizetype asked = s.desk.messageBox.shown.size();
        s.desk.fileDialog.chooseNext(s.dir.filePath("今天的摇号"));
        s.desk.messageBox.answerNext(IMessageBox::Answer::No);
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QCOMPARE(s.desk.messageBox.shown.size(), asked + 1);
        QVERIFY(s.desk.messageBox.lastText().endsWith("今天的摇号.jsonl"));
        s.desk.fileDialog.chooseNext(s.dir.filePath("今天的摇号.jsonl"));
        s.desk.messageBox.answerNext(IMessageBox::Answer::Yes);
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QCOMPARE(s.desk.messageBox.shown.size(), asked + 2);
        QVERIFY(s.desk.messageBox.lastText().endsWith("今天的摇号.pdf"));
        QCOMPARE(s.desk.shell.opened.size(), 2);

        // Cancelled: nothing written, nothing said.
        const qsizetype shown = s.desk.messageBox.shown.size();
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QCOMPARE(s.desk.messageBox.shown.size(), shown);
        QCOMPARE(s.desk.shell.opened.size(), 2);

        // A folder that cannot be written: one message naming the file, no file left.
        const QString blocked = s.dir.filePath("不是文件夹");
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        s.desk.fileDialog.chooseNext(blocked + "/记录.jsonl");
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QVERIFY(s.desk.messageBox.lastText().startsWith("无法保存摇号记录："));
        QVERIFY(s.desk.messageBox.lastText().contains("记录.jsonl"));
        QCOMPARE(s.desk.shell.opened.size(), 2);
    }

    void aFullDiskIsToldAndLeavesNoHalfFile()
    {
        TinyDisk disk;
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        RecordSession s;
        s.enterCandidates(6, "甲\n乙\n丙");
        s.draw(6, 1);
        // Room for the record but not for the sheet: the record stands, the sheet is named as missing.
        disk.fill(4096); // one page of the file system: the record needs less, the sheet more
        s.desk.fileDialog.chooseNext(disk.filePath("记录.jsonl"));
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QCOMPARE(s.desk.messageBox.lastText(),
                 "摇号记录已保存：" + disk.filePath("记录.jsonl") + "\n但记录单无法保存：" + disk.filePath("记录.pdf")
                     + "\n原因：磁盘空间已满");
        QString report;
        QTextStream out(&report);
        QCOMPARE(record::runVerify(disk.filePath("记录.jsonl"), out), 0);
        QVERIFY(!QFile::exists(disk.filePath("记录.pdf")));

        // No room at all: no success is claimed and no empty record is left.
        disk.fill();
        s.desk.fileDialog.chooseNext(disk.filePath("再一次.jsonl"));
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QCOMPARE(s.desk.messageBox.lastText(),
                 "无法保存摇号记录：" + disk.filePath("再一次.jsonl") + "\n原因：磁盘空间已满");
        QVERIFY(!QFile::exists(disk.filePath("再一次.jsonl")));
        QVERIFY(s.desk.shell.opened.isEmpty());
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList({ ".filler", "记录.jsonl" }));
    }

    void withoutAProgramForPdfsTheMessageSaysWhere()
    {
        RecordSession s;
        s.enterCandidates(6, "甲\n乙");
        s.draw(6, 1);
        s.desk.shell.opens = false;
        s.desk.fileDialog.chooseNext(s.dir.filePath("记录.jsonl"));
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QCOMPARE(s.desk.shell.opened, QStringList { s.dir.filePath("记录.pdf") });
        QVERIFY(s.desk.messageBox.lastText().contains(QDir::toNativeSeparators(s.dir.filePath("记录.pdf"))));
    }

    void nothingToRecordIsSaid()
    {
        RecordSession s;
        QTest::mouseClick(s.window.bottomBar()->drawRecord, Qt::LeftButton);
        QCOMPARE(s.desk.messageBox.lastText(), "当前还没有可以记录的操作。");
        QVERIFY(s.desk.fileDialog.opened.isEmpty());
    }

    void theSignaturesStayWithTheEndOfTheList()
    {
        // Lists of every length around a page's end: wherever the page breaks, the page with the signature
        // lines also holds the last name drawn.
        QTemporaryDir dir;
        for (int count = 6; count <= 24; ++count) {
            record::RecordSummary summary;
            summary.sessionStartedLocal = "2024-03-05T09:00:00.000+08:00";
            summary.checkCode = QString(64, 'c');
            record::CategoryDraws& draws = summary.categories[3];
            draws.sources = { "名单.xlsx" };
            for (int i = 0; i < count; ++i) {
                record::DrawnName d;
                d.name = QString("第%1家企业").arg(i + 1);
                d.sector = i + 1;
                d.wheelCount = 100;
                d.stopTime = "2024-03-05T09:10:11.000+08:00";
                d.fingerprint = QString(64, 'f');
                draws.draws.push_back(d);
            }
            const QString path = dir.filePath(QString("%1.pdf").arg(count));
            QString error;
            QVERIFY2(QtSheetPdf().printPdf(record::buildSheet(summary, "记录.jsonl"), path, &error), qPrintable(error));
            const QString text = pdfText(path);
            if (text.isNull())
                QSKIP("pdftotext is not installed");
            const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
            const auto signing = std::find_if(pages.begin(), pages.end(),
                                              [](const QString& page) { return page.contains("操作人："); });
            QVERIFY(signing != pages.end());
            QVERIFY2(signing->contains(QString("第%1家企业").arg(count)), qPrintable(QString::number(count)));
            QVERIFY2(signing->contains("监督人：") && signing->contains("日期："), qPrintable(QString::number(count)));
        }
    }

    void longListsRunOverPagesAndNothingIsCutOff()
    {
        record::RecordSummary summary;
        summary.sessionStarted = "2024-03-05T01:00:00.000Z";
        summary.sessionStartedLocal = "2024-03-05T09:00:00.000+08:00";
        summary.checkCode = QString(64, 'c');
        QStringList names;
        for (Category c : { 0, 3, 5 }) {
            record::CategoryDraws& draws = summary.categories[c];
            draws.sources = { "名单.xlsx" };
            for (int i = 0; i < 70; ++i) {
                record::DrawnName d;
                d.name = QString("%1号企业有限责任公司第%2分公司").arg(categoryName(c)).arg(i);
                if (i == 5)
                    d.name = QString("很长的名称").repeated(200) + "完";
                d.sector = i + 1;
                d.wheelCount = 2000 - i;
                d.stopTime = "2024-03-05T09:10:11.000+08:00";
                d.fingerprint = QString(64, 'f');
                draws.draws.push_back(d);
                names << d.name;
            }
        }
        const record::RecordSheet sheet = record::buildSheet(summary, "摇号记录_20240305091011.jsonl");
        QTemporaryDir dir;
        const QString path = dir.filePath("sheet.pdf");
        QString error;
        QVERIFY2(QtSheetPdf().printPdf(sheet, path, &error), qPrintable(error));
        const QString text = pdfText(path);
        if (text.isNull())
            QSKIP("pdftotext is not installed");
        const QString pages = pdfInfo("pdfinfo", path).section("Pages:", 1).section('\n', 0, 0).trimmed();
        QVERIFY2(pages.toInt() >= 6, qPrintable(pages));
        QVERIFY(text.contains(QString("第 1 页 共 %1 页").arg(pages)));
        QVERIFY(text.contains(QString("第 %1 页 共 %1 页").arg(pages)));
        // The long name wraps in its column; the first of its lines shares the line with the time and sector.
        QString flat = withoutSpace(text);
        flat.remove(QRegularExpression("2024-03-0509:10:11(\\d+/\\d+)?"));
        for (const QString& name : names)
            QVERIFY2(flat.contains(withoutSpace(name)), qPrintable(name.left(40)));
        QVERIFY(flat.contains(summary.checkCode));

        // A folder that cannot take the file: false with a reason, and nothing left behind.
        QVERIFY(!QtSheetPdf().printPdf(sheet, dir.filePath("没有/sheet.pdf"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { "sheet.pdf" });
    }
};

QTEST_MAIN(RecordSheetTest)
#include "test_record_sheet.moc"
