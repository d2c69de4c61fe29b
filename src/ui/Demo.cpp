#include "ui/Demo.h"

#include "model/Session.h"
#include "platform/SafeSave.h"
#include "platform/qt/QtClipboard.h"
#include "platform/scripted/ScriptedFileDialog.h"
#include "platform/scripted/ScriptedInputBox.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "platform/scripted/ScriptedShell.h"
#include "session/SessionKeeper.h"
#include "settings/FileSettingsStore.h"
#include "ui/CategoryPage.h"
#include "ui/Commands.h"
#include "ui/DrawWindowPanel.h"
#include "ui/EntryPanel.h"
#include "ui/MainWindow.h"
#include "ui/NameListView.h"
#include "ui/TaskWindow.h"
#include "workbook/Spreadsheet.h"

#include "ui/BottomBar.h"
#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

#ifndef PELORIN_DATA_DIR
#define PELORIN_DATA_DIR ""
#define PELORIN_RELATIVE_DATA_DIR ""
#endif

namespace pelorin {

namespace {

constexpr int DemoCategory = 3; // 重点企业
const QString CandidatesFile = QStringLiteral("重点企业名单.xlsx");
const QString HistoryFile = QStringLiteral("历史摇中名单.xlsx");
const QString AvoidancesFile = QStringLiteral("回避名单.xlsx");

void wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// One round of the open draw window: started again after the first, stopped after so many milliseconds, and waited
// for while the pointer runs out.
void drawRound(MainWindow& window, int round, int milliseconds)
{
    DrawWindowPanel* draw = window.drawWindow();
    if (round > 0)
        draw->startStop->click();
    wait(milliseconds);
    draw->startStop->click();
    for (int guard = 0; guard < 400 && window.commands().draw.isRunningOut(); ++guard)
        wait(25);
}

QString findSamples()
{
    const QDir program(QCoreApplication::applicationDirPath());
    const QStringList folders = { program.filePath(QStringLiteral("samples")),
                                  program.filePath(QStringLiteral(PELORIN_RELATIVE_DATA_DIR "/samples")),
                                  QStringLiteral(PELORIN_DATA_DIR "/samples") };
    for (const QString& folder : folders)
        if (QFile::exists(QDir(folder).filePath(CandidatesFile)))
            return folder;
    return {};
}

bool snapshot(QWidget& widget, const QString& path, QTextStream& out)
{
    QApplication::processEvents();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const bool saved = widget.grab().save(&buffer, "PNG") && files::saveBytes(path, png).isEmpty();
    out << (saved ? "  画面：" : "  无法保存画面：") << QDir::toNativeSeparators(path) << Qt::endl;
    return saved;
}

// 见证摇号 on the free list: the commitment printed as 摇号前公告, the witnesses' digits scripted, two names
// drawn from the seed they make, and a substitute for the first. True when all of it happened.
bool holdWitnessedDraw(MainWindow& window, ScriptedMessageBox& messages, ScriptedInputBox& input, QTextStream& out)
{
    constexpr Category Free = 6; // 摇号名单
    CategoryPage* page = window.page(Free);
    for (QTabWidget* tabs : { window.inspectorTabs(), window.enterpriseTabs() })
        if (tabs->indexOf(page) >= 0)
            tabs->setCurrentWidget(page);
    page->enterCandidates->click();
    window.entryPanel()->textArea->setPlainText(QStringLiteral("张明\n李华\n王芳\n赵强\n陈静\n刘洋\n杨帆\n黄磊"));
    window.entryPanel()->confirm->click();
    window.entryPanel()->closeButton->click();
    page->presetCount->setText(QStringLiteral("2"));
    DrawWindowPanel* draw = window.drawWindow();
    draw->witnessed->setChecked(true);
    messages.answerNext(IMessageBox::Answer::Yes); // 摇号前公告, then 继续
    input.answers.enqueue(QStringLiteral("3 1 4 1 5 9 2 6"));
    out << "8. 见证摇号（摇号名单，预设2个，见证数字 3 1 4 1 5 9 2 6）：" << Qt::endl;
    page->drawButton->click();
    for (int round = 0; round < 2 && draw->isVisible(); ++round) {
        // The pointer runs out to the sector the seed picked.
        drawRound(window, round, 700);
        out << "   第" << round + 1 << "个：" << page->results->text(page->results->count() - 1) << Qt::endl;
    }
    draw->witnessed->setChecked(false);
    const bool drawn = page->results->count() == 2 && page->substitute->isVisible();
    page->results->setCurrentIndex(page->results->model()->index(0, 0));
    input.answers.enqueue(QStringLiteral("回避：演示"));
    page->substitute->click();
    out << "   替补之后：" << page->results->text(0) << "、" << page->results->text(1) << Qt::endl;
    return drawn && page->results->count() == 2;
}

// Typed names put into category c's candidates and count of them drawn, stop after stop. True when all were.
bool drawTyped(MainWindow& window, Category c, const QString& names, int count)
{
    CategoryPage* page = window.page(c);
    for (QTabWidget* tabs : { window.inspectorTabs(), window.enterpriseTabs() })
        if (tabs->indexOf(page) >= 0)
            tabs->setCurrentWidget(page);
    page->enterCandidates->click();
    window.entryPanel()->textArea->setPlainText(names);
    window.entryPanel()->confirm->click();
    window.entryPanel()->closeButton->click();
    page->presetCount->setText(QString::number(count));
    DrawWindowPanel* draw = window.drawWindow();
    page->drawButton->click();
    for (int round = 0; round < count && draw->isVisible(); ++round)
        drawRound(window, round, 500);
    if (draw->isVisible())
        draw->close->click();
    return page->results->count() == count;
}

// The 回避 workbook as another office would send it: a heading, then inspector and enterprise a row.
bool writeAvoidances(MainWindow& window, const QString& path, const QList<QStringList>& pairs)
{
    // Made from the export template, wherever this copy of the program keeps it.
    QString base;
    for (const QString& folder : window.commands().exporter.templateFolders())
        if (base.isEmpty() && QFile::exists(QDir(folder).filePath(QStringLiteral("export.xlsx"))))
            base = QDir(folder).filePath(QStringLiteral("export.xlsx"));
    workbook::Spreadsheet spreadsheet;
    QString error;
    const auto document = spreadsheet.open(base, &error);
    ISheet* sheet = document ? document->firstSheet() : nullptr;
    if (!sheet)
        return false;
    sheet->setCellText(QStringLiteral("A1"), QStringLiteral("检查人员"));
    sheet->setCellText(QStringLiteral("B1"), QStringLiteral("须回避的企业"));
    for (int row = 0; row < pairs.size(); ++row) {
        sheet->setCellText(QStringLiteral("A%1").arg(row + 2), pairs.at(row).at(0));
        sheet->setCellText(QStringLiteral("B%1").arg(row + 2), pairs.at(row).at(1));
    }
    return document->saveAs(path, &error);
}

// 组长 and 成员 drawn from typed names, all of them. True when all were.
bool drawInspectors(MainWindow& window, QTextStream& out)
{
    // Every typed name is drawn, in the order the wheel gives: no list is left over for a later session.
    const bool leaders = drawTyped(window, 0, QStringLiteral("周组长\n吴组长"), 2);
    const bool members = drawTyped(window, 2, QStringLiteral("孙一\n钱二\n冯三\n褚四"), 4);
    out << "4. 抽取组长：" << window.session().names(0, ListKind::Results).join(QStringLiteral("、")) << "；成员："
        << window.session().names(2, ListKind::Results).join(QStringLiteral("、")) << Qt::endl;
    return leaders && members;
}

// 检查任务分配 of the drawn 重点企业 through its window, with a 回避 workbook of the demo's own and a typed pair;
// the task table exported. True when all of it happened.
bool assignTasks(MainWindow& window, ScriptedFileDialog& files, ScriptedShell& shell, const QDir& dir, QTextStream& out)
{
    const QStringList drawnLeaders = window.session().names(0, ListKind::Results);
    const QStringList drawnMembers = window.session().names(2, ListKind::Results);
    const QStringList enterprises = window.session().names(DemoCategory, ListKind::Results);
    if (drawnLeaders.isEmpty() || drawnMembers.isEmpty() || enterprises.size() < 2)
        return false;

    const QString avoidances = dir.filePath(AvoidancesFile);
    if (!writeAvoidances(window, avoidances,
                         { { drawnLeaders.value(0), enterprises.value(0) },
                           { QStringLiteral("不在抽中名单的人"), enterprises.value(1) } }))
        return false;
    window.bottomBar()->tasks->click();
    TaskWindow* tasks = window.taskWindow();
    files.choices.enqueue({ avoidances, AvoidancesFile, {} });
    tasks->importAvoidances->click();
    tasks->membersPerGroup->setValue(2);
    tasks->typedAvoidances->setPlainText(drawnMembers.value(0) + QStringLiteral("，") + enterprises.value(1));
    tasks->assign->click();
    out << "9. 检查任务分配（回避名单：" << AvoidancesFile << "，另输入 " << drawnMembers.value(0) << "，"
        << enterprises.value(1) << "）：" << Qt::endl;
    for (int row = 0; row < tasks->table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < tasks->table->columnCount(); ++column)
            cells.append(tasks->table->item(row, column) ? tasks->table->item(row, column)->text() : QString());
        out << "   " << cells.join(QStringLiteral("｜")) << Qt::endl;
    }
    for (int i = 0; i < tasks->unmatched->count(); ++i)
        out << "   未匹配：" << tasks->unmatched->item(i)->text() << Qt::endl;
    snapshot(*tasks, dir.filePath(QStringLiteral("06-tasks.png")), out);
    const qsizetype opened = shell.opened.size();
    tasks->exportTable->click();
    const QString exported = shell.opened.size() > opened ? shell.opened.last() : QString();
    out << "   导出：" << QDir::toNativeSeparators(exported) << Qt::endl;
    tasks->close();
    return window.session().lastAssignment() && tasks->table->rowCount() == 2 && QFile::exists(exported)
        && QFileInfo(exported).fileName().startsWith(QStringLiteral("检查任务分配表_"));
}

} // namespace

int runDemo(const QString& folder)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        err << "无法创建演示文件夹：" << QDir::toNativeSeparators(folder) << Qt::endl;
        return 1;
    }
    const QString samples = findSamples();
    if (samples.isEmpty()) {
        err << "找不到演示用的名单工作簿（samples 文件夹）。" << Qt::endl;
        return 1;
    }
    // The demo works on copies, so the exports land beside them and the samples stay as they are.
    QFile::remove(dir.filePath(AvoidancesFile));
    for (const QString& name : { CandidatesFile, HistoryFile }) {
        QFile::remove(dir.filePath(name));
        QFile::copy(QDir(samples).filePath(name), dir.filePath(name));
    }

    // Stand-ins for the person at the desk: every question is answered Yes, every dialog from the script.
    ScriptedMessageBox messages;
    ScriptedFileDialog files;
    ScriptedInputBox input;
    ScriptedShell shell;
    FileSettingsStore settings(dir.filePath(QStringLiteral("settings.json")));
    Services services;
    services.messageBox = &messages;
    services.fileDialog = &files;
    services.inputBox = &input;
    services.shell = &shell;
    services.settings = &settings;
    MainWindow window(services);
    window.setExitHandler([] {});
    // The demo's session is kept in memory only, for its draw record.
    SessionKeeper session(window.session(), nullptr, window.context().services.clock, QDateTime());
    window.context().history = &session;
    window.show();
    QApplication::processEvents();

    CategoryPage* page = window.page(DemoCategory);
    out << "Pelorin 演示：" << QDir::toNativeSeparators(dir.absolutePath()) << Qt::endl;

    files.choices.enqueue({ dir.filePath(CandidatesFile), CandidatesFile, {} });
    page->importCandidates->click();
    out << "1. 导入候选名单：" << page->candidates->count() << " 个" << Qt::endl;
    files.choices.enqueue({ dir.filePath(HistoryFile), HistoryFile, {} });
    page->importHistory->click();
    out << "2. 导入历史摇中名单：" << page->history->count() << " 个" << Qt::endl;
    page->excludeHistory->click();
    out << "3. 去已摇之后剩下：" << page->candidates->count() << " 个" << Qt::endl;
    // The inspectors first: the draws of 重点企业 stay the last plain draws of the record.
    const bool inspectors = drawInspectors(window, out);
    page->presetCount->setText(QStringLiteral("3"));
    snapshot(window, dir.filePath(QStringLiteral("01-main.png")), out);

    out << "5. 摇号（预设3个）：" << Qt::endl;
    DrawWindowPanel* draw = window.drawWindow();
    page->drawButton->click();
    for (int round = 0; round < 3 && draw->isVisible(); ++round) {
        if (round > 0)
            draw->startStop->click();
        wait(900 + 300 * round);
        if (round == 0)
            snapshot(window, dir.filePath(QStringLiteral("02-wheel.png")), out);
        draw->startStop->click();
        out << "   第" << round + 1 << "个：" << page->results->text(page->results->count() - 1) << Qt::endl;
        if (round == 1)
            snapshot(window, dir.filePath(QStringLiteral("03-stopped.png")), out);
    }
    snapshot(window, dir.filePath(QStringLiteral("04-results.png")), out);

    page->exportResults->click();
    input.answers.enqueue(QStringLiteral("演示"));
    window.bottomBar()->exportAll->click();
    out << "6. 导出的工作簿：" << Qt::endl;
    for (const QString& path : shell.opened)
        out << "   " << QDir::toNativeSeparators(path) << (QFile::exists(path) ? "" : "（没有写成）") << Qt::endl;

    page->copyResults->click();
    out << "7. 复制到粘贴板的文字：" << Qt::endl;
    for (const QString& line : QtClipboard().text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        out << "   " << line << Qt::endl;
    const qsizetype exported = shell.opened.size();
    const bool witnessed = holdWitnessedDraw(window, messages, input, out);
    snapshot(window, dir.filePath(QStringLiteral("05-witnessed.png")), out);
    const bool assigned = assignTasks(window, files, shell, dir, out);

    const std::optional<QString> sheet = window.commands().record.writeRecordInto(dir.absolutePath());
    out << "10. 摇号记录：" << Qt::endl;
    if (sheet) {
        out << "   "
            << QDir::toNativeSeparators(QString(*sheet).replace(QStringLiteral(".pdf"), QStringLiteral(".jsonl")))
            << Qt::endl
            << "   " << QDir::toNativeSeparators(*sheet) << Qt::endl;
    }
    out << "程序显示过的消息：" << Qt::endl;
    for (const ScriptedMessageBox::Shown& shown : messages.shown)
        out << "   " << QString(shown.text).replace(QLatin1Char('\n'), QLatin1Char(' ')) << Qt::endl;

    const bool complete = page->results->count() == 3 && exported == 2 && inspectors && witnessed && assigned && sheet
        && QFile::exists(*sheet) && QFile::exists(shell.opened.value(0)) && QFile::exists(shell.opened.value(1));
    out << (complete ? "演示完成。" : "演示没有走完，请看上面的消息。") << Qt::endl;
    return complete ? 0 : 1;
}

} // namespace pelorin
