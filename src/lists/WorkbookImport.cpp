#include "lists/WorkbookImport.h"

#include "commands/AppContext.h"
#include "lists/ImportPaths.h"
#include "lists/ListCommands.h"
#include "model/ChangeNotes.h"
#include "model/ListFingerprint.h"
#include "model/Session.h"
#include "model/Sha256.h"
#include "platform/AppText.h"
#include "platform/IClock.h"
#include "platform/IFileDialog.h"
#include "platform/IMessageBox.h"
#include "platform/ISpreadsheet.h"
#include "settings/RegistrySettings.h"
#include "workbook/WorkbookData.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <future>
#include <vector>

namespace pelorin {

namespace {

const QString CandidateKeyRead = QStringLiteral("Software\\PLRNpath");
const QString CandidateKeyWritten = QStringLiteral("SOFTWARE\\PLRNpath");
const QString HistoryKeyRead = QStringLiteral("Software\\PLRNpath2");
const QString HistoryKeyWritten = QStringLiteral("SOFTWARE\\PLRNpath2");
const QString FolderValue = QStringLiteral("path");

// The export can only save under the extension of a workbook format.
bool isWorkbookExtension(const QString& extension)
{
    return extension.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0
        || extension.compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0;
}

// The extension a workbook's content calls for, for file names that do not show one.
QString extensionByContent(const QString& path)
{
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(8) : QByteArray();
    // The export template is an .xls workbook, so that is also the choice when the content tells nothing.
    return workbook::detectFormat(head) == workbook::Format::Xlsx ? QStringLiteral("xlsx") : QStringLiteral("xls");
}

} // namespace

WorkbookImport::WorkbookImport(AppContext& context)
    : m_context(context)
{
}

void WorkbookImport::importCandidates(Category i)
{
    Session& session = *m_context.session;
    Session::Command command(session, QStringLiteral("import"), i);
    const auto chosen = choose(CandidateKeyRead);
    if (!chosen)
        return;

    ExportTexts texts;
    texts.sourceFolder = chosen->folder;
    texts.sourceFileTail = importpaths::tailOf(chosen->path, chosen->folder);
    texts.importStamp = importpaths::stampOf(m_context.services.clock->now());
    QString extension = importpaths::extensionOf(texts.sourceFileTail);
    if (!isWorkbookExtension(extension))
        extension = extensionByContent(chosen->path);
    texts.exportPath = importpaths::exportPathOf(texts.sourceFolder, texts.sourceFileTail, categoryName(i),
                                                 texts.importStamp, extension);
    texts.hasImportedCandidates = true;
    session.setCurrentCategory(i);
    session.setExportTexts(texts);

    const auto read = readColumns(*chosen, { u'B' });
    if (!read)
        return;
    const QStringList& names = read->columns.first();
    noteSource(*chosen, read->sha256);
    session.replaceCandidates(i, names);
    tellInvisible(names, *m_context.services.messageBox);
    rememberFolder(CandidateKeyWritten, chosen->folder);
}

void WorkbookImport::importHistory(Category i)
{
    Session& session = *m_context.session;
    Session::Command command(session, QStringLiteral("importHistory"), i);
    const auto chosen = choose(HistoryKeyRead);
    if (!chosen)
        return;
    session.setCurrentCategory(i);

    const auto read = readColumns(*chosen, { u'B' });
    if (!read)
        return;
    const QStringList& names = read->columns.first();
    noteSource(*chosen, read->sha256);
    session.replaceHistory(i, names);
    tellInvisible(names, *m_context.services.messageBox);
    rememberFolder(HistoryKeyWritten, chosen->folder);
}

std::optional<WorkbookImport::Chosen> WorkbookImport::choose(const QString& keyPath)
{
    QString folder = rememberedFolder(keyPath);
    if (folder.isEmpty())
        folder = m_context.services.programFolder;

    const QStringList filters { QStringLiteral("Excel文件(*.xls *.xlsx)"), QStringLiteral("Excel文件(*.xls)"),
                                QStringLiteral("(*.xlsx)") };
    const ChosenFile file
        = m_context.services.fileDialog->openFile(QStringLiteral("打开Excel多表所在的文件夹："), filters, folder);
    const QString path = importpaths::trimSpaces(file.path);
    if (path.isEmpty())
        return std::nullopt;
    return Chosen { path, importpaths::folderOf(path, file.fileName), file.fileName };
}

std::optional<WorkbookImport::Columns> WorkbookImport::chooseColumns(const QList<char16_t>& columns)
{
    const auto chosen = choose(CandidateKeyRead);
    if (!chosen)
        return std::nullopt;
    auto read = readColumns(*chosen, columns);
    if (!read)
        return std::nullopt;
    return Columns { chosen->fileName, read->sha256.value_or(QString()), std::move(read->columns) };
}

std::optional<WorkbookImport::Read> WorkbookImport::readColumns(const Chosen& chosen, const QList<char16_t>& columns)
{
    const Services& services = m_context.services;
    if (!services.spreadsheet || !services.spreadsheet->isAvailable()) {
        services.messageBox->plain(QStringLiteral("打开链接Excel软件出错。"),
                                   QStringLiteral("打开链接Excel软件出错："));
        return std::nullopt;
    }
    QString refusal;
    std::optional<Read> read = readWorkbook(*services.spreadsheet, chosen.path, columns, &refusal);
    if (!read) {
        services.messageBox->information(QStringLiteral("无法读取Excel文件：") + chosen.fileName + QLatin1Char('\n')
                                             + refusal,
                                         text::windowCaption());
    }
    return read;
}

std::optional<WorkbookImport::Read> WorkbookImport::readWorkbook(ISpreadsheet& spreadsheet, const QString& path,
                                                                 const QList<char16_t>& columns, QString* refusal)
{
    // The fingerprint is taken on a second thread while this one reads the workbook: it would otherwise add the
    // time of a pass over the file to every import. Where no thread can be started, it is taken when asked for.
    std::future<std::optional<QString>> sha256
        = std::async(std::launch::async | std::launch::deferred, fingerprintOf, path);
    const auto refuse = [refusal](const QString& reason) -> std::optional<Read> {
        *refusal = reason;
        return std::nullopt;
    };
    QString error;
    // Only the columns read are kept: the other cells of a large sheet cost as much again to keep as to read.
    std::vector<int> indices;
    for (const char16_t column : columns)
        indices.push_back(column - u'A');
    const auto document = spreadsheet.openColumns(path, indices, &error);
    if (!document)
        return refuse(error.isEmpty() ? QStringLiteral("文件无法打开。") : error);
    const ISheet* sheet = document->firstSheet();
    if (!sheet)
        return refuse(QStringLiteral("工作簿中没有工作表。"));

    Read read;
    for (const char16_t column : columns) {
        std::optional<QStringList> names = namesOf(*sheet, refusal, column);
        if (!names)
            return std::nullopt;
        read.columns.append(std::move(*names));
    }
    read.sha256 = sha256.get();
    return read;
}

std::optional<QStringList> WorkbookImport::namesOf(const ISheet& sheet, QString* refusal, char16_t column)
{
    const auto refuse = [refusal](const QString& reason) -> std::optional<QStringList> {
        if (refusal)
            *refusal = reason;
        return std::nullopt;
    };
    QStringList names;
    // "B2", "B3", ... are written into one buffer the reference borrows: asking for a cell allocates nothing.
    char16_t reference[16] = { column };
    for (int row = FirstRow; row <= LastRow; ++row) {
        char digits[12];
        const char* const end = std::to_chars(digits, digits + sizeof digits, row).ptr;
        const qsizetype length = std::copy(static_cast<const char*>(digits), end, reference + 1) - reference;
        const QString cell = QString::fromRawData(reinterpret_cast<const QChar*>(reference), length);
        QString name = sheet.cellText(cell);
        if (name.isEmpty()) {
            if (sheet.lacksFormulaResult(cell)) {
                return refuse(QStringLiteral("单元格%1是公式，但工作簿中没有保存它的计算结果（有些程序生成的工作簿只"
                                             "保存公式），读不出其中的名单。请先用电子表格软件（如Excel、WPS表格）"
                                             "打开这个工作簿并保存，再重新导入。")
                                  .arg(cell));
            }
            break;
        }
        if (names.size() == MaxNames)
            return refuse(QStringLiteral("名单超过 %1 个，无法导入。").arg(MaxNames));
        // No UTF-8 text can hold an unpaired surrogate: such a name could not be recorded or printed as it is.
        if (!isValidUnicode(name))
            return refuse(QStringLiteral("单元格%1的名称含有无效的字符（不成对的代理项），无法导入。").arg(cell));
        names.append(std::move(name));
    }
    return names;
}

std::optional<QString> WorkbookImport::fingerprintOf(const QString& path)
{
    // With the processor's SHA extensions where it has them: a portable SHA-256 of the file took longer than
    // reading the names out of it.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Sha256 hash;
    std::vector<unsigned char> buffer(64 * 1024);
    for (;;) {
        const qint64 read = file.read(reinterpret_cast<char*>(buffer.data()), qint64(buffer.size()));
        if (read < 0)
            return std::nullopt;
        if (read == 0)
            break;
        hash.add(buffer.data(), std::size_t(read));
    }
    return hash.hex();
}

void WorkbookImport::noteSource(const Chosen& chosen, const std::optional<QString>& sha256)
{
    // The fingerprint of the very bytes the names came from, so a record can name the workbook exactly.
    if (sha256)
        m_context.session->note(listnotes::Sha256, *sha256);
    m_context.session->note(listnotes::File, chosen.fileName);
}

QString WorkbookImport::rememberedFolder(const QString& keyPath)
{
    const Services& services = m_context.services;
    if (!services.settings)
        return {};
    RegistrySettings settings(*services.settings, *services.messageBox);
    return importpaths::trimSpaces(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyPath, FolderValue));
}

void WorkbookImport::rememberFolder(const QString& keyPath, const QString& folder)
{
    const Services& services = m_context.services;
    if (!services.settings)
        return;
    // A folder that cannot be remembered only means the next dialog opens elsewhere; nobody is told.
    RegistrySettings settings(*services.settings, *services.messageBox);
    settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyPath, FolderValue, folder, REG_SZ);
}

} // namespace pelorin
