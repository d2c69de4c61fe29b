#include "output/WorkbookExport.h"

#include "commands/AppContext.h"
#include "lists/ImportPaths.h"
#include "model/Session.h"
#include "output/ExportNames.h"
#include "platform/AppText.h"
#include "platform/IClock.h"
#include "platform/IFileDialog.h"
#include "platform/IInputBox.h"
#include "platform/IMessageBox.h"
#include "platform/IShell.h"
#include "platform/ISpreadsheet.h"
#include "settings/RegistrySettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef PELORIN_DATA_DIR
#define PELORIN_DATA_DIR ""
#define PELORIN_RELATIVE_DATA_DIR ""
#endif

namespace pelorin {

namespace {

const QStringList SaveFilters = { QStringLiteral("Excel工作簿(*.xlsx)"), QStringLiteral("Excel 97-2003工作簿(*.xls)") };

QString nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

WorkbookExport::WorkbookExport(AppContext& context)
    : m_context(context)
{
}

QStringList WorkbookExport::templateFolders() const
{
    // Beside the program first; then the data folder of an installed copy, found from the program's own
    // place so that a copy installed under any prefix finds its templates.
    const QString program = m_context.services.programFolder;
    QStringList folders { program };
    for (const QString& folder : { QDir::cleanPath(QDir(program).filePath(QStringLiteral(PELORIN_RELATIVE_DATA_DIR))),
                                   QStringLiteral(PELORIN_DATA_DIR) })
        if (!folder.isEmpty() && !folders.contains(folder))
            folders.append(folder);
    return folders;
}

void WorkbookExport::exportCategory(Category i)
{
    const QStringList& results = m_context.session->names(i, ListKind::Results);
    if (results.isEmpty()) {
        m_context.services.messageBox->information(QStringLiteral("当前还没有摇取结果名单。"), text::windowCaption());
        return;
    }
    const auto path = categoryPath(i);
    if (!path)
        return;
    Cells cells { { QStringLiteral("A1"), exportnames::headingOf(categoryName(i)) } };
    for (int k = 0; k < results.size(); ++k)
        cells.emplace_back(QStringLiteral("B%1").arg(k + 1), results.at(k));
    write(*path, cells);
}

void WorkbookExport::exportAll()
{
    bool any = false;
    for (Category j = 0; j < CategoryCount; ++j)
        any = any || m_context.session->count(j, ListKind::Results) > 0;
    if (!any) {
        m_context.services.messageBox->information(QStringLiteral("当前还没有任何一项摇取结果可供导出。"),
                                                   text::windowCaption());
        return;
    }
    const auto path = allPath();
    if (!path)
        return;
    Cells cells;
    int row = 1;
    for (Category j = 0; j < CategoryCount; ++j) {
        const QStringList& results = m_context.session->names(j, ListKind::Results);
        if (results.isEmpty())
            continue;
        cells.emplace_back(QStringLiteral("A%1").arg(row), exportnames::headingOf(categoryName(j)));
        for (const QString& name : results)
            cells.emplace_back(QStringLiteral("B%1").arg(row++), name);
        ++row; // one empty row between blocks
    }
    write(*path, cells);
}

void WorkbookExport::openTemplateDownload()
{
    m_context.services.shell->open(links::templateDownload());
}

void WorkbookExport::exportTable(const QString& fileName, const QString& templateBase, const QString& what,
                                 const Cells& cells)
{
    const ExportTexts& texts = m_context.session->exportTexts();
    std::optional<QString> path;
    if (!texts.hasImportedCandidates) {
        path = askSavePath(fileName, what);
    } else {
        path = QDir(texts.sourceFolder).filePath(fileName);
        if (!confirmOverwrite(*path))
            return;
    }
    if (path)
        write(*path, cells, templateBase, what);
}

std::optional<QString> WorkbookExport::categoryPath(Category i)
{
    const ExportTexts& texts = m_context.session->exportTexts();
    if (!texts.hasImportedCandidates)
        return askSavePath(exportnames::suggestedCategoryFileName(categoryName(i), m_context.services.clock->now()));
    // The file is named for the category exported now, not for the one last imported.
    const QString path = importpaths::exportPathOf(texts.sourceFolder, texts.sourceFileTail, categoryName(i),
                                                   texts.importStamp, importpaths::extensionOf(texts.exportPath));
    if (!confirmOverwrite(path))
        return std::nullopt;
    return path;
}

std::optional<QString> WorkbookExport::allPath()
{
    const std::optional<QString> typed = m_context.services.inputBox->ask(
        QStringLiteral("请输入导出摇号结果保存文件名称："), QStringLiteral("请填写导出保存文件名称："), QString());
    if (!typed)
        return std::nullopt;
    if (!exportnames::isValidFileName(*typed)) {
        m_context.services.messageBox->information(exportnames::invalidFileNameMessage(), text::windowCaption());
        return std::nullopt;
    }
    const Session& session = *m_context.session;
    const ExportTexts& texts = session.exportTexts();
    if (!texts.hasImportedCandidates)
        return askSavePath(exportnames::suggestedAllFileName(*typed, categoryName(session.currentCategory()),
                                                             m_context.services.clock->now()));
    const QString path = exportnames::exportAllPathOf(texts.sourceFolder, texts.sourceFileTail, *typed,
                                                      categoryName(session.currentCategory()), texts.importStamp,
                                                      importpaths::extensionOf(texts.exportPath));
    if (!confirmOverwrite(path))
        return std::nullopt;
    return path;
}

std::optional<QString> WorkbookExport::askSavePath(const QString& suggestedName, const QString& what)
{
    QString folder;
    if (m_context.services.settings) {
        RegistrySettings settings(*m_context.services.settings, *m_context.services.messageBox);
        folder = importpaths::trimSpaces(settings.ReadRegValue(
            RootKey::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\PLRNpath"), QStringLiteral("path")));
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // The save dialog asks before it replaces a file itself.
    const ChosenFile chosen = m_context.services.fileDialog->saveFile(QStringLiteral("保存%1：").arg(what), SaveFilters,
                                                                      QDir(folder).filePath(suggestedName));
    if (chosen.path.isEmpty())
        return std::nullopt;
    // A name typed without a workbook extension gets the selected format's; the dialog did not ask about
    // replacing a file of that name, so ask here.
    const QString path = exportnames::withWorkbookExtension(chosen.path, chosen.filter);
    if (path != chosen.path && !confirmOverwrite(path))
        return std::nullopt;
    return path;
}

bool WorkbookExport::confirmOverwrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    return m_context.services.messageBox->question(QStringLiteral("文件已存在，是否覆盖？\n") + nativeName(path),
                                                   text::windowCaption());
}

std::optional<QString> WorkbookExport::findTemplate(const QString& outputPath, const QString& templateBase)
{
    // The template of the output's own format keeps its formatting best; the other one serves too.
    const bool wantsXls = QFileInfo(outputPath).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0;
    const QString xls = templateBase + QStringLiteral(".xls");
    const QString xlsx = templateBase + QStringLiteral(".xlsx");
    const QStringList names = wantsXls ? QStringList { xls, xlsx } : QStringList { xlsx, xls };
    for (const QString& name : names)
        for (const QString& folder : templateFolders()) {
            const QString candidate = QDir(folder).filePath(name);
            if (QFileInfo(candidate).isFile())
                return candidate;
        }
    return std::nullopt;
}

void WorkbookExport::write(const QString& path, const Cells& cells, const QString& templateBase, const QString& what)
{
    ISpreadsheet* spreadsheet = m_context.services.spreadsheet;
    if (!spreadsheet || !spreadsheet->isAvailable()) {
        m_context.services.messageBox->plain(QStringLiteral("打开链接Excel软件出错。"),
                                             QStringLiteral("打开链接Excel软件出错："));
        return;
    }
    const auto templatePath = findTemplate(path, templateBase);
    if (!templatePath) {
        QStringList searched;
        for (const QString& folder : templateFolders())
            searched.append(nativeName(folder));
        reportFailure(path,
                      QStringLiteral("找不到导出模板文件 %1.xlsx 或 %1.xls（已查找的文件夹：%2）。")
                          .arg(templateBase, searched.join(QStringLiteral("；"))));
        return;
    }
    QString error;
    const auto document = spreadsheet->open(*templatePath, &error);
    ISheet* sheet = document ? document->firstSheet() : nullptr;
    if (!sheet) {
        reportFailure(path, QStringLiteral("导出模板“%1”无法打开：%2").arg(nativeName(*templatePath), error));
        return;
    }
    sheet->autoFitColumns();
    for (const auto& [reference, text] : cells)
        sheet->setCellText(reference, text);
    sheet->autoFitColumns();
    if (!document->saveAs(path, &error)) {
        reportFailure(path, error);
        return;
    }
    // Without a program for workbooks nothing would show; then at least where the file went.
    if (!m_context.services.shell->open(path))
        m_context.services.messageBox->information(
            QStringLiteral(
                "%1已导出，文件保存在：\n%2\n\n这台电脑上没有能打开Excel工作簿的程序，请到这个文件夹中查看。")
                .arg(what, nativeName(path)),
            text::windowCaption());
}

void WorkbookExport::reportFailure(const QString& path, const QString& reason)
{
    m_context.services.messageBox->information(
        QStringLiteral("导出失败：") + QFileInfo(path).fileName() + QLatin1Char('\n') + reason, text::windowCaption());
}

} // namespace pelorin
