#include "workbook/Spreadsheet.h"

#include "platform/SystemReason.h"
#include "workbook/SheetCells.h"
#include "workbook/WorkbookDocument.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xlsx/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pelorin::workbook {

namespace {

// A workbook opened for reading some of its columns: the others may be missing, so it is never saved.
class ColumnsDocument final : public IWorkbookDocument
{
public:
    explicit ColumnsDocument(std::unique_ptr<Sheet> sheet)
        : m_sheet(std::move(sheet))
    {
    }
    ISheet* firstSheet() override { return m_sheet.get(); }
    bool saveAs(const QString&, QString* error) override
    {
        if (error)
            *error = QStringLiteral("工作簿只读取了其中几列，不能保存。");
        return false;
    }

private:
    std::unique_ptr<Sheet> m_sheet;
};

} // namespace

std::unique_ptr<IWorkbookDocument> Spreadsheet::open(const QString& path, QString* error)
{
    return read(path, nullptr, error);
}

std::unique_ptr<IWorkbookDocument> Spreadsheet::openColumns(const QString& path, const std::vector<int>& columns,
                                                            QString* error)
{
    return read(path, &columns, error);
}

std::unique_ptr<IWorkbookDocument> Spreadsheet::read(const QString& path, const std::vector<int>* columns,
                                                     QString* error)
{
    const auto fail = [error](const QString& reason) -> std::unique_ptr<IWorkbookDocument> {
        if (error)
            *error = reason;
        return nullptr;
    };
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return fail(QStringLiteral("找不到工作簿文件“%1”。").arg(shown));
    if (info.isDir())
        return fail(QStringLiteral("“%1”是一个文件夹，不是Excel工作簿。").arg(shown));
    if (info.size() > kMaxFileBytes) {
        return fail(QStringLiteral("工作簿“%1”太大（%2 MB），最多只能打开%3 MB的文件。")
                        .arg(shown)
                        .arg(info.size() / (1024 * 1024))
                        .arg(kMaxFileBytes / (1024 * 1024)));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("无法读取工作簿“%1”：%2").arg(shown, files::reasonOf(file.errorString())));
    // Read at most one byte past the cap, in case the file grew after it was measured. The measured size comes
    // first, so the buffer is not sized for the cap.
    QByteArray bytes = file.read(info.size() + 1);
    if (bytes.size() > info.size())
        bytes += file.read(kMaxFileBytes + 1 - bytes.size());
    if (bytes.size() > kMaxFileBytes)
        return fail(
            QStringLiteral("工作簿“%1”太大，最多只能打开%2 MB的文件。").arg(shown).arg(kMaxFileBytes / (1024 * 1024)));
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("无法读取工作簿“%1”：%2").arg(shown, files::reasonOf(file.errorString())));

    // The content decides the format; a renamed file opens all the same.
    const Format format = detectFormat(bytes);
    if (format == Format::Unknown)
        return fail(QStringLiteral("“%1”不是Excel工作簿。").arg(shown));
    // Cells are kept as stored and turn into text when they are read, so opening costs one pass over the sheet.
    auto cells = format == Format::Xls ? readXlsFirstSheet(bytes) : readXlsxFirstSheet(bytes, columns);
    if (!cells)
        return fail(QStringLiteral("“%1”不是Excel工作簿，或文件已损坏：%2").arg(shown, cells.error()));
    std::unique_ptr<Sheet> sheet;
    if (*cells)
        sheet = std::make_unique<Sheet>(std::move(*cells));
    if (columns)
        return std::make_unique<ColumnsDocument>(std::move(sheet));
    return std::make_unique<WorkbookDocument>(bytes, format, std::move(sheet));
}

} // namespace pelorin::workbook
