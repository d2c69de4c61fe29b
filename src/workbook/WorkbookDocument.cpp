#include "workbook/WorkbookDocument.h"

#include "platform/SafeSave.h"
#include "workbook/CellAddress.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxWriter.h"

#include <QDir>
#include <QFileInfo>

namespace pelorin::workbook {

namespace {

constexpr int kXlsMaxRows = 65536;
constexpr int kXlsMaxColumns = 256;

QString formatName(Format format)
{
    return format == Format::Xls ? QStringLiteral(".xls") : QStringLiteral(".xlsx");
}

// Checks every text against what the target format can hold, so that a save fails with a reason
// instead of producing a file the spreadsheet refuses.
QString checkLimits(const std::map<CellKey, QString>& cells, Format target, const QString& sheetName)
{
    const int maxRows = target == Format::Xls ? kXlsMaxRows : kXlsxMaxRows;
    const int maxColumns = target == Format::Xls ? kXlsMaxColumns : kXlsxMaxColumns;
    const QString where = sheetName.isEmpty() ? QString() : QStringLiteral("工作表“%1”的").arg(sheetName);
    for (const auto& [key, text] : cells) {
        if (key.first >= maxRows) {
            return QStringLiteral("%1单元格%2超出了%3格式的行数上限（%4行），无法保存。")
                .arg(where, toA1(key), formatName(target))
                .arg(maxRows);
        }
        if (key.second >= maxColumns) {
            return QStringLiteral("%1单元格%2超出了%3格式的列数上限（%4列），无法保存。")
                .arg(where, toA1(key), formatName(target))
                .arg(maxColumns);
        }
        if (text.size() > kMaxCellTextLength) {
            return QStringLiteral("%1单元格%2的文字有%3个字符，超过了Excel单元格的上限%4个字符，无法保存。")
                .arg(where, toA1(key))
                .arg(text.size())
                .arg(kMaxCellTextLength);
        }
    }
    return {};
}

} // namespace

WorkbookDocument::WorkbookDocument(QByteArray bytes, Format format, std::unique_ptr<Sheet> firstSheet)
    : m_bytes(std::move(bytes))
    , m_format(format)
    , m_sheet(std::move(firstSheet))
{
}

Format WorkbookDocument::formatFor(const QString& path) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xls") || suffix == QLatin1String("xlt"))
        return Format::Xls;
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm") || suffix == QLatin1String("xltx")
        || suffix == QLatin1String("xltm"))
        return Format::Xlsx;
    return m_format;
}

Expected<QByteArray> WorkbookDocument::render(Format target) const
{
    if (!m_sheet)
        return Expected<QByteArray>::failure(QStringLiteral("工作簿中没有工作表，无法保存。"));
    if (QString error = checkLimits(m_sheet->edits(), target, QString()); !error.isEmpty())
        return Expected<QByteArray>::failure(error);
    if (target != m_format)
        return convert(target);
    if (target == Format::Xls)
        return fillXlsTemplate(m_bytes, m_sheet->edits(), m_sheet->fittedWidths());
    return fillXlsxTemplate(m_bytes, m_sheet->edits(), m_sheet->fittedWidths());
}

Expected<QByteArray> WorkbookDocument::convert(Format target) const
{
    Expected<WorkbookData> all = m_format == Format::Xls ? readXls(m_bytes, false) : readXlsx(m_bytes, false);
    if (!all)
        return Expected<QByteArray>::failure(all.error());
    WorkbookData data = std::move(*all);
    if (data.sheets.empty())
        data.sheets.push_back(SheetData { m_sheet->name(), {}, {} });
    const QString firstName = data.sheets.front().name;
    data.sheets.front() = m_sheet->current();
    data.sheets.front().name = firstName;
    for (const SheetData& sheet : data.sheets) {
        if (QString error = checkLimits(sheet.cells, target, sheet.name); !error.isEmpty())
            return Expected<QByteArray>::failure(error);
    }
    return target == Format::Xls ? writeXls(data) : writeXlsx(data);
}

bool WorkbookDocument::saveAs(const QString& path, QString* error)
{
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("没有给出保存工作簿的文件名。"));
    const QFileInfo info(path);
    if (!info.dir().exists())
        return fail(
            QStringLiteral("无法保存工作簿：文件夹“%1”不存在。").arg(QDir::toNativeSeparators(info.absolutePath())));
    if (info.isDir())
        return fail(QStringLiteral("无法保存工作簿：“%1”是一个文件夹。").arg(QDir::toNativeSeparators(path)));
    Expected<QByteArray> bytes = render(formatFor(path));
    if (!bytes)
        return fail(bytes.error());
    // Written beside the target and renamed over it at the end, so a failure leaves no partial file.
    if (const QString reason = files::saveBytes(path, *bytes); !reason.isEmpty())
        return fail(QStringLiteral("无法保存工作簿“%1”：%2").arg(QDir::toNativeSeparators(path), reason));
    return true;
}

} // namespace pelorin::workbook
